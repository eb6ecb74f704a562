#include "notify/SmtpTransport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

std::string OpenSslError() {
    unsigned long e = ERR_get_error();
    std::string text;
    while (e != 0) {
        char buf[256];
        ERR_error_string_n(e, buf, sizeof buf);
        text = buf; // the last one queued is the most specific
        e = ERR_get_error();
    }
    return text.empty() ? std::string("TLS failure") : text;
}

bool IsNumericAddress(const std::string& host) {
    in6_addr a6{};
    in_addr a4{};
    return ::inet_pton(AF_INET, host.c_str(), &a4) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &a6) == 1;
}

} // namespace

SmtpTransport::~SmtpTransport() {
    Close();
}

void SmtpTransport::Close() {
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    if (m_ctx) {
        SSL_CTX_free(m_ctx);
        m_ctx = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool SmtpTransport::WaitFor(short events, int timeoutMs) {
    pollfd p[2] = {{m_fd, events, 0}, {m_cancelFd, POLLIN, 0}};
    for (;;) {
        int n = ::poll(p, m_cancelFd >= 0 ? 2 : 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 && p[1].revents == 0;
    }
}

bool SmtpTransport::Connect(const std::string& host, int port, int timeoutMs, std::string& sError,
                            bool& bResolveFailed) {
    Close();
    bResolveFailed = false;
    // A server that closes while we write must give an error, not end the
    // process; OpenSSL writes through plain write() calls.
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });

    if (host.empty() || port <= 0 || port > 65535) {
        bResolveFailed = host.empty();
        sError = host.empty() ? "no mail server is set" : "invalid port";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) {
        bResolveFailed = true;
        sError = "cannot resolve " + host + ": " + ::gai_strerror(rc);
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sError = "cannot connect to " + host;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          ai->ai_protocol);
        if (fd < 0)
            continue;
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0 && errno != EINPROGRESS) {
            sError = "cannot connect to " + host + ": " + std::strerror(errno);
            ::close(fd);
            continue;
        }
        m_fd = fd;
        int err = 0;
        socklen_t len = sizeof err;
        if (!WaitFor(POLLOUT, MsLeft(deadline))) {
            sError = "connecting to " + host + " timed out";
            err = ETIMEDOUT;
        } else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
            err = errno;
        }
        if (err == 0)
            break;
        if (err != ETIMEDOUT)
            sError = "cannot connect to " + host + ": " + std::strerror(err);
        ::close(fd);
        m_fd = -1;
    }
    ::freeaddrinfo(list);
    if (m_fd < 0)
        return false;
    int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sError.clear();
    return true;
}

bool SmtpTransport::StartTls(const std::string& host, const TlsOptions& options, int timeoutMs,
                             std::string& sError) {
    if (m_fd < 0 || m_ssl) {
        sError = "no connection for TLS";
        return false;
    }
    ERR_clear_error();
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx) {
        sError = OpenSslError();
        return false;
    }
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    if (options.bVerifyPeer) {
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(m_ctx);
        if (!options.sCaFile.empty() &&
            SSL_CTX_load_verify_locations(m_ctx, options.sCaFile.c_str(), nullptr) != 1) {
            sError = "cannot load the certificates in " + options.sCaFile;
            return false;
        }
    } else {
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_NONE, nullptr);
    }
    m_ssl = SSL_new(m_ctx);
    if (!m_ssl || SSL_set_fd(m_ssl, m_fd) != 1) {
        sError = OpenSslError();
        return false;
    }
    const bool numeric = IsNumericAddress(host);
    if (!numeric)
        SSL_set_tlsext_host_name(m_ssl, host.c_str());
    if (options.bVerifyPeer) {
        X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        int ok = numeric ? X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str())
                         : X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
        if (ok != 1) {
            sError = "cannot check the certificate against " + host;
            return false;
        }
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int rc = SSL_connect(m_ssl);
        if (rc == 1)
            return true;
        int e = SSL_get_error(m_ssl, rc);
        if ((e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) &&
            WaitFor(e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, MsLeft(deadline)))
            continue;
        if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
            sError = "the TLS handshake timed out";
        } else {
            long verify = SSL_get_verify_result(m_ssl);
            sError = verify != X509_V_OK
                         ? std::string("the server's certificate is not trusted: ") +
                               X509_verify_cert_error_string(verify)
                         : "the TLS handshake failed: " + OpenSslError();
        }
        return false;
    }
}

bool SmtpTransport::Send(std::string_view data, int timeoutMs, std::string& sError) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t lastSize = data.size();
    while (!data.empty()) {
        if (data.size() != lastSize) { // progress: the stall clock starts again
            lastSize = data.size();
            deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        }
        if (m_fd < 0) {
            sError = "not connected";
            return false;
        }
        size_t chunk = std::min<size_t>(data.size(), 64 * 1024);
        short waitFor = POLLOUT;
        if (m_ssl) {
            size_t written = 0;
            ERR_clear_error();
            int rc = SSL_write_ex(m_ssl, data.data(), chunk, &written);
            if (rc == 1) {
                data.remove_prefix(written);
                continue;
            }
            int e = SSL_get_error(m_ssl, rc);
            if (e == SSL_ERROR_WANT_READ)
                waitFor = POLLIN;
            else if (e != SSL_ERROR_WANT_WRITE) {
                sError = "the connection broke while sending: " + OpenSslError();
                return false;
            }
        } else {
            ssize_t n = ::send(m_fd, data.data(), chunk, MSG_NOSIGNAL);
            if (n > 0) {
                data.remove_prefix(static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                sError = std::string("the connection broke while sending: ") + std::strerror(errno);
                return false;
            }
        }
        if (!WaitFor(waitFor, MsLeft(deadline))) {
            sError = "sending timed out";
            return false;
        }
    }
    return true;
}

long SmtpTransport::Receive(char* buf, size_t size, int timeoutMs) {
    if (m_fd < 0)
        return kError;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        short waitFor = POLLIN;
        if (m_ssl) {
            size_t got = 0;
            ERR_clear_error();
            int rc = SSL_read_ex(m_ssl, buf, size, &got);
            if (rc == 1)
                return static_cast<long>(got);
            int e = SSL_get_error(m_ssl, rc);
            if (e == SSL_ERROR_ZERO_RETURN)
                return kClosed;
            if (e == SSL_ERROR_WANT_WRITE)
                waitFor = POLLOUT;
            else if (e != SSL_ERROR_WANT_READ)
                return e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 ? kClosed : kError;
        } else {
            ssize_t n = ::recv(m_fd, buf, size, 0);
            if (n > 0)
                return static_cast<long>(n);
            if (n == 0)
                return kClosed;
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return kError;
        }
        int left = MsLeft(deadline);
        if (left <= 0 || !WaitFor(waitFor, left))
            return kTimeout;
    }
}
