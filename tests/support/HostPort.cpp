#include "HostPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
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
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        Adopt(fd);
}

void HostPort::Adopt(int fd) {
    m_fd = fd;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
}

HostPort::~HostPort() {
    Close();
}

void HostPort::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

PtyPair::PtyPair() {
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 ||
        ::ptsname_r(fd, name, sizeof name) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    Adopt(fd);
    m_slave = name;
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

std::string HostPort::ReadTill(int timeoutMs,
                               const std::function<size_t(const std::string&)>& end) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t n = end(m_pending);
        if (n != std::string::npos)
            return Take(n);
        int left = MsLeft(deadline);
        if (left == 0 || ReadSome(m_pending, left) < 0)
            return Take(m_pending.size());
    }
}

std::string HostPort::ReadUntil(const std::string& wanted, int timeoutMs) {
    return ReadTill(timeoutMs, [&](const std::string& s) {
        size_t at = s.find(wanted);
        return at == std::string::npos ? at : at + wanted.size();
    });
}

std::string HostPort::ReadBytes(size_t count, int timeoutMs) {
    return ReadTill(timeoutMs, [count](const std::string& s) {
        return s.size() >= count ? count : std::string::npos;
    });
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
    return ReadTill(timeoutMs, [](const std::string& s) {
        size_t end = std::string::npos;
        for (std::string word : {"OK", "ERROR", "VCON", "CONNECT"})
            if (size_t at = s.find("\r\n" + word + "\r\n"); at != std::string::npos)
                end = std::min(end, at + word.size() + 4);
        return end;
    });
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

Unshielded Unshield(const std::string& raw) {
    Unshielded u;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\x10') {
            u.data += raw[i];
        } else if (++i < raw.size()) {
            if (raw[i] == '\x10')
                u.data += raw[i];
            else
                u.codes.emplace_back(u.data.size(), raw[i]);
        }
    }
    return u;
}

std::string Shield(const std::string& data) {
    std::string out;
    for (char c : data) {
        if (c == '\x10')
            out += c;
        out += c;
    }
    return out;
}

std::vector<int16_t> DecodeUnsigned8(const std::string& data) {
    std::vector<int16_t> out;
    for (unsigned char c : data)
        out.push_back(static_cast<int16_t>((c - 128) * 256));
    return out;
}

std::string EncodeLinear16(const std::vector<int16_t>& samples) {
    std::string out;
    for (int16_t v : samples) {
        auto u = static_cast<uint16_t>(v);
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::vector<int16_t> DecodeLinear16(const std::string& data) {
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        out.push_back(static_cast<int16_t>(static_cast<uint8_t>(data[i]) |
                                           static_cast<uint8_t>(data[i + 1]) << 8));
    return out;
}

std::vector<int16_t> Sine(double freq, int rate, size_t n, double amplitude) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * M_PI * freq * static_cast<double>(i) / rate)));
    return s;
}
