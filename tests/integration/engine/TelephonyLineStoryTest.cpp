// The worker on a telephony line (the simulated provider): a caller rings,
// the caller is shown, the machine answers with the greeting through the
// call's sound device, records the message and stores it in the index, as
// on the modem. (A key, a busy tone, a blocked caller and remote access on a
// line are the SIP line's stories, on the same line device.)
#include "EngineStory.h"

#include "audio/SoundBackend.h"
#include "engine/TelephonyLineDevice.h"
#include "platform/TextUtil.h"
#include "tapi/SimulatedTapi.h"

#include <atomic>
#include <cmath>

namespace {

class TelephonyLineStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        providers.Register("simulated", [this](std::string*) {
            auto p = std::make_unique<CSimulatedTapi>();
            line = p.get();
            return p;
        });
        providers.Choose("simulated");
        phone->DeviceFactories().Register(DeviceKind::TelephonyLine, [this](IDeviceHost& host) {
            return MakeTelephonyLineDevice(host, providers);
        });
        phone->nTAPI = 1;
        phone->nTAPILine = 0;
        phone->nCIDType = kCidFormatted;
        phone->nAction = 1; // the machine answers
        phone->nRings = 2;
        phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 800);
        phone->ChooseDevice();
        ASSERT_NE(line, nullptr);
        nullBackend = GetNullSoundBackend();
        ASSERT_NE(nullBackend, nullptr) << "the tests run on the null sound backend";
        // The caller speaks: a 1000 Hz tone on the call's sound input.
        nullBackend->SetCaptureSource([phase = 0.0](int16_t* frames, size_t count) mutable {
            for (size_t i = 0; i < count; ++i, phase += 2 * M_PI * 1000 / 8000)
                frames[i] = static_cast<int16_t>(6000 * std::sin(phase));
        });
    }
    void TearDown() override {
        EngineStory::TearDown();
        nullBackend->SetCaptureSource({});
    }

    CTapiProviders providers;
    CSimulatedTapi* line = nullptr;
    CNullSoundBackend* nullBackend = nullptr;
};

// The machine answers at the second ring, or at the first: a SIP line
// delivers the caller's ID just after the first ring, and a machine set to
// answer at that ring must still answer with the number it read.
class LineAnswer : public TelephonyLineStory, public ::testing::WithParamInterface<int> {};

TEST_P(LineAnswer, TheMachineAnswersRecordsTheMessageAndIndexesIt) {
    phone->nRings = GetParam();
    StartWorkerOnDevice();
    EXPECT_EQ(phone->Device().Kind(), DeviceKind::TelephonyLine);
    const uint64_t playedBefore = nullBackend->FramesPlayed();

    const uint32_t hCall = line->OfferCall(0);
    line->SendCallerId(hCall, {kCallerIdAddress | kCallerIdName, "0301234567", "Ann Example"});
    // Shown as the line's caller ID gives it, the number in the display form.
    ASSERT_TRUE(
        WaitFor([&] { return UiSaid("caller: name=\"Ann Example\" number=\"030-123-4567\""); }));
    if (GetParam() == 2)
        line->Ring(0);
    // The call is taken and the greeting played.
    ASSERT_TRUE(WaitFor([&] { return line->Did("Answer 0x10001"); }));
    ASSERT_TRUE(WaitFor([&] { return State().bRecording.load(); }));
    EXPECT_GE(nullBackend->FramesPlayed() - playedBefore, 6000u);
    EXPECT_TRUE(UiSaid("timer 4: start 4000 ms")) << "the main window follows the play's end";
    EXPECT_TRUE(line->Did("MonitorDigits 0x2"));
    // The caller speaks for a second of sound, then hangs up.
    const std::string file = worker->CurrentFile();
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(WaitFor([&] {
        std::error_code ec;
        return std::filesystem::file_size(file, ec) > 44 + 2 * 8000 && !ec;
    }));
    line->FarEndHangsUp(hCall);

    ASSERT_TRUE(WaitFor(
        [&] { return Index().GetSize() == 1 && !State().bOffHook && !State().bRecording; }));
    EXPECT_FALSE(State().bActionPending);
    const CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "0301234567");
    EXPECT_EQ(rec.m_sName, "Ann Example");
    EXPECT_EQ(rec.m_bMessage, 1);
    EXPECT_GT(ToneShare(Samples(file), 1000, 8000), 0.8);
    // The call was dropped and its object let go.
    ASSERT_TRUE(WaitFor([&] { return line->Did("Deallocate 0x10001"); }));
}

INSTANTIATE_TEST_SUITE_P(Rings, LineAnswer, ::testing::Values(2, 1), [](const auto& i) {
    return std::string(i.param == 1 ? "CallerIdAfterTheAnsweringRing" : "SecondRing");
});

// A second caller, a blocked one set for the not-in-service tones, rings
// while the machine takes a message: nothing is played into the call in
// progress, its caller stays its own, and the second call is neither
// answered nor declined.
TEST_F(TelephonyLineStory, ASecondCallerLeavesTheCallInProgressAlone) {
    phone->nBlackAction = 2;
    ASSERT_NE(Contacts().AddContact({0, "Bob", {{"030 7654321", ""}}, ContactList::Block, "", ""}),
              0);
    StartWorkerOnDevice();
    const uint32_t first = line->OfferCall(0);
    line->SendCallerId(first, {kCallerIdAddress | kCallerIdName, "0301234567", "Ann Example"});
    line->Ring(0);
    ASSERT_TRUE(WaitFor([&] { return State().bRecording.load(); }));
    const uint64_t played = nullBackend->FramesPlayed();
    const uint32_t second = line->OfferCall(0);
    line->SendCallerId(second, {kCallerIdAddress | kCallerIdName, "0307654321", "Bob"});
    line->FarEndHangsUp(first);
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bOffHook; }));
    EXPECT_EQ(Index().GetAt(0).m_sName, "Ann Example");
    EXPECT_EQ(nullBackend->FramesPlayed(), played);
    const std::string hSecond = StrPrintf("0x%x", second);
    EXPECT_FALSE(line->Did("Answer " + hSecond) || line->Did("Drop " + hSecond));
}

