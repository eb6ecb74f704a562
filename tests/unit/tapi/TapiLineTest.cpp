// The program's telephony line over the simulated provider: the messages
// it posts to the call engine for each event, the current call, the caller
// data, opening and listing lines, and operations whose reply never comes.
#include "TapiTestSupport.h"

#include "platform/Strings.h"
#include "tapi/SimulatedTapi.h"

#include <gtest/gtest.h>

namespace {

class TapiLine : public ::testing::Test {
protected:
    void Start(std::vector<CSimulatedTapi::LineScript> lines = {{"Line A"}}) {
        sim = std::make_unique<CSimulatedTapi>(std::move(lines));
        tapi = std::make_unique<CMyTapi>(*sim, posted.Link());
        ASSERT_TRUE(tapi->Start());
    }
    CMyLine& Open(uint32_t dwDevice = 0) {
        EXPECT_TRUE(tapi->OpenLine(dwDevice));
        return *tapi->Line();
    }
    // An offered call, with the engine told of it.
    uint32_t Offer() {
        const size_t before = posted.Count(kTapiMsgNewCall);
        const uint32_t hCall = sim->OfferCall(0);
        EXPECT_TRUE(posted.WaitFor(kTapiMsgNewCall, before + 1));
        return hCall;
    }
    // Every event sent so far has been handled: a ring sent now has come.
    void Settle() {
        const size_t before = posted.Count(kTapiMsgRing);
        sim->Ring(0);
        ASSERT_TRUE(posted.WaitFor(kTapiMsgRing, before + 1));
    }

    CPostedMessages posted;
    std::unique_ptr<CSimulatedTapi> sim;
    std::unique_ptr<CMyTapi> tapi;
};

TEST_F(TapiLine, OpensAsOwnerForVoiceOrRetriesWithModemMedia) {
    Start({{"Voice"}, {"Modem only", kMediaDataModem | kMediaInteractiveVoice, true, true}});
    CMyLine& voice = Open(0);
    EXPECT_TRUE(voice.IsOpen());
    EXPECT_TRUE(sim->Did("Open 0 media 0x4"));
    EXPECT_TRUE(sim->Did("SetStatusMessages 0 0x2")); // rings only
    EXPECT_EQ(voice.StatusText(), "Line 0 opened (OWNER), rc=0x0");

    CMyLine& modem = Open(1);
    EXPECT_FALSE(voice.IsOpen()); // the other line was closed first
    EXPECT_TRUE(sim->Did("Close 0"));
    EXPECT_TRUE(sim->Did("Open 1 media 0x4"));
    EXPECT_TRUE(sim->Did("Open 1 media 0x10"));
    EXPECT_TRUE(modem.IsOpen());
}

TEST_F(TapiLine, ListsVoiceAndModemLinesByName) {
    Start({{"Office", kMediaInteractiveVoice},
           {"", kMediaDataModem},
           {"Fax only", kMediaG3Fax},
           {"Gone", kMediaInteractiveVoice, false}});
    std::string message = "x";
    auto lines = tapi->ListLines(&message);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].sName, "Office");
    EXPECT_EQ(lines[1].sName, "Line unnamed");
    EXPECT_EQ(lines[2].sName, "Line unavailable");
    EXPECT_EQ(lines[2].dwDeviceID, 3u);
    EXPECT_EQ(message, "");

    tapi.reset();
    Start({{"Fax only", kMediaG3Fax}});
    EXPECT_TRUE(tapi->ListLines(&message).empty());
    EXPECT_EQ(message, "None of the TAPI lines support DATAMODEM/VOICE access.");
}

TEST_F(TapiLine, NoLineDevicesMeansNoTelephonyLayer) {
    sim = std::make_unique<CSimulatedTapi>(std::vector<CSimulatedTapi::LineScript>{});
    tapi = std::make_unique<CMyTapi>(*sim, posted.Link());
    EXPECT_FALSE(tapi->Start());
    EXPECT_FALSE(tapi->IsAvailable());
    EXPECT_EQ(tapi->StatusText(), "There are no TAPI devices installed!");
    // A provider that asks to be started again is asked again.
    sim = std::make_unique<CSimulatedTapi>();
    sim->SetReinitCount(3);
    tapi = std::make_unique<CMyTapi>(*sim, posted.Link());
    EXPECT_TRUE(tapi->Start());
}

