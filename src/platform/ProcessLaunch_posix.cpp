#include "platform/ProcessLaunch.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// What a child reports through the error pipe before it execs.
enum ChildReport : int {
    kGrandchildPid = 0,
    kForkFailed = 1,
    kExecFailed = 2,
    kChdirFailed = 3,
    kStdioFailed = 4,
};

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

// What the child is given besides its arguments.
struct ChildSetup {
    const char* workDir = nullptr;
    char* const* envp = environ;
    int inFd = -1;  // becomes its standard input; -1 keeps ours
    int outFd = -1; // becomes its standard output and error; -1 keeps ours
    bool bOwnGroup = false;
};

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const* argv, const ChildSetup& setup,
                            int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &dfl, nullptr);
    if (setup.bOwnGroup)
        ::setpgid(0, 0);
    // The pipes' ends are first moved above 2, so that putting one in place
    // cannot overwrite the other whatever numbers they had.
    const int in = setup.inFd >= 0 ? ::fcntl(setup.inFd, F_DUPFD_CLOEXEC, 3) : -1;
    const int out = setup.outFd >= 0 ? ::fcntl(setup.outFd, F_DUPFD_CLOEXEC, 3) : -1;
    if ((setup.inFd >= 0 && (in < 0 || ::dup2(in, 0) < 0)) ||
        (setup.outFd >= 0 && (out < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0))) {
        WriteReport(reportFd, kStdioFailed, errno);
        ::_exit(127);
    }
    // Our descriptors (serial port, sockets, the control block) are not the
    // new program's business.
#ifdef SYS_close_range
    ::syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */);
#endif
    if (setup.workDir && ::chdir(setup.workDir) != 0) {
        WriteReport(reportFd, kChdirFailed, errno);
        ::_exit(127);
    }
    ::execve(path, argv, setup.envp);
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

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A conversation's pipes, from our side.
struct Streams {
    int inFd = -1; // the program's standard input; closed once all is written
    std::string_view input;
    size_t nWritten = 0;
    int outFd = -1; // its standard output and error; closed at their end
    std::string output;
    size_t nMaxOutput = 0;
    uint64_t nDropped = 0;

