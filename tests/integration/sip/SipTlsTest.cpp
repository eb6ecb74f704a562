// A call over TLS on 127.0.0.1: the line calls OpenSSL's own TLS server
// (openssl s_server, which prints what it receives and sends what it is
// given) with a certificate the test made (self-signed, for 127.0.0.1); the
// test answers the line's requests through it. Trusting the certificate
// through the account's own authority file, the line gets through, talks
// and hangs up over TLS; without it, the line refuses the server at the
// handshake and sends it nothing.
#include "SipTestLine.h"

#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kOffer = "v=0\no=server 1 1 IN IP4 127.0.0.1\ns=-\nc=IN IP4 127.0.0.1\n"
                           "t=0 0\nm=audio 9 RTP/AVP 0\na=rtpmap:0 PCMU/8000\n";

class SipTls : public ::testing::Test {
protected:
    void SetUp() override {
        // The stack's TLS library matches the name against the certificate's
        // DNS names only, so 127.0.0.1 is one of those too.
        const ProgramRun made =
            RunProgram({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                        "/CN=127.0.0.1", "-addext", "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1",
                        "-keyout", home.File("server-key.pem"), "-out", home.File("server.pem")});
        ASSERT_EQ(made.nExit, 0) << made.err;
        // One connection; each line end it is given goes out as CRLF.
        std::string line;
        ASSERT_TRUE(server.Start({"/usr/bin/openssl", "s_server", "-accept", "127.0.0.1:0", "-cert",
                                  home.File("server.pem"), "-key", home.File("server-key.pem"),
                                  "-naccept", "1", "-crlf"},
                                 &line, 30000, true));
        while (!line.starts_with("ACCEPT 127.0.0.1:"))
            ASSERT_TRUE(server.ReadLine(&line)) << line;
        uri = "sip:server@127.0.0.1:" + line.substr(17) + ";transport=tls";
    }
    // The head of the next request the server received, without line ends
    // (empty once the server has ended); what else it printed (its own
    // notes, bodies) goes to printed.
    std::vector<std::string> NextRequest() {
        std::vector<std::string> head;
        for (std::string line; server.ReadLine(&line);) {
            if (line.ends_with('\r'))
                line.pop_back();
            if (head.empty() && !line.ends_with(" SIP/2.0"))
                printed.push_back(line);
            else if (line.empty())
                break;
            else
                head.push_back(line);
        }
        return head;
    }
    // Answers a request with 200, copying what identifies its transaction;
    // an INVITE's with an offer of G.711.
    void Answer(const std::vector<std::string>& head) {
        std::string r = "SIP/2.0 200 OK\n";
        for (const std::string& h : head)
            if (h.starts_with("Via:") || h.starts_with("From:") || h.starts_with("Call-ID:") ||
                h.starts_with("CSeq:") || h.starts_with("To:"))
                r += h + (h.starts_with("To:") && h.find(";tag=") == std::string::npos
                              ? ";tag=srv1\n"
                              : "\n");
        r += "Contact: <" + uri + ">\n";
        const std::string sdp = head[0].starts_with("INVITE ") ? kOffer : "";
        if (!sdp.empty())
            r += "Content-Type: application/sdp\n";
        const auto nCrlf = std::count(sdp.begin(), sdp.end(), '\n');
        r += "Content-Length: " + std::to_string(sdp.size() + nCrlf) + "\n\n" + sdp;
        r.pop_back(); // the line end the server is given last
        ASSERT_TRUE(server.WriteLine(r));
    }

    TempHome home;
    BackgroundProgram server;
    std::string uri; // the server's address
    std::vector<std::string> printed;
    SipTestLine line;
};

TEST_F(SipTls, TrustingTheServersCertificateTheLineCallsTalksAndHangsUp) {
    ASSERT_NO_FATAL_FAILURE(
        line.Open(home.File("sip"), SipTransport::Tls, home.File("server.pem")));
    EXPECT_EQ(line.Line().MakeCall(uri), 0);
    const std::vector<std::string> invite = NextRequest();
    EXPECT_TRUE(invite.at(0).starts_with("INVITE sip:server@127.0.0.1:")) << invite[0];
    EXPECT_TRUE(std::any_of(invite.begin(), invite.end(), [](const std::string& h) {
        return h.starts_with("From:") && h.find("sip:vorella@") != std::string::npos;
    }));
    Answer(invite);
    ASSERT_TRUE(WaitUntil([&] { return line.Line().IsConnected(); }));
    EXPECT_TRUE(NextRequest().at(0).starts_with("ACK "));
    EXPECT_EQ(line.Line().Drop(), 0);
    const std::vector<std::string> bye = NextRequest();
    EXPECT_TRUE(bye.at(0).starts_with("BYE "));
    Answer(bye);
}

TEST_F(SipTls, WithoutTrustTheLineRefusesTheServerAtTheHandshake) {
    // The system's authorities only: none of them signed the server's.
    ASSERT_NO_FATAL_FAILURE(line.Open(home.File("sip"), SipTransport::Tls, ""));
    line.Line().MakeCall(uri);
    // The server ends with its one connection, whose handshake never finished.
    EXPECT_EQ(NextRequest(), std::vector<std::string>{});
    for (const char* said :
         {"   1 server accepts (SSL_accept())", "   0 server accepts that finished"})
        EXPECT_NE(std::find(printed.begin(), printed.end(), said), printed.end()) << said;
}

} // namespace
