// The command-line words, searched as substrings in their fixed order. The
// help text itself, as a terminal shows it: VorelladTest.
#include "app/CommandLine.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class FakeEnvironment : public IStartupEnvironment {
public:
    bool bRunning = false;
    std::vector<std::string> events;

    void Sleep(unsigned ms) override { events.push_back("sleep " + std::to_string(ms)); }
    void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
    bool IsInstanceRunning() override { return bRunning; }
    void AskRunningInstance(const std::string& request) override {
        events.push_back("ask " + request);
    }
};

TEST(CommandLine, WordsAreFoundAnywhereInTheirOrder) {
    struct Case {
        const char* line;
        bool delay;
        StartupWord word;
    } cases[] = {
        {"", false, StartupWord::ShowRunningOrGo},
        {"/copy", false, StartupWord::Go},
        {"copy quit", false, StartupWord::QuitRunning}, // "quit" is tested before "copy"
        {"/exit", false, StartupWord::QuitRunning},
        {"-quitnow", false, StartupWord::QuitRunning}, // a substring is enough
        {"Quit", false, StartupWord::QuitRunning}, // any case, as the help writes it
        {"EXIT", false, StartupWord::QuitRunning},
        {"/COPY", false, StartupWord::Go},
        {"/?", false, StartupWord::ShowHelp},
        {"/h", false, StartupWord::ShowHelp},
        {"-H", false, StartupWord::ShowHelp},
        {"--HELP", false, StartupWord::ShowHelp},
        {"/home/me/x.wav", false, StartupWord::ShowRunningOrGo}, // "/h" only as a word
        {"help quit", false, StartupWord::QuitRunning},
        {"--help /copy", false, StartupWord::ShowHelp},
        {"restart", false, StartupWord::ShowRunningOrGo},
        {"/restart /copy", false, StartupWord::Go},
        {"restart quit", false, StartupWord::QuitRunning},
        {"photocopy.wav", false, StartupWord::Go},
    };
    for (const Case& c : cases) {
        StartupPlan plan = ParseCommandLine(c.line);
        EXPECT_EQ(plan.word, c.word) << c.line;
        EXPECT_EQ(plan.bRestartDelay, ToLowerAscii(c.line).find("restart") != std::string::npos)
            << c.line;
    }
}

TEST(CommandLine, TheProgramPathIsNotPartOfTheLine) {
    const char* argv[] = {"/home/exit/help/vorella", "/copy", "x y"};
    EXPECT_EQ(JoinArguments(3, argv), "/copy x y");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(CommandLine, PlansAreCarriedOut) {
    using Events = std::vector<std::string>;
    struct Case {
        const char* line;
        bool running;
        StartupOutcome outcome;
        Events events;
    } cases[] = {
        {"", false, StartupOutcome::Start, {}},
        // A second start hands over to the running instance and ends.
        {"", true, StartupOutcome::End, {"ask show"}},
        // "copy" starts a second instance even though one runs.
        {"/copy", true, StartupOutcome::Start, {}},
        {"copy quit", true, StartupOutcome::End, {"ask quit"}},
        // Nothing to quit: nothing is sent, this start ends all the same.
        {"exit", false, StartupOutcome::End, {}},
        {"/?", true, StartupOutcome::End, {std::string("message ") + LoadStr(kHelpMessageId)}},
        // "restart" waits 2 s and then starts normally.
        {"restart", false, StartupOutcome::Start, {"sleep 2000"}},
        {"restart", true, StartupOutcome::End, {"sleep 2000", "ask show"}},
        {"/restart /copy", true, StartupOutcome::Start, {"sleep 2000"}},
    };
    for (const Case& c : cases) {
        FakeEnvironment env;
        env.bRunning = c.running;
        EXPECT_EQ(ApplyStartupPlan(ParseCommandLine(c.line), env), c.outcome) << c.line;
        EXPECT_EQ(env.events, c.events) << c.line;
    }
}

TEST(CommandLine, StringTableLineBreaksBecomeATerminalsLineFeeds) {
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {
        {"a\rb", "a\nb"},
        {"a\r\nb", "a\nb"},
        {"a\r\rb", "a\n\nb"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"a\nb", "a\nb"},
        {"a\n\rb", "a\n\nb"},
        {"\rend\r", "\nend\n"},
        {"tab\tkept", "tab\tkept"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TerminalText(c.text), c.shown) << c.text;
}

} // namespace
