#include "platform/SerialPort.h"

#include "platform/PortAccess.h"
#include "platform/PortHolder.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct SpeedEntry {
    uint32_t baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {300, B300},       {1200, B1200},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::string Errno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Milliseconds left until deadline, never negative.
int Remaining(uint32_t start, uint64_t total) {
    uint64_t spent = static_cast<uint32_t>(GetTickCount() - start);
    return spent >= total ? 0 : static_cast<int>(std::min<uint64_t>(total - spent, 0x7FFFFFFF));
}

} // namespace

speed_t BaudToSpeed(uint32_t baud) {
    for (const SpeedEntry& e : kSpeeds)
        if (e.baud == baud)
            return e.speed;
    return B0;
}

namespace {

std::string InUseText(const std::string& device) {
    std::string holder = DescribePortHolder(device);
    return device + " is in use by " + (holder.empty() ? "another process" : holder);
}

} // namespace

SerialPort::SerialPort() {
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

SerialPort::~SerialPort() {
    Close(false);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool SerialPort::Open(const std::string& device, uint32_t baud, std::string* error,
                      std::string* notes) {
    Close(false);
    std::string ignored;
    if (!error)
        error = &ignored;
    if (BaudToSpeed(baud) == B0) {
        *error = "unsupported speed " + std::to_string(baud);
        return false;
    }
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // EBUSY: another program holds it exclusively (TIOCEXCL). EACCES:
        // this user is not in the device's group.
        if (errno == EBUSY)
            *error = InUseText(device);
        else if (errno == EACCES || errno == EPERM)
            *error = NoPermissionText(device);
        else
            *error = Errno(device.c_str());
        return false;
    }
    if (!::isatty(fd)) {
        *error = device + ": not a serial device";
        ::close(fd);
        return false;
    }
    // Exclusive: TIOCEXCL keeps other (unprivileged) programs out, the lock
    // keeps out other copies of this program even when they run as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Ours closed first, so that the holder named is the other one.
        ::close(fd);
        *error = InUseText(device);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    if (::tcgetattr(fd, &m_saved) == 0)
        m_bSaved = true;
    m_bFailed = false;
    m_head = m_tail = 0;
    ClearWake();
    if (!ApplySettings(baud, notes)) {
        *error = Errno(device.c_str());
        Close(false);
        return false;
    }
    m_nBaud = baud;
    return true;
}

bool SerialPort::ApplySettings(uint32_t baud, std::string* notes) {
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | HUPCL);
    // CLOCAL: a modem in command or voice mode has no carrier, and the port
    // must work without one. CRTSCTS: the modem holds us back with CTS.
    // (termios has no DSR output flow control; CTS is what voice modems use.)
    t.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // VMIN 1: an empty non-blocking read then fails with EAGAIN, so a read
    // of 0 bytes can only mean a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, BaudToSpeed(baud));
    ::cfsetospeed(&t, BaudToSpeed(baud));
    if (::tcsetattr(m_fd, TCSANOW, &t) != 0)
        return false;
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(m_fd, TIOCMBIS, &lines) != 0 && notes)
        *notes = "no modem control lines on this device (" + std::string(std::strerror(errno)) +
                 "); DTR and RTS left as they are";
    return true;
}

void SerialPort::Close(bool dropDtr) {
    if (m_fd < 0)
        return;
    if (dropDtr) {
        int lines = TIOCM_DTR;
        ::ioctl(m_fd, TIOCMBIC, &lines);
    }
    if (m_bSaved)
        ::tcsetattr(m_fd, TCSANOW, &m_saved);
    ::close(m_fd);
    m_fd = -1;
    m_bSaved = false;
    m_bFailed = false;
    m_head = m_tail = 0;
}

int SerialPort::PollIn(int waitMs) {
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    int n;
    do {
        n = ::poll(fds, m_wakeFd >= 0 ? 2 : 1, waitMs);
    } while (n < 0 && errno == EINTR);
    if (n <= 0)
        return 0;
    if (m_wakeFd >= 0 && (fds[1].revents & POLLIN)) {
        ClearWake();
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            return 0;
    }
    return (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) ? 1 : 0;
}

bool SerialPort::Fill(int waitMs) {
    if (m_fd < 0 || m_bFailed)
        return false;
    if (m_head == m_tail)
        m_head = m_tail = 0;
    if (m_tail == kBufferSize && m_head > 0) {
        std::memmove(m_buf, m_buf + m_head, m_tail - m_head);
        m_tail -= m_head;
        m_head = 0;
    }
    if (m_tail == kBufferSize)
        return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ssize_t n = ::read(m_fd, m_buf + m_tail, kBufferSize - m_tail);
        if (n > 0) {
            m_tail += static_cast<size_t>(n);
            return true;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // A hung-up or vanished device reads as end of file or EIO.
            m_bFailed = true;
            return false;
        }
        if (attempt == 0 && (waitMs == 0 || !PollIn(waitMs)))
            return false;
    }
    return false;
}

