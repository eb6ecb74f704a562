#include "HostPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

int MsLeft(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

} // namespace

HostPort::HostPort(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
}

HostPort::~HostPort() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool HostPort::Send(const std::string& bytes) {
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (done < bytes.size()) {
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, MsLeft(deadline)) <= 0)
            return false;
    }
    return true;
}

// -1 on hang-up, else the number of bytes appended.
int HostPort::ReadSome(std::string& into, int timeoutMs) {
    pollfd p{m_fd, POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0)
        return 0;
    char buf[4096];
    ssize_t n = ::read(m_fd, buf, sizeof buf);
    if (n > 0) {
        into.append(buf, static_cast<size_t>(n));
        return static_cast<int>(n);
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR))
        return -1;
    return 0;
}

std::string HostPort::Take(size_t n) {
    n = std::min(n, m_pending.size());
    std::string out = m_pending.substr(0, n);
    m_pending.erase(0, n);
    return out;
}

std::string HostPort::ReadUntil(const std::string& wanted, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t at = m_pending.find(wanted);
        if (at != std::string::npos)
            return Take(at + wanted.size());
        int left = MsLeft(deadline);
        if (left == 0 || ReadSome(m_pending, left) < 0)
            return Take(m_pending.size());
    }
}

std::string HostPort::ReadBytes(size_t count, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pending.size() < count) {
        int left = MsLeft(deadline);
        if (left == 0 || ReadSome(m_pending, left) < 0)
            break;
    }
    return Take(count);
}

std::string HostPort::ReadQuiet(int quietMs) {
    while (ReadSome(m_pending, quietMs) > 0) {
    }
    return Take(m_pending.size());
}

bool HostPort::WaitForHangUp(int timeoutMs) {
    std::string ignored;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (MsLeft(deadline) > 0) {
        if (ReadSome(ignored, MsLeft(deadline)) < 0)
            return true;
        ignored.clear();
    }
    return false;
}

std::string HostPort::Command(const std::string& line, int timeoutMs) {
    if (!Send(line + "\r"))
        return {};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t end = std::string::npos;
        for (const char* word :
             {"\r\nOK\r\n", "\r\nERROR\r\n", "\r\nVCON\r\n", "\r\nCONNECT\r\n"}) {
            size_t at = m_pending.find(word);
            if (at != std::string::npos)
                end = std::min(end, at + std::string(word).size());
        }
        if (end != std::string::npos)
            return Take(end);
        int left = MsLeft(deadline);
        if (left == 0 || ReadSome(m_pending, left) < 0)
            return Take(m_pending.size());
    }
}

double ToneShare(const int16_t* x, size_t n, int rate, double freqHz) {
    if (n == 0)
        return 0;
    double w = 2 * M_PI * freqHz / rate;
    double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0, total = 0;
    for (size_t i = 0; i < n; ++i) {
        double s0 = x[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += static_cast<double>(x[i]) * x[i];
    }
    double power = s1 * s1 + s2 * s2 - coeff * s1 * s2; // |X(f)|^2
    // A pure sine of amplitude A over n samples gives |X|^2 = (A n / 2)^2 and
    // a total energy of A^2 n / 2, so this ratio is 1 for a pure tone.
    return total > 0 ? power * 2 / (total * static_cast<double>(n)) : 0;
}
