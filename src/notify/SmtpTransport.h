// The byte stream under the SMTP dialogue: a TCP connection, optionally
// wrapped in TLS (OpenSSL). Every operation has a deadline, so a server that
// goes silent can never hold the caller.
#pragma once

#include <string>
#include <string_view>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

struct TlsOptions {
    bool bVerifyPeer = true; // certificate chain and host name
    std::string sCaFile;     // extra trusted certificates (PEM); empty: system store only
};

class SmtpTransport {
public:
    enum Result : long { kClosed = 0, kError = -1, kTimeout = -2 };

    SmtpTransport() = default;
    ~SmtpTransport();
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    // Resolves host (a numeric address or a name) and connects to the first
    // address that answers within timeoutMs. On failure sError says why and
    // bResolveFailed tells a name that did not resolve from the rest.
    bool Connect(const std::string& host, int port, int timeoutMs, std::string& sError,
                 bool& bResolveFailed);
    // TLS handshake on the open connection; the server's certificate must
    // name host when verification is on.
    bool StartTls(const std::string& host, const TlsOptions& options, int timeoutMs,
                  std::string& sError);
    // Fails when the server takes nothing for timeoutMs.
    bool Send(std::string_view data, int timeoutMs, std::string& sError);
    // Bytes read (> 0), or kClosed, kError, kTimeout.
    long Receive(char* buf, size_t size, int timeoutMs);
    void Close();
    // A descriptor that, once readable, ends every wait at once as if its
    // time had run out (-1: none). It is watched, never read.
    void SetCancelFd(int fd) { m_cancelFd = fd; }

    bool IsOpen() const { return m_fd >= 0; }
    bool IsTls() const { return m_ssl != nullptr; }

private:
    bool WaitFor(short events, int timeoutMs);

    int m_fd = -1;
    int m_cancelFd = -1;
    SSL_CTX* m_ctx = nullptr;
    SSL* m_ssl = nullptr;
};