int SerialPort::Read(void* buffer, size_t count) {
    if (m_fd < 0)
        return 0;
    if (m_bFailed)
        return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t got = 0;
    auto take = [&] {
        size_t n = std::min(count - got, m_tail - m_head);
        std::memcpy(out + got, m_buf + m_head, n);
        m_head += n;
        got += n;
    };
    const SerialTimeouts& t = m_timeouts;
    constexpr uint32_t kMax = SerialTimeouts::kMaxDword;
    if (count == 0)
        return 0;
    take();
    if (t.readInterval == kMax && t.readMultiplier == 0 && t.readConstant == 0) {
        // Never wait: what is queued now.
        if (got < count && Fill(0))
            take();
    } else if (t.readInterval == kMax && t.readMultiplier == kMax && t.readConstant != 0 &&
               t.readConstant != kMax) {
        // Return what is queued, or wait for the first byte.
        if (got == 0 && (Fill(0) || Fill(static_cast<int>(t.readConstant))))
            take();
        if (got > 0 && got < count && Fill(0))
            take();
    } else {
        // Total and interval time-outs; 0 for both total terms means none.
        uint32_t start = GetTickCount();
        uint64_t total = uint64_t(t.readMultiplier) * count + t.readConstant;
        bool useTotal = total != 0;
        bool useInterval = t.readInterval != 0 && t.readInterval != kMax;
        while (got < count) {
            int wait = useTotal ? Remaining(start, total) : -1;
            if (useInterval && got > 0)
                wait = wait < 0 ? static_cast<int>(t.readInterval)
                                : std::min<int>(wait, static_cast<int>(t.readInterval));
            if (!Fill(0) && (wait == 0 || !Fill(wait)))
                break;
            take();
        }
    }
    if (got == 0 && m_bFailed)
        return -1;
    return static_cast<int>(got);
}

int SerialPort::ReadWithin(void* buffer, size_t count, uint32_t waitMs) {
    if (m_fd < 0)
        return 0;
    if (m_head == m_tail) {
        if (m_bFailed)
            return -1;
        int wait = static_cast<int>(std::min<uint32_t>(waitMs, 0x7FFFFFFF));
        if (!Fill(0) && (wait == 0 || !Fill(wait)))
            return m_bFailed ? -1 : 0;
    }
    size_t n = std::min(count, m_tail - m_head);
    std::memcpy(buffer, m_buf + m_head, n);
    m_head += n;
    return static_cast<int>(n);
}

int SerialPort::Write(const void* buffer, size_t count) {
    if (m_fd < 0)
        return 0;
    if (m_bFailed)
        return -1;
    const auto* in = static_cast<const unsigned char*>(buffer);
    size_t done = 0;
    uint32_t start = GetTickCount();
    uint64_t total = uint64_t(m_timeouts.writeMultiplier) * count + m_timeouts.writeConstant;
    if (total == 0)
        total = 60000; // never wait forever on a stalled line
    while (done < count) {
        ssize_t n = ::write(m_fd, in + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            m_bFailed = true;
            break;
        }
        int wait = Remaining(start, total);
        if (wait == 0)
            break;
        pollfd pfd{m_fd, POLLOUT, 0};
        int r = ::poll(&pfd, 1, wait);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(pfd.revents & POLLOUT)) {
            m_bFailed = true;
            break;
        }
    }
    if (done == 0 && m_bFailed)
        return -1;
    return static_cast<int>(done);
}

void SerialPort::Purge(unsigned flags) {
    if (m_fd < 0)
        return;
    bool rx = flags & (kPurgeRxAbort | kPurgeRxClear);
    bool tx = flags & (kPurgeTxAbort | kPurgeTxClear);
    if (rx)
        m_head = m_tail = 0;
    if (rx && tx)
        ::tcflush(m_fd, TCIOFLUSH);
    else if (rx)
        ::tcflush(m_fd, TCIFLUSH);
    else if (tx)
        ::tcflush(m_fd, TCOFLUSH);
}

bool SerialPort::WaitForInput(uint32_t timeoutMs) {
    if (m_fd < 0)
        return false;
    if (m_head != m_tail || m_bFailed)
        return true;
    int wait = timeoutMs >= 0x7FFFFFFFu ? -1 : static_cast<int>(timeoutMs);
    if (!PollIn(wait))
        return false;
    Fill(0);
    return m_head != m_tail || m_bFailed;
}

size_t SerialPort::Available() {
    if (m_fd < 0)
        return 0;
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0 || queued < 0)
        queued = 0;
    return (m_tail - m_head) + static_cast<size_t>(queued);
}

void SerialPort::Wake() {
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void SerialPort::ClearWake() {
    if (m_wakeFd >= 0) {
        uint64_t v;
        [[maybe_unused]] ssize_t n = ::read(m_wakeFd, &v, sizeof v);
    }
}
