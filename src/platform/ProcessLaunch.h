// Starting other programs: always an argument vector handed to exec, never a
// command line handed to a shell, so that text from settings or from a caller
// can never turn into commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Splits a settings string of arguments the way a shell splits words, and does
// nothing else a shell does: blanks separate words; '...' keeps everything
// literally; "..." keeps everything but lets \" \\ \$ and \` stand for the
// character; a backslash outside quotes takes the next character literally.
// ";", "|", "$(...)", "*" and the like are plain characters. An unterminated
// quote or a trailing backslash gives nullopt and a reason in *error.
std::optional<std::vector<std::string>> SplitArguments(std::string_view text,
                                                       std::string* error = nullptr);

// The program followed by the words of params: how a configured program and
// its parameter string become a command (the fax program, for one).
std::optional<std::vector<std::string>>
BuildCommand(const std::string& program, std::string_view params, std::string* error = nullptr);

struct LaunchOptions {
    // Wait for the program to end; otherwise it runs on detached from us.
    bool bWait = false;
    // With bWait: the longest wait; on expiry the program is ended (SIGTERM,
    // then SIGKILL) so that nothing is left behind. 0 waits without a limit.
    uint32_t nTimeoutMs = 0;
    // Folder to start in; empty keeps ours.
    std::string sWorkDir;
    // "NAME=value" entries set in the program's environment over ours.
    std::vector<std::string> environment;
    // With bWait, a conversation: the program reads sInput on its standard
    // input (then its end), and what it writes on its standard output and
    // error comes back in the result's sOutput, at most nMaxOutput bytes
    // kept; the rest is read and counted, so a program never stops on a
    // full pipe.
    bool bConverse = false;
    std::string sInput;
    size_t nMaxOutput = 4096;
    // With bWait: once this descriptor is readable, the program is ended as
    // at the deadline. -1 none.
    int nCancelFd = -1;
};

enum class LaunchStatus {
    Started,   // detached program is running
    Exited,    // waited; nExitCode holds its status (128 + signal when killed)
    TimedOut,  // waited past the deadline; the program was ended
    Cancelled, // the cancel descriptor became readable; the program was ended
    NotFound,  // no such program, or it cannot be executed
    Failed,    // bad arguments, fork failure ...
};

struct LaunchResult {
    LaunchStatus status = LaunchStatus::Failed;
    int nExitCode = -1;
    pid_t pid = -1;
    std::string error;
    // A conversation's output, and how many bytes of it were not kept.
    std::string sOutput;
    uint64_t nOutputDropped = 0;
};

// Starts argv[0] (looked up in PATH when it holds no "/") with argv. None
// of our descriptors but the conversation's pipes reach it. A program waited
// for leads a process group of its own, and at its deadline the whole group
// is ended (SIGTERM, then SIGKILL), what it started included.
LaunchResult LaunchProcess(const std::vector<std::string>& argv, const LaunchOptions& options = {});

// The full path of the running executable.
std::string GetExecutablePath();

// Starts this executable again with "/copy", which makes the new process skip
// the running-instance test: the restart of an instance that is leaving.
LaunchResult RestartSelf();

// Opens sPath with the desktop's program for it (xdg-open, detached), as a
// double click in the file manager would. sPath is made absolute first, so
// that a name starting with "-" cannot pass for an option.
LaunchResult OpenWithDesktop(const std::string& sPath);
