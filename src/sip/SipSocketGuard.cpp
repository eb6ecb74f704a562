// SPDX-License-Identifier: GPL-3.0-or-later
#include "sip/SipSocketGuard.h"

#include "sip/SipHeaderGuard.h"

#include <bctoolbox/crypto.h>
#include <bctoolbox/port.h>

#include <dlfcn.h>
#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// A datagram whose first line is longer than this is not SIP.
constexpr size_t kMaxStartLine = 1024;
// One log line per this long at most, however many callers are cut.
constexpr auto kReportPeriod = std::chrono::seconds(1);

std::mutex g_mutex;
std::unordered_map<bctbx_socket_t, CSipHeaderGuard> g_streams; // under g_mutex
std::unordered_map<const void*, CSipHeaderGuard> g_tlsStreams; // under g_mutex
std::chrono::steady_clock::time_point g_lastReport;            // under g_mutex
uint64_t g_nUnreported = 0;                                    // under g_mutex
std::atomic<uint64_t> g_nCuts{0};

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

std::string PeerName(const sockaddr* addr, socklen_t len) {
    char host[NI_MAXHOST] = "?";
    char port[NI_MAXSERV] = "?";
    if (addr == nullptr || len == 0 ||
        ::getnameinfo(addr, len, host, sizeof host, port, sizeof port,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "an unknown address";
    return std::string(host) + " port " + port;
}

std::string PeerOfSocket(bctbx_socket_t s) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return "an unknown address";
    return PeerName(reinterpret_cast<const sockaddr*>(&addr), len);
}

// Under g_mutex.
void Report(int nCuts, const std::string& peer) {
    g_nCuts += static_cast<uint64_t>(nCuts);
    g_nUnreported += static_cast<uint64_t>(nCuts);
    const auto now = std::chrono::steady_clock::now();
    if (now - g_lastReport < kReportPeriod)
        return;
    std::fprintf(stderr,
                 "SIP: a display name of more than %zu characters from %s was cut (%llu since "
                 "the last report)\n",
                 CSipHeaderGuard::kMaxDisplayName, peer.c_str(),
                 static_cast<unsigned long long>(g_nUnreported));
    g_lastReport = now;
    g_nUnreported = 0;
}

// A request ("INVITE sip:... SIP/2.0") or a response ("SIP/2.0 200 OK").
bool LooksLikeSip(const char* data, size_t n) {
    const std::string_view text(data, std::min(n, kMaxStartLine));
    if (text.starts_with("SIP/2.0 "))
        return true;
    const size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return false;
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line.ends_with(" SIP/2.0");
}

// Filters a stream's next bytes; a peek filters a copy, so that the bytes
// read afterwards come out the same.
int FilterStream(CSipHeaderGuard& guard, void* data, size_t n, bool bPeek) {
    if (bPeek) {
        CSipHeaderGuard copy = guard;
        return copy.Filter(static_cast<char*>(data), n);
    }
    return guard.Filter(static_cast<char*>(data), n);
}

} // namespace

extern "C" {

ssize_t bctbx_recv(bctbx_socket_t socket, void* buffer, size_t length, int flags) {
    static const auto real = Next<ssize_t (*)(bctbx_socket_t, void*, size_t, int)>("bctbx_recv");
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    const ssize_t n = real(socket, buffer, length, flags);
    if (n > 0) {
        std::lock_guard lock(g_mutex);
        const bool bPeek = (flags & MSG_PEEK) != 0;
        const int nCuts = FilterStream(g_streams[socket], buffer, static_cast<size_t>(n), bPeek);
        if (nCuts > 0 && !bPeek)
            Report(nCuts, PeerOfSocket(socket));
    }
    return n;
}

ssize_t bctbx_recvfrom(bctbx_socket_t socket, void* buffer, size_t length, int flags,
                       struct sockaddr* address, socklen_t* address_len) {
    static const auto real =
        Next<ssize_t (*)(bctbx_socket_t, void*, size_t, int, sockaddr*, socklen_t*)>(
            "bctbx_recvfrom");
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    const ssize_t n = real(socket, buffer, length, flags, address, address_len);
    if (n > 0 && LooksLikeSip(static_cast<const char*>(buffer), static_cast<size_t>(n))) {
        // Each datagram is a message of its own.
        CSipHeaderGuard guard;
        const int nCuts = guard.Filter(static_cast<char*>(buffer), static_cast<size_t>(n));
        if (nCuts > 0 && (flags & MSG_PEEK) == 0) {
            std::lock_guard lock(g_mutex);
            Report(nCuts, PeerName(address, address_len ? *address_len : 0));
        }
    }
    return n;
}

int bctbx_socket_close(bctbx_socket_t sockfd) {
    static const auto real = Next<int (*)(bctbx_socket_t)>("bctbx_socket_close");
    {
        std::lock_guard lock(g_mutex);
        g_streams.erase(sockfd);
    }
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    return real(sockfd);
}

int32_t bctbx_ssl_read(bctbx_ssl_context_t* ssl_ctx, unsigned char* buf, size_t buf_length) {
    static const auto real =
        Next<int32_t (*)(bctbx_ssl_context_t*, unsigned char*, size_t)>("bctbx_ssl_read");
    if (real == nullptr)
        return -1;
    const int32_t n = real(ssl_ctx, buf, buf_length);
    if (n > 0) {
        std::lock_guard lock(g_mutex);
        const int nCuts = FilterStream(g_tlsStreams[ssl_ctx], buf, static_cast<size_t>(n), false);
        if (nCuts > 0)
            Report(nCuts, "a TLS connection");
    }
    return n;
}

void bctbx_ssl_context_free(bctbx_ssl_context_t* ssl_ctx) {
    static const auto real = Next<void (*)(bctbx_ssl_context_t*)>("bctbx_ssl_context_free");
    {
        std::lock_guard lock(g_mutex);
        g_tlsStreams.erase(ssl_ctx);
    }
    if (real != nullptr)
        real(ssl_ctx);
}

} // extern "C"

bool SipInputGuardActive() {
    // The names the process binds are the program's own only when exported.
    return ::dlsym(RTLD_DEFAULT, "bctbx_recv") == reinterpret_cast<void*>(&bctbx_recv) &&
           ::dlsym(RTLD_DEFAULT, "bctbx_recvfrom") == reinterpret_cast<void*>(&bctbx_recvfrom) &&
           ::dlsym(RTLD_DEFAULT, "bctbx_ssl_read") == reinterpret_cast<void*>(&bctbx_ssl_read);
}

uint64_t SipInputGuardCuts() {
    return g_nCuts;
}
