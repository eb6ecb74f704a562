// "vorella-tool diagnose COMn" prints the report for the modem on that port,
// or says why it cannot, naming the program that holds the port.
#include "SimFixture.h"

#include "ChildProcess.h"
#include "HostPort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

TEST_F(DiagnoseTool, NamesTheProgramThatHoldsThePort) {
    PtyPair pty; // a bare pty: the simulator would hold the port itself
    const std::string slave = pty.SlavePath();
    ASSERT_TRUE(SetComPortDevice(kPort, slave));
    // This process has the port open and locked, as another modem program would.
    const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    ProgramRun run = RunProgram({BuiltProgram("vorella-tool"), "diagnose", "COM5"}, 120000);
    ::close(fd);
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.err.find(slave + " is in use by "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("(pid " + std::to_string(::getpid()) + ")"), std::string::npos)
        << run.err;
}

} // namespace
