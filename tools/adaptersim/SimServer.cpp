#include "SimServer.h"

#include "adapter/AdapterWire.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A line the program sent that is no message, shown printable and short.
std::string Shown(std::string_view line) {
    std::string out;
    for (char c : line.substr(0, 60))
        out += (c >= 0x20 && c < 0x7F) ? c : '?';
    return out;
}

} // namespace

CSimServer::~CSimServer() {
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(m_sPath.c_str());
    }
}

bool CSimServer::Listen(const std::string& path, std::string* error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        *error = "socket path too long: " + path;
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(path.c_str());
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0 ||
        ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listenFd, 4) != 0) {
        *error = "cannot listen at " + path + ": " + std::strerror(errno);
        return false;
    }
    ::chmod(path.c_str(), 0600);
    m_sPath = path;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

bool CSimServer::Send(std::string_view line) {
    std::lock_guard lock(m_clientMutex);
    return m_clientFd >= 0 && WriteWire(m_clientFd, line);
}

void CSimServer::Serve() {
    while (!m_bStop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        {
            std::lock_guard lock(m_clientMutex);
            m_clientFd = fd;
        }
        ServeClient(fd);
        std::lock_guard lock(m_clientMutex);
        m_clientFd = -1;
        ::close(fd);
    }
}

void CSimServer::ServeClient(int fd) {
    CWireLineReader lines;
    char buf[4096];
    while (!m_bStop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        if (!lines.Add(buf, static_cast<size_t>(n))) {
            std::fprintf(stderr, "adaptersim: the program sent an endless line; dropped it\n");
            return;
        }
        while (auto line = lines.Next()) {
            auto m = ParseWireLine(*line);
            if (m && m->kind == WireMessage::Kind::Request) {
                bool bOk = m_sim->Op(m->sOp.c_str());
                std::lock_guard lock(m_clientMutex);
                WriteWire(fd, WireReply(bOk));
            } else if (m && m->kind == WireMessage::Kind::Play) {
                m_sim->WriteLine(m->sound.data(), m->sound.size());
            } else {
                std::fprintf(stderr, "adaptersim: ignored: %s\n", Shown(*line).c_str());
            }
        }
    }
}
