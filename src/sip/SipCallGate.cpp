#include "sip/SipCallGate.h"

#include "sip/SipRegistration.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

// A numeric address in one spelling ("::ffff:10.0.0.1" and "10.0.0.1" are
// one sender); "" when text is no numeric address.
std::string NormalAddress(std::string_view text) {
    std::string host(text);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    char out[INET6_ADDRSTRLEN] = "";
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1)
        return ::inet_ntop(AF_INET, &v4, out, sizeof out) ? out : "";
    in6_addr v6{};
    if (::inet_pton(AF_INET6, host.c_str(), &v6) != 1)
        return "";
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::copy_n(v6.s6_addr + 12, 4, reinterpret_cast<unsigned char*>(&v4.s_addr));
        return ::inet_ntop(AF_INET, &v4, out, sizeof out) ? out : "";
    }
    return ::inet_ntop(AF_INET6, &v6, out, sizeof out) ? out : "";
}

// The value of parameter name (";name=value") in params, or "".
std::string_view Param(std::string_view params, std::string_view name) {
    size_t pos = 0;
    while ((pos = params.find(';', pos)) != std::string_view::npos) {
        ++pos;
        std::string_view rest = TrimView(params.substr(pos));
        if (rest.size() > name.size() && EqualsNoCase(rest.substr(0, name.size()), name) &&
            rest[name.size()] == '=') {
            std::string_view value = rest.substr(name.size() + 1);
            return TrimView(value.substr(0, value.find(';')));
        }
    }
    return {};
}

} // namespace

std::string SipHostOf(std::string_view hostPort) {
    hostPort = TrimView(hostPort);
    if (hostPort.starts_with('[')) {
        const size_t end = hostPort.find(']');
        return std::string(hostPort.substr(1, end == std::string_view::npos ? end : end - 1));
    }
    hostPort = hostPort.substr(0, hostPort.find(';'));
    // A bare IPv6 address has colons of its own.
    if (std::count(hostPort.begin(), hostPort.end(), ':') > 1)
        return std::string(hostPort);
    return std::string(hostPort.substr(0, hostPort.find(':')));
}

CSipCallGate::CSipCallGate(std::string sRegistrar) : m_sHost(SipHostOf(sRegistrar)) {}

bool CSipCallGate::Resolve(std::string* pError) {
    if (m_sHost.empty())
        return true;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(m_sHost.c_str(), nullptr, &hints, &found);
    if (rc != 0) {
        if (pError)
            *pError = "the registrar's name " + CleanSipText(m_sHost) +
                      " cannot be resolved (DNS): " + ::gai_strerror(rc);
        return false;
    }
    std::vector<std::string> addresses;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        char host[NI_MAXHOST] = "";
        if (::getnameinfo(a->ai_addr, a->ai_addrlen, host, sizeof host, nullptr, 0,
                          NI_NUMERICHOST) == 0) {
            const std::string normal = NormalAddress(host);
            if (!normal.empty() &&
                std::find(addresses.begin(), addresses.end(), normal) == addresses.end())
                addresses.push_back(normal);
        }
    }
    ::freeaddrinfo(found);
    m_addresses = std::move(addresses);
    return !m_addresses.empty();
}

std::string CSipCallGate::ViaSource(std::string_view via) {
    // The top one of several values; after its "SIP/2.0/UDP", the sent-by.
    via = TrimView(via.substr(0, via.find(',')));
    const size_t blank = via.find_first_of(" \t");
    if (blank == std::string_view::npos)
        return "";
    const std::string_view value = TrimView(via.substr(blank));
    const size_t semi = value.find(';');
    const std::string_view params = semi == std::string_view::npos ? "" : value.substr(semi);
    const std::string_view received = Param(params, "received");
    if (!received.empty())
        return NormalAddress(received);
    return NormalAddress(SipHostOf(value.substr(0, semi)));
}

bool CSipCallGate::Allows(std::string_view via) const {
    if (m_sHost.empty())
        return true;
    const std::string source = ViaSource(via);
    return !source.empty() &&
           std::find(m_addresses.begin(), m_addresses.end(), source) != m_addresses.end();
}

std::string CSipCallGate::Refused(const std::string& sSource,
                                  std::chrono::steady_clock::time_point now) {
    ++m_nRefused;
    ++m_nUnreported;
    m_sLastSource = sSource;
    return Due(now);
}

std::string CSipCallGate::Due(std::chrono::steady_clock::time_point now) {
    if (m_nUnreported == 0 || (m_bReported && now - m_lastReport < kReportPeriod))
        return "";
    m_bReported = true;
    m_lastReport = now;
    const std::string text =
        StrPrintf("refused %llu call%s not sent by the registrar (last from %s; %llu since start)",
                  static_cast<unsigned long long>(m_nUnreported), m_nUnreported == 1 ? "" : "s",
                  m_sLastSource.empty() ? "an unknown address" : m_sLastSource.c_str(),
                  static_cast<unsigned long long>(m_nRefused));
    m_nUnreported = 0;
    return text;
}
