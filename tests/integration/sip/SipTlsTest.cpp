// A call over TLS on 127.0.0.1: the line calls a SIP server whose
// certificate the test made (self-signed, for 127.0.0.1). Trusting it
// through the account's own authority file, the line gets through, talks
// and hangs up over TLS; without it, the line refuses the server at the
// handshake and sends it nothing.
#include "TlsSipServer.h"

#include "SipTestLine.h"

#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

namespace {

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
        server =
            std::make_unique<CTlsSipServer>(home.File("server.pem"), home.File("server-key.pem"));
        ASSERT_GT(server->Port(), 0);
    }
    std::string ServerUri() const {
        return "sip:server@127.0.0.1:" + std::to_string(server->Port()) + ";transport=tls";
    }

    TempHome home;
    std::unique_ptr<CTlsSipServer> server;
    SipTestLine line;
};

TEST_F(SipTls, TrustingTheServersCertificateTheLineCallsTalksAndHangsUp) {
    ASSERT_NO_FATAL_FAILURE(
        line.Open(home.File("sip"), SipTransport::Tls, home.File("server.pem")));
    EXPECT_EQ(line.Line().MakeCall(ServerUri()), 0);
    ASSERT_TRUE(server->WaitFor("INVITE"));
    EXPECT_NE(server->InviteFrom().find("sip:vorella@"), std::string::npos) << server->InviteFrom();
    ASSERT_TRUE(WaitUntil([&] { return line.Line().IsConnected(); }));
    ASSERT_TRUE(server->WaitFor("ACK"));
    EXPECT_EQ(line.Line().Drop(), 0);
    ASSERT_TRUE(server->WaitFor("BYE"));
}

TEST_F(SipTls, WithoutTrustTheLineRefusesTheServerAtTheHandshake) {
    // The system's authorities only: none of them signed the server's.
    ASSERT_NO_FATAL_FAILURE(line.Open(home.File("sip"), SipTransport::Tls, ""));
    line.Line().MakeCall(ServerUri());
    ASSERT_TRUE(server->WaitFor("handshake failed"));
    EXPECT_EQ(server->Seen(), std::vector<std::string>{"handshake failed"});
}

} // namespace
