// "vorella-tool diagnose COMn" prints the report for the modem on that port.
#include "SimFixture.h"

#include "platform/TickCount.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs the tool and returns what it printed (stdout), or "" on failure.
std::string RunTool(const std::vector<std::string>& args, int* status) {
    std::string tool = VORELLA_TOOL_PATH;
    std::vector<char*> argv{tool.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe(fds) != 0)
        return "";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, tool.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(fds[1]);
    std::string out;
    uint32_t start = GetTickCount();
    while (rc == 0 && GetTickCount() - start < 120000) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0)
            continue;
        char buf[4096];
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (rc == 0)
        ::waitpid(pid, status, 0);
    return out;
}

class DiagnoseTool : public SimModemTest {};

TEST_F(DiagnoseTool, PrintsTheReportForAPort) {
    StartSim("usr");
    int status = -1;
    std::string out = RunTool({"diagnose", "COM5"}, &status);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(out.rfind("Diagnostics for ", 0), 0u) << out;
    EXPECT_NE(out.find("Transmitted: AT#VCI?\nReceived:\n"), std::string::npos) << out;
    EXPECT_NE(out.find("USRobotics;GSM;8"), std::string::npos) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos);

    out = RunTool({"diagnose", "COM250"}, &status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace
