// The program run for each call: which calls start it; what reaches it (each
// field one whole argument whatever a caller put in it, the same in its
// environment and as JSON on its input, no shell anywhere); and that one
// that hangs, writes without end or comes once too many is dealt with.
#include "engine/CallProgram.h"

#include "TempHome.h"
#include "WaitUntil.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class CallProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Keeps what it was given in files named after the caller's number.
        home.Write("record", "#!/bin/sh\nout=\"" + home.Path() + "$VORELLA_NUMBER\"\n" + R"(
printf '[%s]' "$@" > "$out.args"
printf '%s' "$VORELLA_NAME $VORELLA_DECISION" > "$out.env"
python3 -c 'import json,sys; sys.stdout.write(json.load(sys.stdin)["name"])' > "$out.json"
case "$VORELLA_NAME" in hang) sleep 100;; loud) yes loud | head -c 3000000;; esac
: > "$out.done"
)");
        ::chmod(home.File("record").c_str(), 0755);
    }
    void Use(const char* params, bool bAfter = false, bool bNotAnswered = false,
             bool bSkipBlocked = true, uint32_t nLimitMs = 60000) {
        program.SetSettings({true, home.File("record"), params, true, bAfter, bNotAnswered,
                             bSkipBlocked, nLimitMs});
    }
    static std::vector<CallEvent> Call(const std::string& number, const std::string& name,
                                       ScreenAction action = ScreenAction::LetRing,
                                       bool bAnswered = false) {
        std::vector<CallEvent> events{CallRinging{1},
                                      CallerIdentified{number, number, name, "", name},
                                      CallScreened{action, "", 0, false}, CallRinging{2}};
        if (bAnswered)
            events.insert(events.end(), {CallAnswered{}, RecordingStored{"/m.wav", 9, true, ""}});
        events.push_back(CallEnded{});
        return events;
    }
    void Feed(const std::vector<CallEvent>& events) {
        for (const CallEvent& e : events)
            program.OnEvent(e);
    }
    size_t Told(const std::string& part) {
        std::lock_guard lock(mutex);
        return std::count_if(reports.begin(), reports.end(),
                             [&](const std::string& r) { return r.find(part) != r.npos; });
    }
    bool Done(const std::string& number) {
        return WaitUntil([&] { return FileExists(home.File(number + ".done")); });
    }

    TempHome home;
    CCallEventPublisher events; // outlives the program's subscription
    std::mutex mutex;
    std::vector<std::string> reports;
    std::vector<bool> pauses;
    CCallProgram program{[this](const std::string& s) {
                             std::lock_guard lock(mutex);
                             reports.push_back(s);
                         },
                         [this](bool b) {
                             std::lock_guard lock(mutex);
                             pauses.push_back(b);
                         }};
};

TEST_F(CallProgramTest, ACallersFieldsReachItWholeWithNoShellInBetween) {
    program.Start(events);
    Use(R"(call.number "call.name" -x 'call.file')");
    const struct {
        std::string name, json;
    } cases[] = {
        {R"($(touch pwned); "x)", R"($(touch pwned); "x)"},
        {"two\nlines \\ \t `touch pwned` \x01", "two\nlines \\ \t `touch pwned` \x01"},
        {"M\xc3\xbcller \xff", "M\xc3\xbcller \xef\xbf\xbd"}, // not UTF-8: U+FFFD in JSON
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string number = std::to_string(++n);
        for (const CallEvent& e : Call(number, c.name))
            events.Publish(e);
        ASSERT_TRUE(Done(number)) << c.name;
        EXPECT_EQ(home.Read(number + ".args"), "[" + number + "][" + c.name + "][-x][]");
        EXPECT_EQ(home.Read(number + ".env"), c.name + " ring");
        EXPECT_EQ(home.Read(number + ".json"), c.json);
    }
    EXPECT_FALSE(FileExists("pwned"));
    EXPECT_FALSE(FileExists(home.File("pwned")));
}

TEST_F(CallProgramTest, RunsAtThePointChosenAndNeverForABlockedCaller) {
    const struct {
        bool bAfter, bNotAnswered, bSkipBlocked;
        ScreenAction action;
        bool bAnswered;
        const char* expected; // its arguments; nullptr: not started
    } cases[] = {
        {false, false, true, ScreenAction::LetRing, true, "[caller][]"},
        {false, false, true, ScreenAction::ShowBlocked, false, nullptr},
        {false, false, false, ScreenAction::ShowBlocked, false, "[caller][]"},
        {true, false, true, ScreenAction::NeverAnswer, true, "[ended][/m.wav]"},
        {true, false, true, ScreenAction::TakeMessage, true, nullptr},
        {true, true, true, ScreenAction::LetRing, true, nullptr},
        {true, true, true, ScreenAction::LetRing, false, "[missed][]"},
    };
    // A program that cannot start is told once, with why.
    program.SetSettings({true, home.File("missing"), "", false, false, false, true, 60000});
    Feed(Call("a", "Ann"));
    Feed(Call("b", "Ann"));
    program.Stop(); // waits for both
    EXPECT_EQ(Told("no such program"), 1u);
    program.Start(events);
    int n = 0;
    for (const auto& c : cases) {
        const std::string number = "call" + std::to_string(++n);
        Use("call.event call.file", c.bAfter, c.bNotAnswered, c.bSkipBlocked);
        const int before = program.Started();
        Feed(Call(number, "Ann", c.action, c.bAnswered));
        EXPECT_EQ(program.Started() - before, c.expected ? 1 : 0) << number;
        if (c.expected) {
            ASSERT_TRUE(Done(number)) << number;
            EXPECT_EQ(home.Read(number + ".args"), c.expected) << number;
        }
    }
}

TEST_F(CallProgramTest, OneThatHangsIsEndedAtItsLimitAndOneTooManyIsRefused) {
    Use("", false, false, true, 1000);
    for (int i = 0; i <= CCallProgram::kMaxRunning; ++i)
        Feed(Call(std::to_string(i), "hang"));
    EXPECT_EQ(Told("programs still run"), 1u);
    EXPECT_TRUE(WaitUntil([&] { return Told("did not finish within 1000 ms") == 4; }));
    program.Stop(); // the last to end may not have resumed yet
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
}

TEST_F(CallProgramTest, OneThatWritesALotRunsToItsEndAndIsToldBounded) {
    Use("");
    Feed(Call("1", "loud"));
    ASSERT_TRUE(Done("1"));
    EXPECT_TRUE(WaitUntil([&] { return Told("ended with exit status 0; output: loud") == 1; }));
    std::lock_guard lock(mutex);
    EXPECT_LT(reports.back().size(), CCallProgram::kMaxOutput + 200);
}

} // namespace