TEST_F(TelephonyLineStory, ATakenCallIsHandedOverForFaxAndDataWithoutASpeakerphone) {
    phone->nAction = 0; // the user takes the calls
    phone->bFax = true;
    phone->sFaxAppName = "faxprog";
    phone->sFaxParam = "-r";
    StartWorkerOnDevice();
    const uint32_t hCall = line->OfferCall(0);
    ASSERT_TRUE(WaitFor([&] { return phone->Device().InVoiceMode() || Rang(1); }));
    // Only a modem has a speakerphone: on a line the wish for one is a talk
    // at the PC, which holds no request back.
    State().bSpeakerphone = true;
    Request(kActionTalk);
    ASSERT_TRUE(WaitFor([&] { return line->Did("Answer 0x10001"); }));
    // The far end is a fax machine: the call goes to the fax program.
    line->SendMediaMode(hCall, kMediaG3Fax);
    ASSERT_TRUE(WaitFor([&] { return line->Did("Handoff 0x0 \"faxprog\" -r"); }));
    EXPECT_TRUE(line->Did("SetMediaMode 0x20"));
    // A modem calling is handed to whichever program takes data calls.
    line->SendMediaMode(hCall, kMediaDataModem);
    ASSERT_TRUE(WaitFor([&] { return line->Did("Handoff 0x10 "); }));
    EXPECT_TRUE(line->Did("SetMediaMode 0x10"));
}

TEST_F(TelephonyLineStory, ACallDialledOutIsPlacedOnTheLineAndDroppedAtTheHangUp) {
    phone->bRecordOriginated = false;
    StartWorkerOnDevice();
    worker->SetDialNumber("0301234567");
    worker->PostThreadMessage(kMsgDial);
    ASSERT_TRUE(WaitFor([&] { return worker->LastDialResult() == 1; }));
    EXPECT_TRUE(line->Did("MakeCall 0301234567"));
    const uint32_t hCall = line->LastPlacedCall();
    ASSERT_TRUE(WaitFor([&] { return line->CallState(hCall) == kCallConnected; }));
    EXPECT_TRUE(State().bOffHook);
    Request(kActionStopHangUp);
    ASSERT_TRUE(WaitFor([&] { return line->Did("Deallocate " + StrPrintf("0x%x", hCall)); }));
    ASSERT_TRUE(WaitFor([&] { return !State().bOffHook.load(); }));
}

// The main window's timer 3, as the front ends run it: started by the
// worker for a call offered before any ring, and when it runs out the
// worker is asked to set the handset flag.
TEST_F(TelephonyLineStory, ACallFromTheLocalHandsetSetsTheHandsetFlagARingingCallDoesNot) {
    phone->nAction = 0;
    phone->bHandsetStart = false; // the flag alone, no recording
    StartWorkerOnDevice();
    ITelephoneDevice& dev = phone->Device();

    // The handset placed a call: offered, and nothing rings.
    const uint32_t hOwn = line->OfferCall(0, false);
    ASSERT_TRUE(WaitFor([&] { return UiSaid("timer 3: start 500 ms"); }));
    worker->RequestHandsetFlag(false, 500);
    ASSERT_TRUE(WaitFor([&] { return dev.HandsetOffHook(); }));
    EXPECT_EQ(worker->RingCount(), 0);
    // A stop pending in the main window clears it.
    worker->RequestHandsetFlag(true);
    ASSERT_TRUE(WaitFor([&] { return !dev.HandsetOffHook(); }));
    // The timer stopped before it ran out: its request is dropped. Work run
    // between two steps after the request's time comes after the request
    // would have been applied.
    const uint32_t due = GetTickCount() + 100;
    worker->RequestHandsetFlag(false, 100);
    worker->CancelHandsetFlag();
    ASSERT_TRUE(WaitFor([&] { return static_cast<int32_t>(GetTickCount() - due) > 0; }));
    std::atomic<bool> bLooked{false};
    worker->RunBetweenSteps([&] { bLooked = true; });
    ASSERT_TRUE(WaitFor([&] { return bLooked.load(); }));
    EXPECT_FALSE(dev.HandsetOffHook());
    line->FarEndHangsUp(hOwn);
    line->SetCallState(hOwn, kCallIdle);
    ASSERT_TRUE(WaitFor([&] { return line->Did(StrPrintf("Deallocate 0x%x", hOwn)); }));

    // A caller rings: the ring stops the timer, and a request that comes
    // all the same (the timer ran out as the ring came) clears the flag.
    line->OfferCall(0);
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 1; }));
    ASSERT_TRUE(WaitFor([&] { return UiSaid("timer 3: stop"); }));
    dev.SetHandsetOffHook(true);
    worker->RequestHandsetFlag(false);
    ASSERT_TRUE(WaitFor([&] { return !dev.HandsetOffHook(); }));
}

} // namespace
