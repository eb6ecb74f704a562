// The modemsim program as people run it: the pty path on the first line, a
// script, the link, the byte log, exit codes and SIGTERM.
#include "ChildProcess.h"
#include "HostPort.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The simulator started in the background, its output (standard output and
// error) in home's "out.txt"; returns the first line, the pty's path.
std::string Start(BackgroundProgram& prog, const TempHome& home, std::vector<std::string> args) {
    args.insert(args.begin(), MODEMSIM_PROGRAM);
    EXPECT_TRUE(prog.Launch(args, home.File("out.txt")));
    std::string out;
    EXPECT_TRUE(WaitUntil([&] { return (out = home.Read("out.txt")).find('\n') != out.npos; }));
    return out.substr(0, out.find('\n'));
}

} // namespace

TEST(ModemSimProgram, RunsAScriptOnALinkedPtyAndLogsTheBytes) {
    TempHome home;
    home.Write("call.txt",
               "ring 1 period=100 cid-delay=10\nwait command #VCI? timeout=20000\nsay done\n");
    BackgroundProgram prog;
    std::string path = Start(prog, home,
                             {"--personality", "usr", "--script", home.File("call.txt"), "--link",
                              home.File("ttyVORELLA"), "--log", home.File("bytes.log")});
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    {
        HostPort port(home.File("ttyVORELLA"));
        ASSERT_TRUE(port.IsOpen());
        EXPECT_EQ(port.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n");
        EXPECT_NE(port.Command("AT#VCI?").find("\r\nUSRobotics;GSM;8\r\n\r\nOK\r\n"),
                  std::string::npos);
    }
    EXPECT_EQ(prog.Wait(), 0) << home.Read("out.txt");
    EXPECT_NE(home.Read("out.txt").find("done"), std::string::npos);
    EXPECT_NE(home.Read("bytes.log").find("host>  AT#VCI?<0d>"), std::string::npos)
        << home.Read("bytes.log");
    EXPECT_NE(home.Read("bytes.log").find("modem> <0d><0a>RING<0d><0a>"), std::string::npos);
    EXPECT_NE(::access(home.File("ttyVORELLA").c_str(), F_OK), 0); // the link is gone
}

TEST(ModemSimProgram, RefusesBadInput) {
    TempHome home;
    home.Write("bad.txt", "ring 1\nring many\n");
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* error;
    };
    const Case cases[] = {
        {{"--script", home.File("bad.txt")}, 2, "line 2: ring: the ring count must be a number"},
        {{"--personality", "nokia"}, 1, "unknown personality"},
        {{"--pace", "fast"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = c.args;
        argv.insert(argv.begin(), MODEMSIM_PROGRAM);
        ProgramRun run = RunProgram(argv);
        EXPECT_EQ(run.nExit, c.exit) << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
}

// SIGTERM ends the program with success, with or without a script: a stop is
// how a call that repeats for ever ends.
TEST(ModemSimProgram, StopsOnSigterm) {
    TempHome home;
    home.Write("calls.txt", "say line ready\nrepeat\n"
                            "ring 1 period=100 cid-delay=10\nwait command H0 timeout=20000\n");
    for (bool bScript : {false, true}) {
        SCOPED_TRACE(bScript ? "an endless repeat" : "no script");
        BackgroundProgram prog;
        std::vector<std::string> args = {"--personality", bScript ? "hash" : "cirrus"};
        if (bScript)
            args.insert(args.end(), {"--script", home.File("calls.txt")});
        HostPort port(Start(prog, home, args));
        ASSERT_TRUE(port.IsOpen());
        for (int call = 1; bScript && call <= 3; ++call) {
            EXPECT_EQ(port.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n") << "call " << call;
            EXPECT_EQ(port.Command("ATH0"), "ATH0\r\r\nOK\r\n");
        }
        if (!bScript) {
            EXPECT_EQ(port.Command("AT#VCL=1"), "AT#VCL=1\r\r\nOK\r\n");
        }
        ASSERT_TRUE(prog.Signal(SIGTERM));
        EXPECT_EQ(prog.Wait(), 0) << home.Read("out.txt");
        EXPECT_TRUE(port.WaitForHangUp(5000));
        if (bScript) {
            EXPECT_NE(home.Read("out.txt").find("repeat, round 3"), std::string::npos);
        }
        ::unlink(home.File("out.txt").c_str());
    }
}
