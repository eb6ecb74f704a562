// A SIP line's registration as the log tells it, with the registrar's
// text cleaned, and whom a line with a registrar takes calls from.
#include "sip/SipRegistration.h"
#include "sip/SipCallGate.h"

#include <gtest/gtest.h>

namespace {

using State = SipRegistration::State;

TEST(SipRegistration, TellsEachStateWithWhatItMeans) {
    struct Case {
        SipRegistration reg;
        const char* sText;
        const char* sUnavailable;
    };
    const Case cases[] = {
        {{State::Registered, 600, 0, "", 0}, "registered with pbx.example:5070 for 600 s", ""},
        {{State::Registering, 0, 0, "", 0}, "registering with pbx.example:5070", ""},
        {{State::Failed, 0, 403, "Forbidden", 30},
         "registration with pbx.example:5070 failed: 403 Forbidden (wrong user name or password); "
         "trying again in 30 s",
         "registration with pbx.example:5070 failed: 403 Forbidden (wrong user name or password)"},
        {{State::Failed, 0, 404, "Not Found", 60},
         "registration with pbx.example:5070 failed: 404 Not Found (the registrar knows no such "
         "user); trying again in 60 s",
         "registration with pbx.example:5070 failed: 404 Not Found (the registrar knows no such "
         "user)"},
        {{State::Failed, 0, 0, "", 120},
         "registration with pbx.example:5070 failed: no answer; trying again in 120 s",
         "registration with pbx.example:5070 failed: no answer"},
        {{State::Failed, 0, 503, "Service Unavailable", 30},
         "registration with pbx.example:5070 failed: 503 Service Unavailable; trying again in 30 s",
         "registration with pbx.example:5070 failed: 503 Service Unavailable"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SipRegistrationText(c.reg, "pbx.example:5070"), c.sText);
        EXPECT_EQ(SipUnavailableCause(c.reg, "pbx.example:5070"), c.sUnavailable);
    }
}

TEST(SipRegistration, TriesAgainLaterEachTimeUpToHalfAnHour) {
    EXPECT_EQ(SipRetrySeconds(1), 30);
    EXPECT_EQ(SipRetrySeconds(2), 60);
    EXPECT_EQ(SipRetrySeconds(4), 240);
    EXPECT_EQ(SipRetrySeconds(7), 1800);
    EXPECT_EQ(SipRetrySeconds(1000), 1800);
}

TEST(SipRegistration, ARegistrarsTextLosesControlsAndLength) {
    EXPECT_EQ(CleanSipText("Forbidden\r\nX-Injected: 1\x1b[31m"), "ForbiddenX-Injected: 1[31m");
    EXPECT_EQ(CleanSipText("Verboten \xc3\xa4 \xff\xfe"), "Verboten \xc3\xa4");
    const std::string cut = CleanSipText(std::string(5000, 'A'));
    EXPECT_EQ(cut, std::string(kMaxSipReasonText, 'A') + "...");
}

TEST(SipCallGate, TheSenderIsWhereTheRequestCameFrom) {
    struct Case {
        const char* sVia;
        const char* sSource;
    };
    const Case cases[] = {
        {"SIP/2.0/UDP 10.0.0.5:5060;branch=z9hG4bK1;rport", "10.0.0.5"},
        // The stack marks a sender that differs from what the Via says.
        {"SIP/2.0/UDP 192.0.2.1:5060;branch=z9hG4bK1;received=10.9.8.7;rport=5099", "10.9.8.7"},
        {"SIP/2.0/TCP pbx.example;received=10.0.0.9", "10.0.0.9"},
        {"SIP/2.0/UDP [2001:db8::1]:5060;branch=x", "2001:db8::1"},
        {"SIP/2.0/UDP 10.0.0.5;RECEIVED=::ffff:10.0.0.6", "10.0.0.6"},
        {"SIP/2.0/UDP 10.0.0.5:5060, SIP/2.0/UDP 10.0.0.7:5060", "10.0.0.5"},
        {"SIP/2.0/UDP pbx.example:5060", ""}, // a name says no sender
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSipCallGate::ViaSource(c.sVia), c.sSource) << c.sVia;
}

TEST(SipCallGate, ALineWithARegistrarTakesItsCallsOnly) {
    CSipCallGate open;
    EXPECT_TRUE(open.Allows("SIP/2.0/UDP 203.0.113.9:5060"));

    CSipCallGate gate("127.0.0.2:5070");
    ASSERT_TRUE(gate.Resolve(nullptr));
    EXPECT_TRUE(gate.Allows("SIP/2.0/UDP 127.0.0.2:5070;branch=z9hG4bK1"));
    EXPECT_FALSE(gate.Allows("SIP/2.0/UDP 127.0.0.1:5070;branch=z9hG4bK1"));
    EXPECT_FALSE(gate.Allows("SIP/2.0/UDP 127.0.0.2:5070;received=127.0.0.1"));
    EXPECT_FALSE(gate.Allows(""));

    CSipCallGate unknown("no-such-host.invalid");
    std::string error;
    EXPECT_FALSE(unknown.Resolve(&error));
    EXPECT_NE(error.find("no-such-host.invalid cannot be resolved (DNS)"), std::string::npos);
    EXPECT_FALSE(unknown.Allows("SIP/2.0/UDP 127.0.0.2:5070"));
}

TEST(SipCallGate, RefusedCallsAreToldAtOnceThenOnceAMinute) {
    CSipCallGate gate("127.0.0.2");
    const auto t0 = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    EXPECT_EQ(gate.Refused("10.0.0.1", t0),
              "refused 1 call not sent by the registrar (last from 10.0.0.1; 1 since start)");
    EXPECT_EQ(gate.Refused("10.0.0.2", t0 + std::chrono::seconds(10)), "");
    EXPECT_EQ(gate.Refused("10.0.0.3", t0 + std::chrono::seconds(20)), "");
    EXPECT_EQ(gate.Due(t0 + std::chrono::seconds(59)), "");
    EXPECT_EQ(gate.Due(t0 + std::chrono::seconds(60)),
              "refused 2 calls not sent by the registrar (last from 10.0.0.3; 3 since start)");
    EXPECT_EQ(gate.Due(t0 + std::chrono::minutes(5)), "");
    EXPECT_EQ(gate.RefusedCount(), 3u);
}

} // namespace