    ~Streams() {
        CloseFd(inFd);
        CloseFd(outFd);
    }
    // Takes one read's worth of what the program wrote; false when there
    // was nothing to take.
    bool Read() {
        char buf[16384];
        const ssize_t n = ::read(outFd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return false;
        if (n <= 0) {
            CloseFd(outFd);
            return false;
        }
        const size_t keep = std::min(static_cast<size_t>(n), nMaxOutput - output.size());
        output.append(buf, keep);
        nDropped += static_cast<size_t>(n) - keep;
        return true;
    }
    // Writes what the pipe takes; the end of the input (or a program that
    // does not read it) closes it.
    void Write() {
        while (nWritten < input.size()) {
            const ssize_t n = ::write(inFd, input.data() + nWritten, input.size() - nWritten);
            if (n > 0)
                nWritten += static_cast<size_t>(n);
            else if (n < 0 && errno == EAGAIN)
                return;
            else if (!(n < 0 && errno == EINTR))
                break;
        }
        CloseFd(inFd);
    }
};

enum class WaitEnd { Exited, Deadline, Cancelled };

// Follows pid until it ends (its status in *status), the deadline passes
// (timeoutMs after the start; 0 none) or cancelFd becomes readable, feeding
// and reading the conversation's pipes on the way.
WaitEnd Follow(pid_t pid, Streams& s, uint32_t timeoutMs, int cancelFd, int* status) {
    const uint32_t start = GetTickCount();
    int pidfd = -1;
#ifdef SYS_pidfd_open
    pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
    WaitEnd end = WaitEnd::Deadline;
    for (;;) {
        if (pidfd < 0) { // no pidfd: looked at now and then
            const pid_t r = ::waitpid(pid, status, WNOHANG);
            if (r == pid || (r < 0 && errno != EINTR)) {
                end = WaitEnd::Exited;
                break;
            }
        }
        int left = -1;
        if (timeoutMs) {
            const uint32_t spent = GetTickCount() - start;
            if (spent >= timeoutMs)
                break;
            left = static_cast<int>(timeoutMs - spent);
        }
        if (pidfd < 0)
            left = left < 0 ? 50 : std::min(left, 50);
        pollfd fds[4];
        nfds_t n = 0;
        const auto watch = [&](int fd, short events) -> nfds_t {
            if (fd < 0)
                return 4;
            fds[n] = pollfd{fd, events, 0};
            return n++;
        };
        const nfds_t iPid = watch(pidfd, POLLIN);
        const nfds_t iCancel = watch(cancelFd, POLLIN);
        const nfds_t iOut = watch(s.outFd, POLLIN);
        const nfds_t iIn = watch(s.inFd, POLLOUT);
        if (::poll(fds, n, left) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        const auto ready = [&](nfds_t i) { return i < n && fds[i].revents != 0; };
        if (ready(iOut))
            s.Read();
        if (ready(iIn))
            s.Write();
        if (ready(iCancel)) {
            end = WaitEnd::Cancelled;
            break;
        }
        if (ready(iPid) && WaitPid(pid, status)) {
            end = WaitEnd::Exited;
            break;
        }
    }
    CloseFd(pidfd);
    // What an ended program left in the pipe (a bounded number of reads:
    // something it started may still write).
    for (int i = 0; end == WaitEnd::Exited && s.outFd >= 0 && i < 64 && s.Read(); ++i) {
    }
    return end;
}

// Our environment with entries ("NAME=value") set over it.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const std::string& x) { return x.starts_with(name); }))
            env.emplace_back(entry);
    }
    env.insert(env.end(), entries.begin(), entries.end());
    return env;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (const std::string& a : strings)
        out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// Makes a pipe whose ends are not inherited; ours does not block.
bool MakePipe(int fds[2], bool bOursReads) {
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const int ours = fds[bOursReads ? 0 : 1];
    ::fcntl(ours, F_SETFL, ::fcntl(ours, F_GETFL) | O_NONBLOCK);
    return true;
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
    std::vector<char*> args = Pointers(argv);
    const std::vector<std::string> env = EnvironmentWith(options.environment);
    std::vector<char*> envp = Pointers(env);
    ChildSetup setup;
    setup.workDir = options.sWorkDir.empty() ? nullptr : options.sWorkDir.c_str();
    setup.envp = envp.data();
    setup.bOwnGroup = options.bWait;

    Streams streams;
    int inPipe[2] = {-1, -1}, outPipe[2] = {-1, -1};
    if (options.bWait && options.bConverse) {
        // A program that stops reading its input must not end us.
        static std::once_flag once;
        std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
        if (!MakePipe(inPipe, false) || !MakePipe(outPipe, true)) {
            result.error = StrPrintf("cannot create a pipe: %s", std::strerror(errno));
            for (int* fd : {&inPipe[0], &inPipe[1], &outPipe[0], &outPipe[1]})
                CloseFd(*fd);
            return result;
        }
        setup.inFd = inPipe[0];
        setup.outFd = outPipe[1];
        streams.inFd = inPipe[1];
        streams.input = options.sInput;
        streams.outFd = outPipe[0];
        streams.nMaxOutput = options.nMaxOutput;
    }
    // Closes the child's ends here once it has them (or has failed).
    const auto closeChildEnds = [&] {
        CloseFd(inPipe[0]);
        CloseFd(outPipe[1]);
    };

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.error = StrPrintf("cannot create a pipe: %s", std::strerror(errno));
        closeChildEnds();
        return result;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        result.error = StrPrintf("cannot fork: %s", std::strerror(errno));
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        closeChildEnds();
        return result;
    }
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (options.bWait)
            ExecChild(path.c_str(), args.data(), setup, pipeFds[1]);
        // Detached: the grandchild runs the program and is adopted by init,
        // so no zombie waits for us to reap it.
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            WriteReport(pipeFds[1], kForkFailed, errno);
            ::_exit(127);
        }
        if (grandchild == 0)
            ExecChild(path.c_str(), args.data(), setup, pipeFds[1]);
        WriteReport(pipeFds[1], kGrandchildPid, grandchild);
        ::_exit(0);
    }
    // The group exists before anything may be sent to it.
    if (options.bWait)
        ::setpgid(pid, pid);
    ::close(pipeFds[1]);
    closeChildEnds();
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
            const char* what = kind == kChdirFailed   ? "cannot enter the start folder for"
                               : kind == kForkFailed  ? "cannot fork for"
                               : kind == kStdioFailed ? "cannot connect the pipes of"
                                                      : "cannot run";
            result.error = StrPrintf("%s %s: %s", what, argv[0].c_str(), std::strerror(value));
            return result;
        }
        result.status = LaunchStatus::Started;
        result.pid = grandchild;
        return result;
    }

    result.pid = pid;
    const WaitEnd end = Follow(pid, streams, options.nTimeoutMs, options.nCancelFd, &status);
    if (end != WaitEnd::Exited) {
        // The whole group, so that nothing it started is left behind (the
        // program alone should it have no group).
        const auto signalAll = [pid](int sig) {
            if (::kill(-pid, sig) != 0)
                ::kill(pid, sig);
        };
        CloseFd(streams.inFd);
        signalAll(SIGTERM);
        if (Follow(pid, streams, 1000, -1, &status) != WaitEnd::Exited) {
            signalAll(SIGKILL);
            WaitPid(pid, &status);
        }
    }
    result.nExitCode = DecodeStatus(status);
    result.sOutput = std::move(streams.output);
    result.nOutputDropped = streams.nDropped;
    if (end == WaitEnd::Exited) {
        result.status = LaunchStatus::Exited;
    } else if (end == WaitEnd::Cancelled) {
        result.status = LaunchStatus::Cancelled;
        result.error = StrPrintf("%s was stopped", argv[0].c_str());
    } else {
        result.status = LaunchStatus::TimedOut;
        result.error =
            StrPrintf("%s did not finish within %u ms", argv[0].c_str(), options.nTimeoutMs);
    }
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
