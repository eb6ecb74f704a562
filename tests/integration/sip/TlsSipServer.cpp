#include "TlsSipServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

// The lines of a header ("Via", "From" ...) in a message head.
std::vector<std::string> Headers(const std::string& head, const std::string& name) {
    std::vector<std::string> values;
    std::istringstream in(head);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
            line[name.size()] == ':')
            values.push_back(line);
    }
    return values;
}

// A response to the request whose head is given, copying what identifies
// the transaction; body an SDP offer or nothing.
std::string Response(const std::string& head, int nPort, const std::string& body) {
    std::string r = "SIP/2.0 200 OK\r\n";
    for (const char* name : {"Via", "From", "Call-ID", "CSeq"})
        for (const std::string& h : Headers(head, name))
            r += h + "\r\n";
    for (const std::string& h : Headers(head, "To"))
        r += h + (h.find(";tag=") == std::string::npos ? ";tag=srv1" : "") + "\r\n";
    r += "Contact: <sip:server@127.0.0.1:" + std::to_string(nPort) + ";transport=tls>\r\n";
    if (!body.empty())
        r += "Content-Type: application/sdp\r\n";
    r += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return r;
}

const char* const kOffer = "v=0\r\no=server 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\n"
                           "t=0 0\r\nm=audio 9 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";

} // namespace

CTlsSipServer::CTlsSipServer(const std::string& sCertFile, const std::string& sKeyFile) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_listenFd >= 0 && ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
        ::listen(m_listenFd, 1) == 0 &&
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        m_nPort = ntohs(addr.sin_port);
    m_thread = std::thread([this, sCertFile, sKeyFile] { Run(sCertFile, sKeyFile); });
}

CTlsSipServer::~CTlsSipServer() {
    m_bQuit = true;
    m_thread.join();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

void CTlsSipServer::Note(const std::string& sWhat) {
    std::lock_guard lock(m_mutex);
    m_seen.push_back(sWhat);
    m_cv.notify_all();
}

bool CTlsSipServer::WaitFor(const std::string& sWhat) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::seconds(30), [&] {
        for (const std::string& s : m_seen)
            if (s == sWhat)
                return true;
        return false;
    });
}

std::vector<std::string> CTlsSipServer::Seen() const {
    std::lock_guard lock(m_mutex);
    return m_seen;
}

std::string CTlsSipServer::InviteFrom() const {
    std::lock_guard lock(m_mutex);
    return m_sFrom;
}

void CTlsSipServer::Run(const std::string& sCertFile, const std::string& sKeyFile) {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> ctx(SSL_CTX_new(TLS_server_method()),
                                                          SSL_CTX_free);
    if (!ctx || SSL_CTX_use_certificate_file(ctx.get(), sCertFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx.get(), sKeyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        Note("no certificate");
        return;
    }
    // Waits for the caller in short rounds, so that the end is seen.
    int fd = -1;
    while (fd < 0 && !m_bQuit) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            fd = ::accept(m_listenFd, nullptr, nullptr);
    }
    if (fd < 0)
        return;
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(ctx.get()), SSL_free);
    SSL_set_fd(ssl.get(), fd);
    if (SSL_accept(ssl.get()) != 1) {
        Note("handshake failed");
        ::close(fd);
        return;
    }
    std::string in;
    while (!m_bQuit) {
        pollfd p{fd, POLLIN, 0};
        if (SSL_pending(ssl.get()) == 0 && ::poll(&p, 1, 50) <= 0)
            continue;
        char buf[4096];
        const int n = SSL_read(ssl.get(), buf, sizeof buf);
        if (n <= 0) {
            Note("closed");
            break;
        }
        in.append(buf, static_cast<size_t>(n));
        // Every whole message received so far.
        for (size_t end; (end = in.find("\r\n\r\n")) != std::string::npos;) {
            const std::string head = in.substr(0, end + 2);
            size_t nBody = 0;
            for (const std::string& h : Headers(head, "Content-Length"))
                nBody = std::strtoul(h.c_str() + 15, nullptr, 10);
            if (in.size() < end + 4 + nBody)
                break;
            in.erase(0, end + 4 + nBody);
            const std::string method = head.substr(0, head.find(' '));
            if (method == "INVITE") {
                const auto from = Headers(head, "From");
                std::lock_guard lock(m_mutex);
                m_sFrom = from.empty() ? "" : from[0];
            }
            Note(method);
            std::string reply;
            if (method == "INVITE")
                reply = Response(head, m_nPort, kOffer);
            else if (method == "BYE")
                reply = Response(head, m_nPort, "");
            if (!reply.empty())
                SSL_write(ssl.get(), reply.data(), static_cast<int>(reply.size()));
        }
    }
    SSL_shutdown(ssl.get());
    ::close(fd);
}
