// Another SIP stack calls the SIP provider's line on 127.0.0.1: SIPp
// (Debian's sip-tester) plays a caller with a name and a number, which must
// reach the line as the caller ID while the call rings again and again; the
// line answers, SIPp hangs up, and SIPp's own verdict says the exchange was
// correct on its side.
#include "SipTestLine.h"

#include "ChildProcess.h"
#include "TempHome.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>

namespace {

const char* const kSipp = "/usr/bin/sipp";

TEST(SipInterop, SippCallsTheLineIsAnsweredAndHangsUp) {
    if (!FileExists(kSipp))
        GTEST_SKIP() << "SIPp is not installed (Debian: sip-tester); no interoperability test";
    TempHome home;
    SipTestLine line;
    ASSERT_NO_FATAL_FAILURE(line.Open(home.File("sip"), SipTransport::Udp, "", 200));
    CPostedMessages& posted = line.posted;

    BackgroundProgram sipp;
    const std::string near = "127.0.0.1:" + std::to_string(line.Port());
    ASSERT_TRUE(sipp.Launch({kSipp,      near,       "-sf", SourceFile("tests/data/sip/caller.xml"),
                             "-s",       "vorella",  "-i",  "127.0.0.1",
                             "-p",       "0",        "-mp", "0",
                             "-m",       "1",        "-t",  "u1",
                             "-nostdin", "-timeout", "60s", "-timeout_error"},
                            home.File("sipp.log")));
    // The new call first, then its caller ID, and rings again while offered.
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgRing, 3));
    EXPECT_EQ(posted.All().front().nMessage, kTapiMsgNewCall);
    CMyLine& phone = line.Line();
    const TapiCallerData cid = phone.CallerData();
    EXPECT_TRUE(cid.bPresent);
    EXPECT_EQ(cid.sName, "Sipp Caller");
    EXPECT_EQ(cid.sNumber, "0301234567");
    EXPECT_FALSE(cid.bPrivate);
    EXPECT_FALSE(cid.bOutOfArea);

    posted.m_bHandling = true;
    EXPECT_EQ(phone.Answer(), 0);
    const size_t rings = posted.Count(kTapiMsgRing);
    EXPECT_EQ(phone.MonitorDigits(), 0);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp)) << "SIPp's BYE did not end the call";
    EXPECT_EQ(posted.Count(kTapiMsgRing), rings) << "a ring after the answer";
    EXPECT_EQ(phone.Drop(), 0);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(phone.HasCall());

    EXPECT_EQ(sipp.Wait(90000), 0) << home.Read("sipp.log");
    // The media plugins of the stack stay out of the process.
    EXPECT_EQ(ReadWholeFile("/proc/self/maps", 64 << 20).value_or("").find("libQt5"),
              std::string::npos);
}

} // namespace
