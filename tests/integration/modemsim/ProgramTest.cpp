// The modemsim program as people run it: the pty path on the first line, a
// script, the link, the byte log, exit codes and SIGTERM.
#include "HostPort.h"
#include "TempHome.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), MODEMSIM_PROGRAM);
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_adddup2(&fa, err[1], 2);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        posix_spawn_file_actions_addclose(&fa, err[0]);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }
    // The first line of standard output.
    std::string FirstLine() {
        std::string line;
        char c;
        pollfd p{m_out, POLLIN, 0};
        while (::poll(&p, 1, 20000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    // Waits for the exit and returns its status (-1 when killed), with the
    // standard error text.
    int Wait(std::string* errText = nullptr) {
        std::string err;
        char buf[1024];
        ssize_t n;
        while ((n = ::read(m_err, buf, sizeof buf)) > 0)
            err.append(buf, static_cast<size_t>(n));
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid)
            return -2;
        m_pid = -1;
        if (errText)
            *errText = err;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Signal(int sig) { ::kill(m_pid, sig); }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

} // namespace

TEST(ModemSimProgram, RunsAScriptOnALinkedPtyAndLogsTheBytes) {
    TempHome home;
    home.Write("call.txt",
               "ring 1 period=100 cid-delay=10\nwait command #VCI? timeout=20000\nsay done\n");
    Program prog({"--personality", "usr", "--script", home.File("call.txt"), "--link",
                  home.File("ttyVORELLA"), "--log", home.File("bytes.log")});
    std::string path = prog.FirstLine();
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    {
        HostPort port(home.File("ttyVORELLA"));
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(port.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n");
        EXPECT_NE(port.Command("AT#VCI?").find("\r\nUSRobotics;GSM;8\r\n\r\nOK\r\n"),
                  std::string::npos);
    }
    std::string err;
    EXPECT_EQ(prog.Wait(&err), 0) << err;
    EXPECT_NE(err.find("done"), std::string::npos);
    EXPECT_NE(home.Read("bytes.log").find("host>  AT#VCI?<0d>"), std::string::npos)
        << home.Read("bytes.log");
    EXPECT_NE(home.Read("bytes.log").find("modem> <0d><0a>RING<0d><0a>"), std::string::npos);
    EXPECT_NE(::access(home.File("ttyVORELLA").c_str(), F_OK), 0); // the link is gone
}

TEST(ModemSimProgram, RefusesBadInputAndStopsOnSigterm) {
    TempHome home;
    home.Write("bad.txt", "ring 1\nring many\n");
    {
        Program prog({"--script", home.File("bad.txt")});
        std::string err;
        EXPECT_EQ(prog.Wait(&err), 2);
        EXPECT_NE(err.find("line 2: ring: the ring count must be a number"), std::string::npos)
            << err;
    }
    {
        std::string day;
        for (int i = 0; i < 1440 * 8; ++i)
            day += "sleep 60000\n";
        home.Write("day.txt", day);
        Program prog({"--script", home.File("day.txt")});
        std::string err;
        EXPECT_EQ(prog.Wait(&err), 2);
        EXPECT_NE(err.find("line 10001: too many steps (at most 10000;"), std::string::npos) << err;
    }
    {
        Program prog({"--personality", "nokia"});
        std::string err;
        EXPECT_EQ(prog.Wait(&err), 1);
        EXPECT_NE(err.find("unknown personality"), std::string::npos) << err;
    }
    {
        Program prog({"--pace", "fast"});
        EXPECT_EQ(prog.Wait(), 2);
    }
    {
        Program prog({"--personality", "cirrus"});
        std::string path = prog.FirstLine();
        HostPort port(path);
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(port.Command("AT#VCL=1"), "AT#VCL=1\r\r\nOK\r\n");
        prog.Signal(SIGTERM);
        EXPECT_EQ(prog.Wait(), 0);
        EXPECT_TRUE(port.WaitForHangUp(5000));
    }
}

TEST(ModemSimProgram, RepeatsACallUntilSigterm) {
    TempHome home;
    home.Write("calls.txt", "say line ready\n"
                            "repeat\n"
                            "ring 1 period=100 cid-delay=10\n"
                            "wait command H0 timeout=20000\n");
    Program prog({"--personality", "hash", "--script", home.File("calls.txt")});
    HostPort port(prog.FirstLine());
    ASSERT_TRUE(port.IsOpen());
    for (int call = 1; call <= 3; ++call) {
        EXPECT_EQ(port.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n") << "call " << call;
        EXPECT_EQ(port.Command("ATH0"), "ATH0\r\r\nOK\r\n");
    }
    prog.Signal(SIGTERM);
    std::string err;
    EXPECT_EQ(prog.Wait(&err), 0) << "a stop is how an endless repeat ends: " << err;
    EXPECT_NE(err.find("repeat, round 3"), std::string::npos) << err;
}
