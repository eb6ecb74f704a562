#include "notify/MailHandoff.h"

#include "platform/TextUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

    // The mail program may run for as long as the user writes; start it in a
    // grandchild so nobody has to wait for it and no zombie is left. A pipe
    // that closes on exec tells whether the start worked.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return fail(std::string("cannot start xdg-email: ") + std::strerror(errno));
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return fail(std::string("cannot start xdg-email: ") + std::strerror(errno));
    }
    if (child == 0) {
        ::close(report[0]);
        if (::fork() == 0) {
            int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, 0);
                ::dup2(devnull, 1);
            }
            ::execv(argv[0], argv.data());
            int err = errno;
            ssize_t ignored = ::write(report[1], &err, sizeof err);
            (void)ignored;
            ::_exit(127);
        }
        ::_exit(0);
    }
    ::close(report[1]);
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
