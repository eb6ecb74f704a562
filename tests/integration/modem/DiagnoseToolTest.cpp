// "vorella-tool diagnose COMn" prints the report for the modem on that port.
#include "SimFixture.h"

#include "ChildProcess.h"

namespace {

class DiagnoseTool : public SimModemTest {};

TEST_F(DiagnoseTool, PrintsTheReportForAPort) {
    StartSim("usr");
    const std::string tool = BuiltProgram("vorella-tool");
    ProgramRun run = RunProgram({tool, "diagnose", "COM5"}, 120000);
    EXPECT_EQ(run.nExit, 0) << run.err;
    const std::string& out = run.out;
    EXPECT_EQ(out.rfind("Diagnostics for ", 0), 0u) << out;
    EXPECT_NE(out.find("Transmitted: AT#VCI?\nReceived:\n"), std::string::npos) << out;
    EXPECT_NE(out.find("USRobotics;GSM;8"), std::string::npos) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos);

    EXPECT_EQ(RunProgram({tool, "diagnose", "COM250"}, 120000).nExit, 1);
}

} // namespace
