// "vorella-tool diagnose COMn" prints the report for the modem on that port,
// or says why it cannot, naming the program that holds the port.
#include "SimFixture.h"

#include "ChildProcess.h"
#include "HostPort.h"
#include "WaitUntil.h"
#include "platform/PortHolder.h"

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
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
    // Another modem program: it has the port open and locked.
    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::dup2(fd, 0) < 0)
            ::_exit(127);
        ::execlp("sleep", "sleep", "300", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string name = "sleep (pid " + std::to_string(holder) + ")";
    WaitUntil([&] { return DescribePortHolder(slave) == name; });

    ProgramRun run = RunProgram({BuiltProgram("vorella-tool"), "diagnose", "COM5"}, 120000);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.err.find(slave + " is in use by " + name), std::string::npos) << run.err;
}

} // namespace
