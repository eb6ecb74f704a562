// vorella-tool lines, run as the built program.
#include "ChildProcess.h"
#include "TempHome.h"

#include <gtest/gtest.h>

namespace {

ProgramRun RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), BuiltProgram("vorella-tool"));
    return RunProgram(args);
}

TEST(VorellaTool, LinesListsTheLinesWithTheirStateOrSaysThereAreNone) {
    TempHome home;
    const ProgramRun sim = RunTool({"lines", "--simulated"});
    ASSERT_EQ(sim.nExit, 0) << sim.out;
    EXPECT_EQ(sim.out, "0\tSimulated line\tready\n");

    const ProgramRun none = RunTool({"lines"});
    EXPECT_EQ(none.nExit, 1);
    EXPECT_NE(none.err.find("There are no TAPI devices installed!"), std::string::npos) << none.err;

    EXPECT_EQ(RunTool({"lines", "extra"}).nExit, 2);
}

TEST(VorellaTool, LinesListsTheSipAccountsOfTheSettings) {
    TempHome home;
    home.Write("vorella.ini", "[SIP1]\nsName=Desk\nsUser=200\nsBindAddress=127.0.0.1\nnPort=0\n");
    const ProgramRun run = RunTool({"lines"});
    ASSERT_EQ(run.nExit, 0) << run.err;
    EXPECT_EQ(run.out, "0\tDesk\tready\n");
    EXPECT_NE(run.err.find("telephony provider: SIP, lines: Desk"), std::string::npos) << run.err;
}

} // namespace
