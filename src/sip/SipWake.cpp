#include "sip/SipWake.h"

#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int LocalPort(int fd) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_port);
    return 0;
}

} // namespace

std::vector<int> SocketsOnPorts(const std::vector<int>& ports) {
    std::vector<int> found;
    if (ports.empty())
        return found;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return found;
    const int self = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || end == e->d_name || fd == self)
            continue;
        // What the file is, from its name: nothing is done to a descriptor
        // of another thread's that is not a socket.
        char target[64] = {};
        const std::string link = std::string("/proc/self/fd/") + e->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) <= 0 ||
            std::strncmp(target, "socket:", 7) != 0)
            continue;
        const int port = LocalPort(static_cast<int>(fd));
        if (port != 0 && std::find(ports.begin(), ports.end(), port) != ports.end())
            found.push_back(static_cast<int>(fd));
    }
    ::closedir(dir);
    return found;
}

CSipWake::CSipWake() : m_nEventFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (m_nEventFd < 0)
        std::perror("SIP: eventfd");
}

CSipWake::~CSipWake() {
    if (m_nEventFd >= 0)
        ::close(m_nEventFd);
}

bool CSipWake::Sleep(const std::vector<int>& ports, std::chrono::milliseconds timeout) {
    std::vector<pollfd> fds;
    fds.push_back({m_nEventFd, POLLIN, 0});
    for (int fd : SocketsOnPorts(ports))
        fds.push_back({fd, POLLIN, 0});
    const int n = ::poll(fds.data(), fds.size(), static_cast<int>(timeout.count()));
    if (fds[0].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t r = ::read(m_nEventFd, &count, sizeof count);
    }
    return n > 0;
}

void CSipWake::Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t r = ::write(m_nEventFd, &one, sizeof one);
}
