#include "platform/ControlSocket.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxReply = 4096;

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

enum class ConnectResult { Connected, Busy, NotRunning, Denied, Failed };

// One non-blocking connect attempt. A full backlog gives Busy: somebody
// listens but has not caught up yet.
ConnectResult TryConnect(int fd, const sockaddr_un& addr) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
        return ConnectResult::Connected;
    switch (errno) {
    case EAGAIN:
    case EINPROGRESS:
    case EINTR:
        return ConnectResult::Busy;
    case ENOENT:
    case ECONNREFUSED:
        return ConnectResult::NotRunning;
    case EACCES:
    case EPERM:
        return ConnectResult::Denied;
    default:
        return ConnectResult::Failed;
    }
}

bool PeerIsSameUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && len == sizeof cred &&
           cred.uid == ::geteuid();
}

// Sends a short line without blocking and without SIGPIPE from a vanished peer.
void SendLine(int fd, const std::string& line) {
    std::string data = line + "\n";
    (void)::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

// Milliseconds left until start + total, never negative.
int Remaining(uint32_t start, uint32_t total) {
    uint32_t spent = GetTickCount() - start;
    return spent >= total ? 0 : static_cast<int>(total - spent);
}

} // namespace

ControlServer::~ControlServer() {
    Close();
}

ControlServer::ListenResult ControlServer::Listen(const std::string& path, std::string* error) {
    Close();
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return ListenResult::Failed;
    };
    sockaddr_un addr{};
    if (!FillAddress(path, addr))
        return fail(StrPrintf("the socket path %s is too long", path.c_str()));

    // Two instances starting at the same moment must not both decide that the
    // socket is stale and replace each other's: the check and the bind happen
    // under a lock.
    const std::string lockPath = path + ".lock";
    int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0)
        return fail(StrPrintf("cannot open %s: %s", lockPath.c_str(), std::strerror(errno)));
    const uint32_t start = GetTickCount();
    while (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (Remaining(start, 10000) == 0) {
            ::close(lockFd);
            return fail(StrPrintf("%s stays locked", lockPath.c_str()));
        }
        SleepMs(5);
    }
    struct LockGuard {
        int fd;
        ~LockGuard() { ::close(fd); }
    } guard{lockFd};

    if (IsControlSocketLive(path))
        return ListenResult::AlreadyRunning;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode))
            return fail(StrPrintf("%s exists and is not a socket", path.c_str()));
        ::unlink(path.c_str()); // left behind by an instance that crashed
    }

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(StrPrintf("cannot create a socket: %s", std::strerror(errno)));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, static_cast<int>(kMaxClients)) != 0 ||
        ::stat(path.c_str(), &st) != 0) {
        std::string why = StrPrintf("cannot listen on %s: %s", path.c_str(), std::strerror(errno));
        ::close(fd);
        return fail(why);
    }
    m_listenFd = fd;
    m_sPath = path;
    m_inode = st.st_ino;
    return ListenResult::Listening;
}

void ControlServer::Close() {
    while (!m_clients.empty())
        Drop(m_clients.size() - 1);
    if (m_listenFd < 0)
        return;
    ::close(m_listenFd);
    m_listenFd = -1;
    // Remove the file only while it is still ours, never a newer instance's.
    struct stat st {};
    if (::lstat(m_sPath.c_str(), &st) == 0 && st.st_ino == m_inode)
        ::unlink(m_sPath.c_str());
    m_sPath.clear();
}

void ControlServer::Watch(int fd, std::function<void()> onReady) {
    m_watched[fd] = std::move(onReady);
}

void ControlServer::Unwatch(int fd) {
    m_watched.erase(fd);
}

std::vector<int> ControlServer::WatchedFds() const {
    std::vector<int> fds;
    for (const auto& [fd, onReady] : m_watched)
        fds.push_back(fd);
    return fds;
}

void ControlServer::ServeWatched(int fd) {
    auto it = m_watched.find(fd);
    if (it == m_watched.end())
        return;
    // The handler may unwatch its descriptor: it runs on a copy.
    std::function<void()> onReady = it->second;
    onReady();
}

void ControlServer::Process(int waitMs) {
    if (m_listenFd < 0 && m_watched.empty()) {
        // Nothing to serve (another instance keeps the socket, or there is
        // none): the owner's loop still expects to be held here for its wait,
        // or it would spin a whole core.
        if (waitMs > 0)
            SleepMs(static_cast<uint32_t>(waitMs));
        return;
    }
    std::vector<pollfd> fds;
    // A negative descriptor (not listening) is left out by poll.
    fds.push_back({m_listenFd, POLLIN, 0});
    int timeout = std::max(waitMs, 0);
    for (const Client& c : m_clients) {
        fds.push_back({c.fd, POLLIN, 0});
        timeout = std::min(timeout, Remaining(c.start, kRequestDeadlineMs));
    }
    const size_t firstWatched = fds.size();
    for (int fd : WatchedFds())
        fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
        return;
    for (size_t i = firstWatched; i < fds.size(); ++i)
        if (fds[i].revents != 0)
            ServeWatched(fds[i].fd);

    // Every client is tried, not only those poll named: a long request handled
    // just before may have kept others waiting past their deadline through no
    // fault of theirs, and a read that finds nothing costs nothing.
    for (size_t i = m_clients.size(); i-- > 0;)
        if (!ReadFrom(m_clients[i]))
            Drop(i);
    for (size_t i = m_clients.size(); i-- > 0;)
        if (Remaining(m_clients[i].start, kRequestDeadlineMs) == 0)
            Drop(i);
    if (m_listenFd >= 0 && (fds[0].revents & POLLIN))
        Accept();
}

