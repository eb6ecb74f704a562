// Real SIP calls on 127.0.0.1 between the SIP provider, under the program's
// own telephony line classes, and far-end phones: the address the line
// listens on, a hostile caller ID, a busy tone in the far end's sound. (A
// second caller is declined busy: SipHostileTest's flood.)
#include "FarEnd.h"
#include "OwnSockets.h"
#include "SipTestLine.h"
#include "ToneFile.h"

#include "TempHome.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

namespace {

class SipCall : public ::testing::Test {
protected:
    // A far end saying what the file sSays holds ("": nothing).
    CFarEnd& Far(const std::string& sSays = "") {
        far = std::make_unique<CFarEnd>(home.File("sip-far"), sSays, home.File("far-heard.wav"));
        return *far;
    }

    TempHome home;
    SipTestLine line;
    std::unique_ptr<CFarEnd> far;
};

TEST_F(SipCall, ListensOnlyOnTheAddressTheSettingsName) {
    line.Open(home.File("sip-near"), SipTransport::Tcp);
    std::vector<std::string> listening;
    for (const OwnSocket& s : OwnSockets("tcp"))
        if (s.sState == "0A" && s.nPort == line.Port())
            listening.push_back(s.sAddress);
    EXPECT_EQ(listening, std::vector<std::string>{"0100007F"});
}

TEST_F(SipCall, ControlCharactersInTheCallersIdentityAreCleaned) {
    line.Open(home.File("sip-near"), SipTransport::Tcp);
    ASSERT_TRUE(Far().Call(line.Uri("tcp"), "\"Harmless\" <sip:4930555@127.0.0.1>",
                           {{"P-Asserted-Identity", "\"Eve\x1b[2J\x07 Mallory\" <sip:0301234\x01"
                                                    "99@127.0.0.1>"}}));
    ASSERT_TRUE(line.posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData caller = line.Line().CallerData();
    EXPECT_EQ(caller.sNumber, "030123499");
    EXPECT_EQ(caller.sName, "Eve [2J Mallory");

    // A call that gives up ringing frees the line.
    far->HangUp();
    ASSERT_TRUE(line.posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(line.Line().HasCall());
}

// A SIP line's busy tone is only in the sound (a gateway's early media, or
// the far end of a call gone): heard, it becomes the line's tone message,
// and nothing else in the sound is taken for a signal.
TEST_F(SipCall, ABusyToneInTheFarEndsSoundIsReported) {
    std::vector<int16_t> says(8000, 0); // a second of silence, then busy
    const std::vector<int16_t> busy =
        SynthesiseLineAudio({LineAudioStep::Tone("Europe busy, short", 6000)});
    says.insert(says.end(), busy.begin(), busy.end());
    ASSERT_TRUE(WriteSound(home.File("far-says.wav"), says));
    line.Open(home.File("sip-near"));
    ASSERT_TRUE(Far(home.File("far-says.wav")).Call(line.Uri(), "<sip:4930123@127.0.0.1>"));
    ASSERT_TRUE(line.posted.WaitFor(kTapiMsgNewCall));
    line.posted.m_bHandling = true;
    ASSERT_EQ(line.Line().Answer(), 0);
    ASSERT_TRUE(far->WaitConnected());
    ASSERT_TRUE(line.posted.WaitFor(kTapiMsgTone));
    for (const auto& m : line.posted.All()) {
        if (m.nMessage == kTapiMsgTone) {
            EXPECT_EQ(m.wParam, static_cast<uintptr_t>('b'));
        }
    }
    EXPECT_EQ(line.posted.Count(kTapiMsgDigit), 0u);
    far->HangUp();
    ASSERT_TRUE(line.posted.WaitFor(kTapiMsgHangUp));
}

} // namespace
