#include "notify/MailHandoff.h"

#include "platform/TextUtil.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// The private copy of an attachment the watcher removes, as plain paths.
struct CopyToRemove {
    std::string folder; // without a trailing "/"; empty: nothing to remove
    std::string file;   // the copy inside it, or empty
    unsigned nKeepSeconds = 0;
};

void SleepSeconds(unsigned seconds) {
    timespec left{static_cast<time_t>(seconds), 0};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

// Runs in a forked copy of this process: system calls only. Starts
// xdg-email, waits for it to end, keeps the copy for its grace time, then
// removes the copy and its folder. The folder is removed only when empty, so
// nothing but what we put there can be lost.
[[noreturn]] void RunWatcher(char* const* argv, int reportFd, const int watch[2],
                             const CopyToRemove& copy) {
    ::setsid();
    // Our handlers (and blocked signals) belong to the program, not to a
    // process that only waits: a terminating signal ends it as it ends any.
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig == SIGKILL || sig == SIGSTOP)
            continue;
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(sig, &dfl, nullptr);
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    const pid_t mail = ::fork();
    if (mail == 0) {
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
        }
        // The mail program gets none of our descriptors but its standard ones.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(argv[0], argv);
        const int err = errno;
        ssize_t ignored = ::write(reportFd, &err, sizeof err);
        ignored = ::write(watch[1], &err, sizeof err);
        (void)ignored;
        ::_exit(127);
    }
    if (mail < 0) {
        const int err = errno;
        ssize_t ignored = ::write(reportFd, &err, sizeof err);
        (void)ignored;
        ::_exit(1);
    }
    ::close(reportFd);
    ::close(watch[1]);
    // Waiting holds nothing of the program's open: not its modem, its
    // control socket, nor the pipes of whoever reads its output.
    if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
    }
    const unsigned keep = static_cast<unsigned>(watch[0]);
    ::close_range(3, keep - 1, 0);
    ::close_range(keep + 1, ~0U, 0);
    int err = 0;
    ssize_t n;
    do {
        n = ::read(watch[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    // xdg-email did not start: the caller keeps the copy.
    if (n == static_cast<ssize_t>(sizeof err))
        ::_exit(0);
    int status = 0;
    while (::waitpid(mail, &status, 0) < 0 && errno == EINTR) {
    }
    if (copy.folder.empty())
        ::_exit(0);
    SleepSeconds(copy.nKeepSeconds);
    if (!copy.file.empty())
        ::unlink(copy.file.c_str());
    ::rmdir(copy.folder.c_str());
    ::_exit(0);
}

} // namespace

std::string FindMailHandoffTool() {
    const char* path = std::getenv("PATH");
    for (const std::string& dir : SplitKeepEmpty(path ? path : "/usr/bin:/bin", ':')) {
        if (dir.empty())
            continue;
        std::string candidate = dir + "/xdg-email";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool HandOffMail(const HandoffMessage& message, std::string* sError) {
    auto fail = [&](const std::string& text) {
        if (sError)
            *sError = text;
        return false;
    };
    const std::string tool = FindMailHandoffTool();
    if (tool.empty())
        return fail("xdg-email was not found; the mail program hand-off is unavailable");

    std::vector<std::string> args = {tool,     "--utf8",     "--subject", message.sSubject,
                                     "--body", message.sBody};
    if (!message.sAttachment.empty()) {
        args.push_back("--attach");
        args.push_back(message.sAttachment);
    }
    size_t fixed = args.size();
    for (const std::string& r : message.recipients)
        if (!r.empty() && r[0] != '-') // never let a recipient read as an option
            args.push_back(r);
    if (args.size() == fixed)
        return fail("no recipients for the mail program");

    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // What the watcher removes, made ready before the fork: after it, only
    // system calls are safe in a copy of a process with threads.
    CopyToRemove copy;
    if (!message.sTempFolder.empty()) {
        copy.folder = message.sTempFolder;
        while (copy.folder.size() > 1 && copy.folder.back() == '/')
            copy.folder.pop_back();
        const size_t slash = message.sAttachment.rfind('/');
        if (slash != std::string::npos && message.sAttachment.compare(0, slash, copy.folder) == 0 &&
            slash == copy.folder.size())
            copy.file = message.sAttachment;
        copy.nKeepSeconds = message.nKeepSeconds;
        // Only a private folder below / is ever removed.
        if (copy.folder.size() < 2 || copy.folder[0] != '/')
            copy = CopyToRemove();
    }

    // The mail program may run for as long as the user writes; it is started
    // by a watcher in a session of its own, so nobody here waits for it, no
    // zombie is left, and a Ctrl-C meant for us does not close the user's
    // mail. Two pipes that close on exec tell us and the watcher whether
    // the start worked.
    int report[2];
    int watch[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return fail(std::string("cannot start xdg-email: ") + std::strerror(errno));
    if (::pipe2(watch, O_CLOEXEC) != 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return fail(std::string("cannot start xdg-email: ") + std::strerror(err));
    }
    pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        for (int fd : {report[0], report[1], watch[0], watch[1]})
            ::close(fd);
        return fail(std::string("cannot start xdg-email: ") + std::strerror(err));
    }
    if (child == 0) {
        ::close(report[0]);
        if (::fork() == 0)
            RunWatcher(argv.data(), report[1], watch, copy);
        ::_exit(0);
    }
    ::close(report[1]);
    ::close(watch[0]);
    ::close(watch[1]);
    int st = 0;
    while (::waitpid(child, &st, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n == static_cast<ssize_t>(sizeof err))
        return fail(std::string("cannot start xdg-email: ") + std::strerror(err));
    return true;
}
