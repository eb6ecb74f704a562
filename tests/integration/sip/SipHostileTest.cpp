// SPDX-License-Identifier: GPL-3.0-or-later
// What a hostile caller can reach of the SIP provider on 127.0.0.1, under
// the program's own telephony line classes: only the address the settings
// name; control characters in a far-end phone's caller ID; SIP messages
// written by hand: overlong display names, a malformed session description,
// a flood of INVITEs (each declined busy). Each is refused, cleaned or
// bounded, the process lives on, and the line still takes the next
// ordinary call.
#include "FarEnd.h"
#include "OwnSockets.h"
#include "RawSipCaller.h"
#include "SipTestLine.h"
#include "TempHome.h"
#include "sip/SipCallerId.h"
#include "sip/SipSocketGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

namespace {

class SipHostile : public ::testing::TestWithParam<SipTransport> {
protected:
    void SetUp() override {
        line.Open(home.File("sip"), GetParam());
        port = line.Port();
    }
    void TearDown() override {
        line.tapi.reset();
        line.provider.reset();
        // The stack keeps its files inside its own folder.
        for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
            EXPECT_NE(entry.path().extension(), ".db") << entry.path();
    }
    bool Tcp() const { return GetParam() == SipTransport::Tcp; }

    // The line still takes an ordinary call, and lets it go again.
    void ExpectAnOrdinaryCallIsOffered(const std::string& callId) {
        CRawCaller caller(port, Tcp());
        const size_t before = posted.Count(kTapiMsgCallerId);
        ASSERT_TRUE(caller.Send(caller.Invite(callId, "\"Anna\" <sip:4930123@127.0.0.1>")));
        ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId, before + 1));
        EXPECT_EQ(line.Line().CallerData().sNumber, "4930123");
        ASSERT_TRUE(DropAndWaitGone(line.Line(), posted));
    }

    TempHome home;
    SipTestLine line;
    CPostedMessages& posted = line.posted;
    int port = 0;
};

TEST_P(SipHostile, TheLineListensOnlyOnTheAddressTheSettingsName) {
    const std::string end = ":" + std::to_string(port);
    std::vector<std::string> listening;
    for (const std::string& s : OwnSockets())
        if (s.ends_with(end))
            listening.push_back(s);
    EXPECT_EQ(listening, std::vector<std::string>{
                             (Tcp() ? "tcp LISTEN 127.0.0.1" : "udp UNCONN 127.0.0.1") + end});
}

TEST_P(SipHostile, ControlCharactersInTheCallersIdentityAreCleaned) {
    CFarEnd far(home.File("sip-far"), "", "");
    ASSERT_TRUE(far.Call(line.Uri(Tcp() ? "tcp" : "udp"), "\"Harmless\" <sip:4930555@127.0.0.1>",
                         {{"P-Asserted-Identity", "\"Eve\x1b[2J\x07 Mallory\" <sip:0301234\x01"
                                                  "99@127.0.0.1>"}}));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData caller = line.Line().CallerData();
    EXPECT_EQ(caller.sNumber, "030123499");
    EXPECT_EQ(caller.sName, "Eve [2J Mallory");

    // A call that gives up ringing frees the line.
    far.HangUp();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(line.Line().HasCall());
}

TEST_P(SipHostile, OverlongDisplayNamesAreCutAndTheCallIsStillOffered) {
    ASSERT_TRUE(SipInputGuardActive());
    const uint64_t cutsBefore = SipInputGuardCuts();
    // 10 kB names in From and To; a tab in the caller's name as well.
    const std::string name = "Eve\t" + std::string(10000, 'N');
    CRawCaller caller(port, Tcp());
    ASSERT_TRUE(caller.Send(caller.Invite("long-1", "\"" + name + "\" <sip:0301234567@127.0.0.1>",
                                          "\"" + name + "\" <sip:vorella@127.0.0.1>")));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData data = line.Line().CallerData();
    EXPECT_EQ(data.sNumber, "0301234567");
    EXPECT_EQ(data.sName,
              ("Eve " + std::string(kSipMaxCallerName, 'N')).substr(0, kSipMaxCallerName));
    EXPECT_EQ(SipInputGuardCuts(), cutsBefore + 2);
    ASSERT_TRUE(DropAndWaitGone(line.Line(), posted));

    ExpectAnOrdinaryCallIsOffered("after-long");
}

TEST_P(SipHostile, AMalformedSessionDescriptionIsRefusedAndTheLineKept) {
    CRawCaller caller(port, Tcp());
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
        if (caller.WaitFinal(n).size() < n && line.Line().HasCall()) {
            ASSERT_TRUE(DropAndWaitGone(line.Line(), posted));
        }
        EXPECT_EQ(caller.WaitFinal(n).size(), n) << "body " << n;
    }
    ExpectAnOrdinaryCallIsOffered("after-sdp");
}

TEST_P(SipHostile, AFloodOfInvitesIsTurnedAwayWhileTheFirstCallKeepsTheLine) {
    CRawCaller caller(port, Tcp());
    ASSERT_TRUE(caller.Send(caller.Invite("first", "\"First\" <sip:111@127.0.0.1>")));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    constexpr int kFlood = 100;
    CRawCaller flooder(port, Tcp());
    const auto callId = [](int i) { return "flood-" + std::to_string(i); };
    const auto invite = [&](int i) {
        return flooder.Invite(callId(i), "<sip:" + std::to_string(900000 + i) + "@127.0.0.1>");
    };
    for (int i = 0; i < kFlood; ++i)
        ASSERT_TRUE(flooder.Send(invite(i)));
    // Every one hears busy (declined after the stack's callback, not inside
    // it); none becomes the line's call. Over UDP the
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
    EXPECT_EQ(line.Line().CallerData().sNumber, "111");
    ASSERT_TRUE(DropAndWaitGone(line.Line(), posted));

    ExpectAnOrdinaryCallIsOffered("after-flood");
}

INSTANTIATE_TEST_SUITE_P(Transports, SipHostile,
                         ::testing::Values(SipTransport::Udp, SipTransport::Tcp),
                         [](const auto& info) {
                             return info.param == SipTransport::Udp ? "Udp" : "Tcp";
                         });

} // namespace
