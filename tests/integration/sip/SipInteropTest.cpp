// Another SIP stack calls the SIP provider's line on 127.0.0.1: SIPp
// (Debian's sip-tester) plays a caller with a name and a number, which must
// reach the line as the caller ID; the line answers, SIPp hangs up, and
// SIPp's own verdict says the exchange was correct on its side.
#include "../../unit/tapi/TapiTestSupport.h"
#include "ChildProcess.h"
#include "TempHome.h"
#include "platform/FileUtil.h"
#include "sip/SipProvider.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

const char* const kSipp = "/usr/bin/sipp";

TEST(SipInterop, SippCallsTheLineIsAnsweredAndHangsUp) {
    if (!FileExists(kSipp))
        GTEST_SKIP() << "SIPp is not installed (Debian: sip-tester); no interoperability test";
    TempHome home;
    SipAccount account;
    account.sUser = "vorella";
    account.sBindAddress = "127.0.0.1";
    account.nPort = 0;
    CSipProvider::Options options;
    options.sStateFolder = home.File("sip");
    CSipProvider provider({account}, options);
    CPostedMessages posted;
    CMyTapi tapi(provider, posted.Link());
    ASSERT_TRUE(tapi.Start());
    ASSERT_TRUE(tapi.OpenLine(0));
    const int port = provider.ListeningPort(0);
    ASSERT_GT(port, 0);

    ProgramRun sipp;
    // Joined on the way out, whichever way the test leaves.
    std::jthread caller([&] {
        sipp = RunProgram({kSipp,      "127.0.0.1:" + std::to_string(port),
                           "-sf",      SourceFile("tests/data/sip/caller.xml"),
                           "-s",       "vorella",
                           "-i",       "127.0.0.1",
                           "-p",       "0",
                           "-mp",      "0",
                           "-m",       "1",
                           "-t",       "u1",
                           "-nostdin", "-timeout",
                           "60s",      "-timeout_error"},
                          90000);
    });
    ASSERT_TRUE(posted.WaitFor(kTapiMsgNewCall));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    CMyLine& line = *tapi.Line();
    const TapiCallerData cid = line.CallerData();
    EXPECT_EQ(cid.sName, "Sipp Caller");
    EXPECT_EQ(cid.sNumber, "0301234567");
    EXPECT_FALSE(cid.bPrivate);
    EXPECT_FALSE(cid.bOutOfArea);

    posted.m_bHandling = true;
    EXPECT_EQ(line.Answer(), 0);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp)) << "SIPp's BYE did not end the call";
    EXPECT_EQ(line.Drop(), 0);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(line.HasCall());

    caller.join();
    EXPECT_EQ(sipp.nExit, 0) << sipp.out << sipp.err;
}

} // namespace