void ControlServer::Accept() {
    for (size_t round = 0; round < kMaxClients; ++round) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (!PeerIsSameUser(fd)) {
            ++m_nRefused;
            SendLine(fd, "denied");
            ::close(fd);
            continue;
        }
        if (m_clients.size() >= kMaxClients) {
            SendLine(fd, "busy");
            ::close(fd);
            continue;
        }
        m_clients.push_back({fd, GetTickCount(), {}});
        // A quick client has its request there already.
        if (!ReadFrom(m_clients.back()))
            Drop(m_clients.size() - 1);
    }
}

bool ControlServer::ReadFrom(Client& client) {
    char buf[kMaxRequest + 1];
    for (;;) {
        ssize_t n = ::recv(client.fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        if (n == 0)
            return false; // gone before finishing its request
        client.buffer.append(buf, static_cast<size_t>(n));
        size_t eol = client.buffer.find('\n');
        if (eol != std::string::npos && eol <= kMaxRequest) {
            std::string request = client.buffer.substr(0, eol);
            if (!request.empty() && request.back() == '\r')
                request.pop_back();
            SendLine(client.fd, m_handler ? m_handler(request) : std::string("unknown"));
            return false;
        }
        if (client.buffer.size() > kMaxRequest) {
            SendLine(client.fd, "error: request too long");
            return false;
        }
    }
}

void ControlServer::Drop(size_t index) {
    ::close(m_clients[index].fd);
    m_clients[index] = std::move(m_clients.back());
    m_clients.pop_back();
}

bool IsControlSocketLive(const std::string& path) {
    sockaddr_un addr{};
    if (!FillAddress(path, addr))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ConnectResult r = TryConnect(fd, addr);
    ::close(fd);
    return r == ConnectResult::Connected || r == ConnectResult::Busy;
}

ControlReply SendControlRequest(const std::string& path, const std::string& request,
                                uint32_t timeoutMs) {
    ControlReply reply;
    auto done = [&](ControlStatus status, const std::string& why) {
        reply.status = status;
        reply.error = why;
        return reply;
    };
    sockaddr_un addr{};
    if (!FillAddress(path, addr))
        return done(ControlStatus::Failed,
                    StrPrintf("the socket path %s is too long", path.c_str()));
    if (request.size() > ControlServer::kMaxRequest || request.find('\n') != std::string::npos)
        return done(ControlStatus::Failed, "the request is not one short line");

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return done(ControlStatus::Failed,
                    StrPrintf("cannot create a socket: %s", std::strerror(errno)));
    struct FdGuard {
        int fd;
        ~FdGuard() { ::close(fd); }
    } guard{fd};

    const uint32_t start = GetTickCount();
    for (;;) {
        ConnectResult r = TryConnect(fd, addr);
        if (r == ConnectResult::Connected)
            break;
        if (r == ConnectResult::NotRunning)
            return done(ControlStatus::NotRunning, "no instance is running");
        if (r == ConnectResult::Denied)
            return done(ControlStatus::Refused, StrPrintf("no access to %s", path.c_str()));
        if (r == ConnectResult::Failed)
            return done(ControlStatus::Failed,
                        StrPrintf("cannot connect to %s: %s", path.c_str(), std::strerror(errno)));
        if (Remaining(start, timeoutMs) == 0)
            return done(ControlStatus::NoReply, "the running instance does not accept requests");
        SleepMs(5);
    }
    // The socket sits in a private folder, but make sure of whom we talk to
    // before handing over anything.
    if (!PeerIsSameUser(fd))
        return done(ControlStatus::Refused, "the instance on the socket belongs to another user");

    std::string line = request + "\n";
    size_t sent = 0;
    while (sent < line.size()) {
        ssize_t n = ::send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, Remaining(start, timeoutMs)) <= 0)
                return done(ControlStatus::NoReply,
                            "the running instance does not take the request");
            continue;
        }
        return done(ControlStatus::Failed, "the connection broke while sending");
    }

    std::string text;
    for (;;) {
        size_t eol = text.find('\n');
        if (eol != std::string::npos) {
            reply.text = text.substr(0, eol);
            if (reply.text == "denied")
                return done(ControlStatus::Refused, "the running instance refused the request");
            reply.status = ControlStatus::Ok;
            return reply;
        }
        if (text.size() > kMaxReply)
            return done(ControlStatus::Failed, "the reply is too long");
        pollfd p{fd, POLLIN, 0};
        int left = Remaining(start, timeoutMs);
        int pr = left > 0 ? ::poll(&p, 1, left) : 0;
        if (pr < 0 && errno == EINTR)
            continue;
        if (pr <= 0)
            return done(ControlStatus::NoReply, "no reply from the running instance in time");
        char buf[512];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return done(ControlStatus::Failed,
                        "the running instance closed the connection unanswered");
        text.append(buf, static_cast<size_t>(n));
    }
}
