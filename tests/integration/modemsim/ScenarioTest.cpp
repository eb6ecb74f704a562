// Scenario scripts: what the reader refuses (with the line), and a script
// driving a call that the host side takes part in over the pty.
#include "Scenario.h"
#include "SimFixture.h"
#include "TempHome.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace modemsim;

extern char** environ;

namespace {

// Runs a program (no shell) and returns its standard output.
std::string RunProgram(std::vector<std::string> argv) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while (rc == 0 && (n = ::read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    if (rc == 0)
        ::waitpid(pid, nullptr, 0);
    return out;
}

} // namespace

TEST(ModemSimScenario, ReaderRefusesBadScriptsWithTheLine) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"ring 2\nbogus 1\n", "line 2: unknown step \"bogus\""},
        {"\n# comment\nring two", "line 3: ring: the ring count must be a number"},
        {"ring 2 period=5", "line 1: ring: period must be a number from 10"},
        {"ring 2 colour=red", "line 1: ring: unknown option \"colour\""},
        {"callerid formatted name=\"JOHN", "line 1: a quote is not closed"},
        {"callerid loud", "line 1: callerid: the form is"},
        {"dial-result MAYBE", "line 1: dial-result: unknown dial result \"MAYBE\""},
        {"source tone 0 100", "line 1: source: the frequency must be"},
        {"source beep 100", "line 1: source: the source is"},
        {"event 55 100", "line 1: event: an event code is one printable character"},
        {"send \"AT\\q\"", "line 1: bad escape"},
        {"send \"\\x4\"", "line 1: bad escape"},
        {"wait forever", "line 1: wait: wait for command"},
        {"vanish later", "line 1: vanish: vanish, vanish on-command"},
        {"misbehave rudely", "line 1: misbehave: misbehave none"},
        {"sleep 99999999999", "line 1: sleep: the time must be"},
        {"say once\nrepeat\n\n", "line 2: repeat: no steps follow it"},
        {"repeat 0\nsay again", "line 1: repeat: the number of rounds must be a number from 1"},
        {"repeat 2 times\nsay again", "line 1: repeat: repeat takes at most one argument"},
        {"repeat\nsay a\nrepeat 2\nsay b", "line 3: repeat: a script repeats only once"},
        {"wait receive-end fail=maybe", "line 1: wait: fail is yes or no"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseScenario(c.script, &error)) << c.script;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.script << " gave: " << error;
    }
    std::string error;
    EXPECT_FALSE(ParseScenario(std::string(kMaxScenarioBytes + 1, '#'), &error));
    // A day of calls written out step by step is refused with the limit named.
    std::string dayOfCalls;
    for (size_t i = 0; i <= kMaxScenarioSteps; ++i)
        dayOfCalls += "sleep 60000\n";
    EXPECT_FALSE(ParseScenario(dayOfCalls, &error));
    EXPECT_EQ(error, "line 10001: too many steps (at most 10000; write a call that comes again "
                     "and again once, after \"repeat\")");
    auto ok = ParseScenario(
        "# a call\n\nring 1 period=100\ndial-result no dial tone delay=10\n"
        "send \"RING\\r\\n\\x10b\"\nsource tone 697 100 freq2=1209\nhangup 50 dialtone\n",
        &error);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(ok->size(), 5u);
    EXPECT_EQ((*ok)[2].line, 5);
    EXPECT_EQ(DecodeEscapes("a\\r\\n\\x10\\\\\\\""), std::string("a\r\n\x10\\\""));
}

