// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawSipCaller.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

const std::string kRawSipSdp = "v=0\r\no=eve 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\n"
                               "t=0 0\r\nm=audio 9 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";

int FreeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool bBound = fd >= 0 &&
                        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    EXPECT_TRUE(bBound) << "no free UDP port on 127.0.0.1";
    ::close(fd);
    return bBound ? ntohs(addr.sin_port) : 0;
}

CRawCaller::CRawCaller(int port, bool bTcp, const std::string& sLocal, const std::string& sViaHost)
    : m_nPort(port), m_bTcp(bTcp), m_sViaHost(sViaHost.empty() ? sLocal : sViaHost) {
    m_fd = ::socket(AF_INET, bTcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    const bool bBound = m_fd >= 0 && ::inet_pton(AF_INET, sLocal.c_str(), &from.sin_addr) == 1 &&
                        ::bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_TRUE(bBound && ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        << "a caller from " << sLocal << " to port " << port;
    sockaddr_in local{};
    socklen_t len = sizeof local;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len);
    m_nLocalPort = ntohs(local.sin_port);
}

CRawCaller::~CRawCaller() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string CRawCaller::Invite(const std::string& callId, const std::string& from,
                               const std::string& to, const std::string& body) const {
    const std::string lower = m_bTcp ? "tcp" : "udp";
    const std::string upper = m_bTcp ? "TCP" : "UDP";
    const std::string local = m_sViaHost + ":" + std::to_string(m_nLocalPort);
    std::string m;
    m += "INVITE sip:vorella@127.0.0.1:" + std::to_string(m_nPort) + ";transport=" + lower +
         " SIP/2.0\r\n";
    m += "Via: SIP/2.0/" + upper + " " + local + ";rport;branch=z9hG4bK-" + callId + "\r\n";
    m += "Max-Forwards: 70\r\n";
    m += "From: " + from + ";tag=t-" + callId + "\r\n";
    m += "To: " + to + "\r\n";
    m += "Call-ID: " + callId + "@127.0.0.1\r\n";
    m += "CSeq: 1 INVITE\r\n";
    m += "Contact: <sip:eve@" + local + ";transport=" + lower + ">\r\n";
    m += "Content-Type: application/sdp\r\n";
    m += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    return m + body;
}

bool CRawCaller::Send(const std::string& message) const {
    return ::send(m_fd, message.data(), message.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(message.size());
}

std::map<std::string, int> CRawCaller::WaitFinal(size_t nCalls, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd p{m_fd, POLLIN, 0};
    while (m_finals.size() < nCalls && std::chrono::steady_clock::now() < deadline) {
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[65536];
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        m_sReceived.append(buf, static_cast<size_t>(n));
        TakeResponses();
    }
    return m_finals;
}

void CRawCaller::TakeResponses() {
    size_t end;
    while ((end = m_sReceived.find("\r\n\r\n")) != std::string::npos) {
        const std::string head = m_sReceived.substr(0, end);
        m_sReceived.erase(0, end + 4);
        const size_t length = head.find("\r\nContent-Length: ");
        if (length != std::string::npos)
            m_sReceived.erase(0, std::stoul(head.substr(length + 18)));
        const size_t id = head.find("\r\nCall-ID: ");
        if (!head.starts_with("SIP/2.0 ") || id == std::string::npos)
            continue;
        const int code = std::atoi(head.c_str() + 8);
        const std::string callId = head.substr(id + 11, head.find("\r\n", id + 2) - id - 11);
        if (code >= 200)
            m_finals.emplace(callId, code);
    }
}
