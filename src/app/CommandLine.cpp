#include "app/CommandLine.h"

#include "platform/SingleInstance.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

namespace {

bool Has(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

// "/h" (or "-h") is a whole argument: as a substring it would be in any
// path that starts with "/home".
bool HasShortHelp(std::string_view text) {
    for (const std::string& arg : SplitKeepEmpty(text, ' '))
        if (arg == "/h" || arg == "-h")
            return true;
    return false;
}

} // namespace

StartupPlan ParseCommandLine(std::string_view line) {
    // The help writes "Quit or Exit": the words match in any case.
    const std::string commandLine = ToLowerAscii(line);
    StartupPlan plan;
    plan.bRestartDelay = Has(commandLine, "restart");
    if (Has(commandLine, "quit") || Has(commandLine, "exit"))
        plan.word = StartupWord::QuitRunning;
    else if (Has(commandLine, "?") || Has(commandLine, "help") || HasShortHelp(commandLine))
        plan.word = StartupWord::ShowHelp;
    else if (Has(commandLine, "copy"))
        plan.word = StartupWord::Go;
    else
        plan.word = StartupWord::ShowRunningOrGo;
    return plan;
}

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

StartupOutcome ApplyStartupPlan(const StartupPlan& plan, IStartupEnvironment& env) {
    if (plan.bRestartDelay)
        env.Sleep(kRestartDelayMs);
    switch (plan.word) {
    case StartupWord::QuitRunning:
        // With no instance running there is nobody to tell; this one ends too.
        if (env.IsInstanceRunning())
            env.AskRunningInstance(kRequestQuit);
        return StartupOutcome::End;
    case StartupWord::ShowHelp:
        env.ShowMessage(LoadStr(kHelpMessageId));
        return StartupOutcome::End;
    case StartupWord::ShowRunningOrGo:
        if (env.IsInstanceRunning()) {
            env.AskRunningInstance(kRequestShow);
            return StartupOutcome::End;
        }
        return StartupOutcome::Start;
    case StartupWord::Go:
        break;
    }
    return StartupOutcome::Start;
}
