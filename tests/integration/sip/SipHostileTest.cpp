// SPDX-License-Identifier: GPL-3.0-or-later
// SIP messages written by hand, as a hostile caller would send them, to the
// SIP provider on 127.0.0.1: overlong display names, a malformed session
// description, a flood of INVITEs. Each is refused or bounded, the process
// lives on, and the line still takes the next ordinary call.
#include "../../unit/tapi/TapiTestSupport.h"
#include "TempHome.h"
#include "sip/SipCallerId.h"
#include "sip/SipProvider.h"
#include "sip/SipSocketGuard.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>

namespace {

const std::string kSdp = "v=0\r\no=eve 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\n"
                         "t=0 0\r\nm=audio 9 RTP/AVP 0\r\na=rtpmap:0 PCMU/8000\r\n";

// A caller with a socket of its own (UDP, or a TCP connection to the line).
class CRawCaller {
public:
    CRawCaller(int port, bool bTcp) : m_nPort(port), m_bTcp(bTcp) {
        m_fd = ::socket(AF_INET, bTcp ? SOCK_STREAM : SOCK_DGRAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_bConnected =
            m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        sockaddr_in local{};
        socklen_t len = sizeof local;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len);
        m_nLocalPort = ntohs(local.sin_port);
    }
    ~CRawCaller() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CRawCaller(const CRawCaller&) = delete;
    CRawCaller& operator=(const CRawCaller&) = delete;

    bool Connected() const { return m_bConnected; }

    // An INVITE from the caller, with the From and To given and any body.
    std::string Invite(const std::string& callId, const std::string& from,
                       const std::string& to = "<sip:vorella@127.0.0.1>",
                       const std::string& body = kSdp) const {
        const std::string transport = m_bTcp ? "TCP" : "UDP";
        const std::string local = "127.0.0.1:" + std::to_string(m_nLocalPort);
        return "INVITE sip:vorella@127.0.0.1:" + std::to_string(m_nPort) +
               ";transport=" + (m_bTcp ? "tcp" : "udp") +
               " SIP/2.0\r\n"
               "Via: SIP/2.0/" +
               transport + " " + local + ";rport;branch=z9hG4bK-" + callId +
               "\r\n"
               "Max-Forwards: 70\r\n"
               "From: " +
               from + ";tag=t-" + callId +
               "\r\n"
               "To: " +
               to +
               "\r\n"
               "Call-ID: " +
               callId +
               "@127.0.0.1\r\n"
               "CSeq: 1 INVITE\r\n"
               "Contact: <sip:eve@" +
               local + ";transport=" + (m_bTcp ? "tcp" : "udp") +
               ">\r\n"
               "Content-Type: application/sdp\r\n"
               "Content-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    bool Send(const std::string& message) const {
        return ::send(m_fd, message.data(), message.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(message.size());
    }
    // Waits (at most timeoutMs) until nCalls calls of this caller have had
    // a final response; their codes by Call-ID (repeated responses count
    // once).
    std::map<std::string, int> WaitFinal(size_t nCalls, int timeoutMs = 30000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
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

private:
    const int m_nPort;
    const bool m_bTcp;
    int m_fd = -1;
    int m_nLocalPort = 0;
    bool m_bConnected = false;
    std::string m_sReceived;
    std::map<std::string, int> m_finals;

    // Takes the whole responses received so far (headers are enough).
    void TakeResponses() {
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
};

class SipHostile : public ::testing::TestWithParam<SipTransport> {
protected:
    void SetUp() override {
        SipAccount account;
        account.sUser = "vorella";
        account.sBindAddress = "127.0.0.1";
        account.nPort = 0;
        account.transport = GetParam();
        CSipProvider::Options options;
        options.sStateFolder = home.File("sip");
        provider = std::make_unique<CSipProvider>(std::vector<SipAccount>{account}, options);
        tapi = std::make_unique<CMyTapi>(*provider, posted.Link());
        ASSERT_TRUE(tapi->Start());
        ASSERT_TRUE(tapi->OpenLine(0));
        port = provider->ListeningPort(0);
        ASSERT_GT(port, 0);
    }
    void TearDown() override {
        tapi.reset();
        provider.reset();
        // The stack keeps its files inside its own folder.
        for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
            EXPECT_NE(entry.path().extension(), ".db") << entry.path();
    }
    bool Tcp() const { return GetParam() == SipTransport::Tcp; }

    // The line still takes an ordinary call, and lets it go again.
    void ExpectAnOrdinaryCallIsOffered(const std::string& callId) {
        CRawCaller caller(port, Tcp());
        ASSERT_TRUE(caller.Connected());
        const size_t before = posted.Count(kTapiMsgCallerId);
        ASSERT_TRUE(caller.Send(caller.Invite(callId, "\"Anna\" <sip:4930123@127.0.0.1>")));
        ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId, before + 1));
        EXPECT_EQ(tapi->Line()->CallerData().sNumber, "4930123");
        const size_t gone = posted.Count(kTapiMsgDeallocated);
        tapi->Line()->Drop();
        ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated, gone + 1));
    }

