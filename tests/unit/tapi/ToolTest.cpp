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

} // namespace