TEST(ModemSimScenario, ScriptDrivesACallAndSavesWhatTheHostPlayed) {
    TempHome home;
    SimWithPort s;
    HostPort& p = *s.port;
    std::string error;
    auto steps = ParseScenario("callerid hardware number=5551234\n"
                               "ring 3 period=200 cid-delay=20\n"
                               "wait command +VTX timeout=20000\n"
                               "wait transmit-end timeout=20000\n"
                               "save-transmit played.wav\n"
                               "send-event d\n",
                               &error);
    ASSERT_TRUE(steps) << error;
    std::atomic<bool> stop{false};
    ScenarioContext context{s.sim, SignalSource(), &stop, nullptr, home.Path()};
    bool ran = false;
    std::thread script([&] { ran = RunScenario(*steps, context, &error); });

    EXPECT_EQ(p.ReadUntil("5551234\r\n", 10000), "\r\nRING\r\n\r\n5551234\r\n");
    EXPECT_EQ(p.Command("ATE0+FCLASS=8;+VSM=2,8000;+VLS=1"),
              "ATE0+FCLASS=8;+VSM=2,8000;+VLS=1\r\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT+VTX"), "\r\nCONNECT\r\n");
    std::string pcm;
    std::vector<int16_t> tone;
    for (int i = 0; i < 4000; ++i) {
        auto v = static_cast<int16_t>(std::lround(7000 * std::sin(2 * M_PI * 1300 * i / 8000.0)));
        tone.push_back(v);
        pcm += static_cast<char>(v & 0xFF);
        pcm += static_cast<char>((v >> 8) & 0xFF);
    }
    std::string shielded;
    for (char c : pcm)
        shielded += c == '\x10' ? std::string("\x10\x10") : std::string(1, c);
    ASSERT_TRUE(p.Send(shielded + "\x10\x03"));
    EXPECT_EQ(p.ReadUntil("\r\nOK\r\n", 10000), "\x10\x03\r\nOK\r\n");
    EXPECT_EQ(p.ReadUntil("\x10"
                          "d",
                          10000),
              "\x10"
              "d"); // the far end is gone
    script.join();
    ASSERT_TRUE(ran) << error;

    // sox reads the saved file back to the very samples the host played.
    std::string raw =
        RunProgram({"sox", home.File("played.wav"), "-t", "raw", "-e", "signed", "-b", "16", "-"});
    ASSERT_EQ(raw.size(), tone.size() * 2);
    EXPECT_EQ(std::memcmp(raw.data(), pcm.data(), raw.size()), 0);
    EXPECT_EQ(RunProgram({"soxi", "-r", home.File("played.wav")}), "8000\n");
}

TEST(ModemSimScenario, StopEndsAWaitingScript) {
    SimWithPort s;
    std::string error;
    auto steps = ParseScenario("wait command +VRX timeout=600000\nsay never\n", &error);
    ASSERT_TRUE(steps) << error;
    std::atomic<bool> stop{false};
    ScenarioContext context{s.sim, SignalSource(), &stop, nullptr, ""};
    std::thread script([&] { EXPECT_FALSE(RunScenario(*steps, context, &error)); });
    stop = true;
    script.join();
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
}

TEST(ModemSimScenario, RepeatedCallsRingAgainUntilTheirCountOrAStop) {
    // Each round is one call: it rings, and the host takes the line and hangs up.
    const char* kCall = "ring 1 period=100 cid-delay=10\n"
                        "wait command H0 timeout=20000\n";
    std::string error;
    auto counted = ParseScenario(std::string("say set up\nrepeat 3\n") + kCall, &error);
    ASSERT_TRUE(counted) << error;
    auto endless = ParseScenario(std::string("repeat\n") + kCall, &error);
    ASSERT_TRUE(endless) << error;

    for (bool bEndless : {false, true}) {
        SCOPED_TRACE(bEndless ? "endless" : "three rounds");
        SimWithPort s;
        HostPort& p = *s.port;
        std::atomic<bool> stop{false};
        std::ostringstream log;
        ScenarioContext context{s.sim, SignalSource(), &stop, &log, ""};
        bool ran = false;
        std::thread script(
            [&] { ran = RunScenario(bEndless ? *endless : *counted, context, &error); });
        for (int call = 1; call <= 4; ++call) {
            if (!bEndless && call == 4)
                break;
            EXPECT_EQ(p.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n") << "call " << call;
            EXPECT_EQ(p.Command("ATH0"), "ATH0\r\r\nOK\r\n");
        }
        if (bEndless)
            stop = true; // for ever ends when the simulator is told to stop
        script.join();
        EXPECT_TRUE(ran) << error;
        const std::string text = log.str();
        if (!bEndless) {
            EXPECT_NE(text.find("repeat, round 3"), std::string::npos) << text;
            EXPECT_EQ(text.find("repeat, round 4"), std::string::npos) << text;
            EXPECT_EQ(text.find("line 1: say"), text.rfind("line 1: say")) << "the steps before run once";
            EXPECT_EQ(p.ReadUntil("RING", 300), "") << "no fourth call";
        } else {
            EXPECT_NE(text.find("repeat, round 4"), std::string::npos) << text;
        }
    }
}

TEST(ModemSimScenario, AWaitThatMayFailLetsTheScriptGoOn) {
    SimWithPort s;
    std::string error;
    auto steps = ParseScenario("wait command +VRX timeout=50 fail=no\n"
                               "wait receive-end timeout=50 fail=no\n"
                               "say went on\n"
                               "wait command +VRX timeout=50\n"
                               "say never\n",
                               &error);
    ASSERT_TRUE(steps) << error;
    std::atomic<bool> stop{false};
    std::ostringstream log;
    ScenarioContext context{s.sim, SignalSource(), &stop, &log, ""};
    EXPECT_FALSE(RunScenario(*steps, context, &error));
    EXPECT_EQ(error, "line 4: no command \"+VRX\" came");
    EXPECT_NE(log.str().find("no receive-end came; going on"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("\nwent on\n"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find("\nnever\n"), std::string::npos) << log.str();
}