    TempHome home;
    CPostedMessages posted;
    std::unique_ptr<CSipProvider> provider;
    std::unique_ptr<CMyTapi> tapi;
    int port = 0;
};

TEST_P(SipHostile, OverlongDisplayNamesAreCutAndTheCallIsStillOffered) {
    ASSERT_TRUE(SipInputGuardActive());
    const uint64_t cutsBefore = SipInputGuardCuts();
    // 10 kB names in From and To; a tab in the caller's name as well.
    const std::string name = "Eve\t" + std::string(10000, 'N');
    CRawCaller caller(port, Tcp());
    ASSERT_TRUE(caller.Connected());
    ASSERT_TRUE(caller.Send(caller.Invite("long-1", "\"" + name + "\" <sip:0301234567@127.0.0.1>",
                                          "\"" + name + "\" <sip:vorella@127.0.0.1>")));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData data = tapi->Line()->CallerData();
    EXPECT_EQ(data.sNumber, "0301234567");
    EXPECT_EQ(data.sName,
              ("Eve " + std::string(kSipMaxCallerName, 'N')).substr(0, kSipMaxCallerName));
    EXPECT_EQ(SipInputGuardCuts(), cutsBefore + 2);
    const size_t gone = posted.Count(kTapiMsgDeallocated);
    tapi->Line()->Drop();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated, gone + 1));

    ExpectAnOrdinaryCallIsOffered("after-long");
}

TEST_P(SipHostile, AMalformedSessionDescriptionIsRefusedAndTheLineKept) {
    CRawCaller caller(port, Tcp());
    ASSERT_TRUE(caller.Connected());
    const std::string bodies[] = {
        "v=0\r\nm=audio 99999999999999999999 RTP/AVP 0 0 0\r\n",
        "v=0\r\no=\r\nc=IN IP4\r\nm=audio 1 RTP/AVP " + std::string(3000, '9') + "\r\n",
        std::string("\x01\x02\xff\xfe garbage\r\n\r\n\r\n", 18),
    };
    size_t n = 0;
    for (const std::string& body : bodies) {
        ++n;
        ASSERT_TRUE(
            caller.Send(caller.Invite("sdp-" + std::to_string(n), "<sip:0301234567@127.0.0.1>",
                                      "<sip:vorella@127.0.0.1>", body)));
        // Refused at once, or offered and then let go: either way the
        // caller has a final answer.
        const size_t gone = posted.Count(kTapiMsgDeallocated);
        const auto finals = caller.WaitFinal(n);
        if (finals.size() < n && tapi->Line()->HasCall()) {
            tapi->Line()->Drop();
            ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated, gone + 1));
        }
        EXPECT_EQ(caller.WaitFinal(n).size(), n) << "body " << n;
    }
    ExpectAnOrdinaryCallIsOffered("after-sdp");
}

TEST_P(SipHostile, AFloodOfInvitesIsTurnedAwayWhileTheFirstCallKeepsTheLine) {
    CRawCaller caller(port, Tcp());
    ASSERT_TRUE(caller.Connected());
    ASSERT_TRUE(caller.Send(caller.Invite("first", "\"First\" <sip:111@127.0.0.1>")));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    constexpr int kFlood = 100;
    CRawCaller flooder(port, Tcp());
    ASSERT_TRUE(flooder.Connected());
    const auto callId = [](int i) { return "flood-" + std::to_string(i); };
    const auto invite = [&](int i) {
        return flooder.Invite(callId(i), "<sip:" + std::to_string(900000 + i) + "@127.0.0.1>");
    };
    for (int i = 0; i < kFlood; ++i)
        ASSERT_TRUE(flooder.Send(invite(i)));
    // Every one hears busy; none becomes the line's call. Over UDP the
    // kernel drops what does not fit the stack's socket, so the INVITEs
    // unanswered are sent again, as a caller's stack would.
    auto finals = flooder.WaitFinal(kFlood, Tcp() ? 30000 : 2000);
    for (int round = 0; !Tcp() && round < 15 && finals.size() < kFlood; ++round) {
        for (int i = 0; i < kFlood; ++i)
            if (!finals.contains(callId(i) + "@127.0.0.1"))
                flooder.Send(invite(i));
        finals = flooder.WaitFinal(kFlood, 2000);
    }
    EXPECT_EQ(finals.size(), static_cast<size_t>(kFlood));
    EXPECT_TRUE(
        std::all_of(finals.begin(), finals.end(), [](const auto& f) { return f.second == 486; }));
    EXPECT_EQ(posted.Count(kTapiMsgNewCall), 1u);
    EXPECT_EQ(tapi->Line()->CallerData().sNumber, "111");
    const size_t gone = posted.Count(kTapiMsgDeallocated);
    tapi->Line()->Drop();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated, gone + 1));

    ExpectAnOrdinaryCallIsOffered("after-flood");
}

INSTANTIATE_TEST_SUITE_P(Transports, SipHostile,
                         ::testing::Values(SipTransport::Udp, SipTransport::Tcp),
                         [](const auto& info) {
                             return info.param == SipTransport::Udp ? "Udp" : "Tcp";
                         });

} // namespace
