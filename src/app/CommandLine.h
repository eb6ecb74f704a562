// The words of the command line and what they make a start do.
//
// The whole command line (the arguments after the program's own path, joined
// with blanks) is searched for substrings, in any case, in this order:
// "restart" (start 2 s late), "quit" or "exit" (ask the running instance to
// quit, end), "?", "help" or an argument "/h" (show the parameters, end),
// then, unless "copy" is present, the running-instance test (ask it to show
// its main window, end). The words that end this start at once ("quit",
// help) are carried out before the program folder is touched.
#pragma once

#include <string>
#include <string_view>

enum class StartupWord {
    QuitRunning,     // "quit" / "exit"
    ShowHelp,        // "?" / "help"
    ShowRunningOrGo, // no word: hand over to a running instance, else start
    Go,              // "copy": start even when an instance runs
};

struct StartupPlan {
    bool bRestartDelay = false; // "restart": sleep kRestartDelayMs first
    StartupWord word = StartupWord::ShowRunningOrGo;
};

inline constexpr unsigned kRestartDelayMs = 2000;
// The parameters message box.
inline constexpr int kHelpMessageId = 57963;

StartupPlan ParseCommandLine(std::string_view commandLine);

// Text from the string table as a terminal shows it: the table's line breaks
// are carriage returns (alone or before a line feed), which on a terminal
// send the cursor back over the same line.
std::string TerminalText(std::string_view text);

// argv[1..] joined with single blanks: the program's path is not part of the
// command line (a folder named "exit" must not quit anything).
std::string JoinArguments(int argc, const char* const* argv);

// What start-up needs from the system to carry out a plan; the programs give
// the real one, tests a fake.
class IStartupEnvironment {
public:
    virtual ~IStartupEnvironment() = default;
    virtual void Sleep(unsigned ms) = 0;
    // The help message (information icon).
    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool IsInstanceRunning() = 0;
    // Sends "show" or "quit" to the running instance.
    virtual void AskRunningInstance(const std::string& request) = 0;
};

enum class StartupOutcome {
    Start, // go on with a normal start
    End,   // this process ends now
};

StartupOutcome ApplyStartupPlan(const StartupPlan& plan, IStartupEnvironment& env);
