#include "ChildProcess.h"

#include "platform/ProcessLaunch.h"
#include "platform/TickCount.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t Spawn(const std::vector<std::string>& argv, int outFd, int errFd, int inFd = -1) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(inFd >= 0 ? inFd : ::open("/dev/null", O_RDONLY), 0);
        if (outFd >= 0)
            ::dup2(outFd, 1);
        if (errFd >= 0)
            ::dup2(errFd, 2);
        ::execvp(args[0], args.data()); // a bare name is looked up in PATH
        ::_exit(127);
    }
    return pid;
}

// Its exit code (128 + the signal that ended it); -1 when it has not ended
// within timeoutMs (then it is killed).
int WaitFor(pid_t pid, unsigned timeoutMs) {
    if (pid <= 0)
        return -1;
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    pollfd p{fd, POLLIN, 0};
    const bool bEnded = fd >= 0 && ::poll(&p, 1, static_cast<int>(timeoutMs)) > 0;
    if (fd >= 0)
        ::close(fd);
    if (!bEnded)
        ::kill(pid, SIGKILL);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !bEnded)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A file in memory for one of a program's standard streams: it never
// fills up as a pipe does, and it keeps what came after the program ended.
int MemoryFile(const std::string& content = {}) {
    const int fd = ::memfd_create("vorella-test", MFD_CLOEXEC);
    if (fd >= 0 &&
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()))
        ::lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string TakeContents(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n = 0;
    for (off_t at = 0; (n = ::pread(fd, buf, sizeof buf, at)) > 0; at += n)
        text.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return text;
}

} // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, unsigned timeoutMs,
                      const std::string& input) {
    ProgramRun run;
    const int out = MemoryFile(), err = MemoryFile(), in = input.empty() ? -1 : MemoryFile(input);
    run.nExit = WaitFor(Spawn(argv, out, err, in), timeoutMs);
    run.out = TakeContents(out);
    run.err = TakeContents(err);
    if (in >= 0)
        ::close(in);
    return run;
}

BackgroundProgram::~BackgroundProgram() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_outFd >= 0)
        ::close(m_outFd);
    CloseInput();
}

bool BackgroundProgram::Start(const std::vector<std::string>& argv, std::string* firstLine,
                              unsigned timeoutMs, bool bInput) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    // A socket rather than a pipe, so that writing to a program that has
    // gone fails instead of raising SIGPIPE.
    int in[2] = {-1, -1};
    if (bInput && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    m_pid = Spawn(argv, out[1], -1, in[0]);
    ::close(out[1]);
    if (bInput)
        ::close(in[0]);
    m_outFd = out[0];
    m_inFd = in[1];
    return ReadLine(firstLine, timeoutMs);
}

bool BackgroundProgram::ReadLine(std::string* line, unsigned timeoutMs) {
    line->clear();
    const uint32_t start = GetTickCount();
    while (m_outFd >= 0 && GetTickCount() - start < timeoutMs) {
        pollfd p{m_outFd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char c;
        if (::read(m_outFd, &c, 1) != 1)
            break;
        if (c == '\n')
            return true;
        *line += c;
    }
    return false;
}

bool BackgroundProgram::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    return m_inFd >= 0 && ::send(m_inFd, text.data(), text.size(), MSG_NOSIGNAL) ==
                              static_cast<ssize_t>(text.size());
}

void BackgroundProgram::CloseInput() {
    if (m_inFd >= 0)
        ::close(m_inFd);
    m_inFd = -1;
}

bool BackgroundProgram::Launch(const std::vector<std::string>& argv,
                               const std::string& outputFile) {
    int fd = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    m_pid = Spawn(argv, fd, fd);
    ::close(fd);
    return m_pid > 0;
}

bool BackgroundProgram::Signal(int sig) {
    return m_pid > 0 && ::kill(m_pid, sig) == 0;
}

int BackgroundProgram::Wait(unsigned timeoutMs) {
    if (m_pid <= 0)
        return -1;
    int code = WaitFor(m_pid, timeoutMs);
    m_pid = -1;
    return code;
}

std::string BuiltProgram(const std::string& name) {
    // Test programs sit beside this one in tests/, the project's programs in bin/.
    std::string tests = GetExecutablePath();
    tests = tests.substr(0, tests.rfind('/') + 1);
    std::string beside = tests + name;
    if (::access(beside.c_str(), X_OK) == 0)
        return beside;
    return tests + "../bin/" + name;
}

ServerProcess::ServerProcess(const std::vector<std::string>& argv) {
    std::string line;
    // Generous: a loaded machine may take a while to start Python.
    if (!m_program.Start(argv, &line, 60000) || line.rfind("PORT ", 0) != 0)
        throw std::runtime_error("the test server " + argv[0] + " did not start: " + line);
    m_nPort = std::stoi(line.substr(5));
}

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}