TEST_F(TapiLine, AnOfferedCallRingsIsAcceptedAndEndsDeallocated) {
    Start();
    CMyLine& line = Open();
    const uint32_t hCall = Offer();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgRing));
    EXPECT_TRUE(line.HasCall());
    Settle();
    EXPECT_TRUE(sim->Did("Accept 0x10001"));
    // Touch-tone keys, a tone and a fax answering tone reach the engine.
    sim->SendDigits(hCall, "5#");
    sim->SendTone(hCall, 'b');
    sim->SendMediaMode(hCall, kMediaG3Fax);
    sim->SendMediaMode(hCall, kMediaAutomatedVoice); // not the engine's business
    ASSERT_TRUE(posted.WaitFor(kTapiMsgTone, 2));
    Settle();
    std::vector<PostedMessage> keys, tones;
    for (const auto& m : posted.All()) {
        if (m.nMessage == kTapiMsgDigit)
            keys.push_back(m);
        if (m.nMessage == kTapiMsgTone)
            tones.push_back(m);
    }
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, uintptr_t{'5'});
    EXPECT_EQ(keys[0].lParam, intptr_t{kDigitModeDtmf});
    EXPECT_EQ(keys[1].wParam, uintptr_t{'#'});
    ASSERT_EQ(tones.size(), 2u);
    EXPECT_EQ(tones[0].wParam, uintptr_t{'b'});
    EXPECT_EQ(tones[1].wParam, uintptr_t{kToneCharFax});
    EXPECT_EQ(tones[1].lParam, intptr_t{kMediaG3Fax});

    // The engine answers, the far end hangs up, the call goes idle.
    posted.m_bHandling = true;
    EXPECT_EQ(line.Answer(), 0);
    EXPECT_TRUE(posted.Reported("lineAnswer, rc=0x0"));
    sim->FarEndHangsUp(hCall);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp));
    EXPECT_FALSE(line.IsConnected());
    sim->SetCallState(hCall, kCallIdle);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(line.HasCall());
    EXPECT_TRUE(sim->Did("Deallocate 0x10001"));
}

TEST_F(TapiLine, BlockedAndOutOfAreaSetBothFlagsAndPostOneCallerId) {
    Start();
    CMyLine& line = Open();
    const uint32_t hCall = Offer();
    sim->SendCallerId(hCall, {kCallerIdBlocked | kCallerIdOutOfArea, "", ""});
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    Settle();
    EXPECT_EQ(posted.Count(kTapiMsgCallerId), 1u);
    TapiCallerData cid = line.CallerData();
    EXPECT_TRUE(cid.bPresent);
    EXPECT_TRUE(cid.bPrivate);
    EXPECT_TRUE(cid.bOutOfArea);
    EXPECT_EQ(cid.sNumber, "");

    // The next caller-ID event replaces the fields: number and name only.
    sim->SendCallerId(hCall, {kCallerIdAddress | kCallerIdName, "0301234567", "Ann Example"});
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId, 2));
    cid = line.CallerData();
    EXPECT_FALSE(cid.bPrivate);
    EXPECT_FALSE(cid.bOutOfArea);
    EXPECT_EQ(cid.sNumber, "0301234567");
    EXPECT_EQ(cid.sName, "Ann Example");
    EXPECT_EQ(line.StatusText(), "   Name <Ann Example>");
}

TEST_F(TapiLine, BusyWhileTheEngineIsIdlePostsNothing) {
    Start();
    Open();
    const uint32_t hCall = Offer();
    posted.m_bHandling = false;
    sim->SetCallState(hCall, kCallBusy);
    Settle();
    EXPECT_EQ(posted.Count(kTapiMsgHangUp), 0u);
    // While the engine handles the call, busy means the far end is gone.
    posted.m_bHandling = true;
    sim->SetCallState(hCall, kCallBusy);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp));
}

TEST_F(TapiLine, ASecondOfferedCallLeavesTheCurrentCallAlone) {
    Start();
    CMyLine& line = Open();
    const uint32_t hFirst = Offer();
    const uint32_t hSecond = sim->OfferCall(0);
    sim->SendCallerId(hSecond, {kCallerIdAddress, "999", ""});
    Settle();
    EXPECT_EQ(posted.Count(kTapiMsgNewCall), 1u);
    EXPECT_EQ(posted.Count(kTapiMsgCallerId), 0u);
    // The engine's operations still go to the first call.
    EXPECT_EQ(line.Answer(), 0);
    EXPECT_TRUE(sim->Did("Answer 0x10001"));
    EXPECT_EQ(sim->CallState(hFirst), kCallConnected);
    // The second call's end frees it without touching the first.
    sim->SetCallState(hSecond, kCallIdle);
    Settle();
    EXPECT_TRUE(sim->Did("Deallocate 0x10002"));
    EXPECT_EQ(posted.Count(kTapiMsgDeallocated), 0u);
    EXPECT_TRUE(line.HasCall());
}

TEST_F(TapiLine, AnOperationWhoseReplyNeverComesEndsByItsLimit) {
    Start();
    CMyLine& line = Open();
    Offer();
    sim->WithholdReplies(true);
    line.SetReplyLimit(50);
    EXPECT_EQ(line.Answer(), -1);
    EXPECT_EQ(line.StatusText(), "lineAnswer, rc=0xffffffff");
    // The drop is told to the engine even so.
    EXPECT_EQ(line.Drop(), -1);
    EXPECT_TRUE(posted.WaitFor(kTapiMsgHangUp));
}

TEST_F(TapiLine, TakingTheLineWithoutACallerPlacesACall) {
    Start();
    CMyLine& line = Open();
    EXPECT_EQ(line.MakeCall(""), 0);
    EXPECT_TRUE(line.HasCall());
    EXPECT_TRUE(posted.Reported("lineMakeCall, rc=0x0"));
    sim->SetWaveIds(3, 4);
    EXPECT_EQ(line.WaveInID(), 3u);
    EXPECT_EQ(line.WaveOutID(), 4u);
    EXPECT_EQ(line.GenerateDigits("12"), 0);
    EXPECT_TRUE(sim->Did("GenerateDigits 2 12"));
    EXPECT_EQ(line.MonitorDigits(), 0);
    EXPECT_EQ(line.StatusText(), "Started MonitorDigits <0x0>");
}

} // namespace
