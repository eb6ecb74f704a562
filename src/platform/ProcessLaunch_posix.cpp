#include "platform/ProcessLaunch.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// What a child reports through the error pipe before it execs.
enum ChildReport : int { kGrandchildPid = 0, kForkFailed = 1, kExecFailed = 2, kChdirFailed = 3 };

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    for (const std::string& dir : SplitKeepEmpty(path && *path ? path : "/usr/bin:/bin", ':')) {
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

void WriteReport(int fd, int kind, int value) {
    int msg[2] = {kind, value};
    ssize_t n = ::write(fd, msg, sizeof msg);
    (void)n;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const* argv, const char* workDir,
                            int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &dfl, nullptr);
    // Our descriptors (serial port, sockets, the control block) are not the
    // new program's business.
#ifdef SYS_close_range
    ::syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */);
#endif
    if (workDir && ::chdir(workDir) != 0) {
        WriteReport(reportFd, kChdirFailed, errno);
        ::_exit(127);
    }
    ::execve(path, argv, environ);
    WriteReport(reportFd, kExecFailed, errno);
    ::_exit(127);
}

int DecodeStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

bool WaitPid(pid_t pid, int* status) {
    for (;;) {
        pid_t r = ::waitpid(pid, status, 0);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
    }
}

// Waits at most timeoutMs for pid to end; true with its status when it did.
bool WaitPidFor(pid_t pid, uint32_t timeoutMs, int* status) {
    const uint32_t start = GetTickCount();
#ifdef SYS_pidfd_open
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        for (;;) {
            uint32_t spent = GetTickCount() - start;
            int left = spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
            pollfd p{pidfd, POLLIN, 0};
            int r = ::poll(&p, 1, left);
            if (r < 0 && errno == EINTR)
                continue;
            ::close(pidfd);
            if (r <= 0)
                return false;
            return WaitPid(pid, status);
        }
    }
#endif
    for (;;) {
        pid_t r = ::waitpid(pid, status, WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        SleepMs(10);
    }
}

// Reads the child's reports until the pipe closes (the program started, or
// the child died). Returns the failure report, if any.
bool ReadReports(int fd, int* kind, int* value, pid_t* grandchild) {
    bool failed = false;
    for (;;) {
        int msg[2];
        ssize_t n = ::read(fd, msg, sizeof msg);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != static_cast<ssize_t>(sizeof msg))
            return failed;
        if (msg[0] == kGrandchildPid) {
            *grandchild = msg[1];
        } else {
            failed = true;
            *kind = msg[0];
            *value = msg[1];
        }
    }
}

} // namespace

std::optional<std::vector<std::string>> SplitArguments(std::string_view text, std::string* error) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    auto bad = [&](const char* why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++i == text.size())
                return bad("the parameters end with a lone backslash");
            word += text[i];
        } else if (c == '\'') {
            size_t end = text.find('\'', i + 1);
            if (end == std::string_view::npos)
                return bad("a single quote in the parameters is not closed");
            word.append(text.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i == text.size())
                    return bad("a double quote in the parameters is not closed");
                char d = text[i];
                if (d == '"')
                    break;
                if (d == '\\' && i + 1 < text.size() &&
                    std::strchr("\"\\$`", text[i + 1]) != nullptr)
                    d = text[++i];
                word += d;
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<std::vector<std::string>> BuildCommand(const std::string& program,
                                                     std::string_view params, std::string* error) {
    auto words = SplitArguments(params, error);
    if (!words)
        return std::nullopt;
    words->insert(words->begin(), program);
    return words;
}

LaunchResult LaunchProcess(const std::vector<std::string>& argv, const LaunchOptions& options) {
    LaunchResult result;
    if (argv.empty() || argv[0].empty()) {
        result.error = "no program to start";
        return result;
    }
    const std::string path = FindProgram(argv[0]);
    if (path.empty() || ::access(path.c_str(), X_OK) != 0) {
        result.status = LaunchStatus::NotFound;
        result.error = StrPrintf("cannot run %s: no such program", argv[0].c_str());
        return result;
    }
    // Everything the child needs is built before fork: after it, a child of a
    // threaded process may not allocate.
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const char* workDir = options.sWorkDir.empty() ? nullptr : options.sWorkDir.c_str();

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.error = StrPrintf("cannot create a pipe: %s", std::strerror(errno));
        return result;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        result.error = StrPrintf("cannot fork: %s", std::strerror(errno));
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (options.bWait)
            ExecChild(path.c_str(), args.data(), workDir, pipeFds[1]);
        // Detached: the grandchild runs the program and is adopted by init,
        // so no zombie waits for us to reap it.
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            WriteReport(pipeFds[1], kForkFailed, errno);
            ::_exit(127);
        }
        if (grandchild == 0)
            ExecChild(path.c_str(), args.data(), workDir, pipeFds[1]);
        WriteReport(pipeFds[1], kGrandchildPid, grandchild);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int kind = 0, value = 0;
    pid_t grandchild = -1;
    bool failed = ReadReports(pipeFds[0], &kind, &value, &grandchild);
    ::close(pipeFds[0]);

    int status = 0;
    if (failed || !options.bWait) {
        WaitPid(pid, &status);
        if (failed) {
            result.status =
                kind == kExecFailed && (value == ENOENT || value == EACCES || value == ENOEXEC)
                    ? LaunchStatus::NotFound
                    : LaunchStatus::Failed;
            const char* what = kind == kChdirFailed  ? "cannot enter the start folder for"
                               : kind == kForkFailed ? "cannot fork for"
                                                     : "cannot run";
            result.error = StrPrintf("%s %s: %s", what, argv[0].c_str(), std::strerror(value));
            return result;
        }
        result.status = LaunchStatus::Started;
        result.pid = grandchild;
        return result;
    }

    result.pid = pid;
    if (options.nTimeoutMs == 0 ? WaitPid(pid, &status)
                                : WaitPidFor(pid, options.nTimeoutMs, &status)) {
        result.status = LaunchStatus::Exited;
        result.nExitCode = DecodeStatus(status);
        return result;
    }
    ::kill(pid, SIGTERM);
    if (!WaitPidFor(pid, 1000, &status)) {
        ::kill(pid, SIGKILL);
        WaitPid(pid, &status);
    }
    result.status = LaunchStatus::TimedOut;
    result.nExitCode = DecodeStatus(status);
    result.error = StrPrintf("%s did not finish within %u ms", argv[0].c_str(), options.nTimeoutMs);
    return result;
}

std::string GetExecutablePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

LaunchResult RestartSelf() {
    return LaunchProcess({GetExecutablePath(), "/copy"});
}

LaunchResult OpenWithDesktop(const std::string& sPath) {
    std::string path = sPath;
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            path = std::string(cwd) + "/" + path;
    }
    return LaunchProcess({"xdg-open", path});
}
