#include "PtyPair.h"

#include "platform/TickCount.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    char name[128];
    if (::ptsname_r(fd, name, sizeof name) != 0) {
        ::close(fd);
        return;
    }
    // The master side is raw too, so bytes pass unchanged both ways.
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    m_master = fd;
    m_slave = name;
}

PtyPair::~PtyPair() {
    CloseMaster();
}

void PtyPair::CloseMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyPair::Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
        else {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        }
    }
}

namespace {

// Reads from fd until done(what arrived) holds, the other side closes, or
// timeoutMs passed.
template <class Done>
std::string ReadUntil(int fd, int timeoutMs, Done done) {
    std::string got;
    uint32_t start = GetTickCount();
    while (!done(got)) {
        int left = timeoutMs - static_cast<int>(GetTickCount() - start);
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0)
            continue;
        char buf[4096];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

} // namespace

std::string PtyPair::Receive(size_t want, int timeoutMs) {
    return ReadUntil(m_master, timeoutMs,
                     [want](const std::string& got) { return got.size() >= want; });
}

std::string PtyPair::ReceiveUntil(const std::string& text, int timeoutMs) {
    return ReadUntil(m_master, timeoutMs, [&text](const std::string& got) {
        return got.find(text) != std::string::npos;
    });
}
