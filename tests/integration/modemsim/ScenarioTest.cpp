// Scenario scripts: what the reader refuses (with the line), and a script
// driving a call that the host side takes part in over the pty.
#include "ChildProcess.h"
#include "Scenario.h"
#include "SimFixture.h"
#include "TempHome.h"

#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using namespace modemsim;

namespace {

// A script run on its own thread against the simulator, as the program runs it.
struct ScriptRun {
    ScriptRun(SimWithPort& s, const std::string& text, const std::string& folder = "") {
        auto steps = ParseScenario(text, &error);
        EXPECT_TRUE(steps) << error;
        thread = std::thread([this, &s, steps, folder] {
            ScenarioContext context{s.sim, SignalSource(), &stop, &log, folder};
            ran = steps && RunScenario(*steps, context, &error);
        });
    }
    ~ScriptRun() {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
    bool Join() {
        thread.join();
        return ran;
    }
    std::atomic<bool> stop{false};
    std::ostringstream log;
    std::string error;
    bool ran = false;
    std::thread thread;
};

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
    ScriptRun script(s,
                     "callerid hardware number=5551234\nring 3 period=200 cid-delay=20\n"
                     "wait command +VTX timeout=20000\nwait transmit-end timeout=20000\n"
                     "save-transmit played.wav\nsend-event d\n",
                     home.Path());
    EXPECT_EQ(p.ReadUntil("5551234\r\n", 10000), "\r\nRING\r\n\r\n5551234\r\n");
    EXPECT_EQ(p.Command("ATE0+FCLASS=8;+VSM=2,8000;+VLS=1"),
              "ATE0+FCLASS=8;+VSM=2,8000;+VLS=1\r\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT+VTX"), "\r\nCONNECT\r\n");
    const std::string pcm = EncodeLinear16(Sine(1300, 8000, 4000, 7000));
    ASSERT_TRUE(p.Send(Shield(pcm) + "\x10\x03"));
    EXPECT_EQ(p.ReadUntil("\r\nOK\r\n", 10000), "\x10\x03\r\nOK\r\n");
    EXPECT_EQ(p.ReadUntil("\x10" "d", 10000), "\x10" "d"); // the far end is gone
    ASSERT_TRUE(script.Join()) << script.error;
    // sox reads the saved file back to the very samples the host played.
    EXPECT_EQ(RunProgram({"sox", home.File("played.wav"), "-t", "raw", "-e", "signed", "-b", "16",
                          "-"}).out,
              pcm);
    EXPECT_EQ(RunProgram({"soxi", "-r", home.File("played.wav")}).out, "8000\n");
}

// Each round is one call: it rings, and the host takes the line and hangs up.
// (A repeat without a count ends at a stop: see the program's test.)
TEST(ModemSimScenario, RepeatedCallsRingAgainUntilTheirCount) {
    SimWithPort s;
    HostPort& p = *s.port;
    ScriptRun script(s, "say set up\nrepeat 3\nring 1 period=100 cid-delay=10\n"
                        "wait command H0 timeout=20000\n");
    for (int call = 1; call <= 3; ++call) {
        EXPECT_EQ(p.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n") << "call " << call;
        EXPECT_EQ(p.Command("ATH0"), "ATH0\r\r\nOK\r\n");
    }
    EXPECT_TRUE(script.Join()) << script.error;
    const std::string text = script.log.str();
    EXPECT_NE(text.find("repeat, round 3"), std::string::npos) << text;
    EXPECT_EQ(text.find("repeat, round 4"), std::string::npos) << text;
    EXPECT_EQ(text.find("line 1: say"), text.rfind("line 1: say")) << "the steps before run once";
    EXPECT_EQ(p.ReadUntil("RING", 300), "") << "no fourth call";
}

TEST(ModemSimScenario, AWaitThatMayFailLetsTheScriptGoOn) {
    SimWithPort s;
    ScriptRun script(s, "wait command +VRX timeout=50 fail=no\n"
                        "wait receive-end timeout=50 fail=no\nsay went on\n"
                        "wait command +VRX timeout=50\nsay never\n");
    EXPECT_FALSE(script.Join());
    EXPECT_EQ(script.error, "line 4: no command \"+VRX\" came");
    const std::string text = script.log.str();
    EXPECT_NE(text.find("no receive-end came; going on"), std::string::npos) << text;
    EXPECT_NE(text.find("\nwent on\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\nnever\n"), std::string::npos) << text;
}
