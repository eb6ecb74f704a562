// The greeting recorded through the modem and then played to a caller: a
// whole call against the simulated modem.
#include "EngineStory.h"

// ---- a new greeting, recorded from the line, answers the next caller ------

TEST_F(EngineStory, GreetingRecordedThroughTheModemAnswersTheNextCall) {
    const std::string greeting = home.File("my-greeting.wav");
    phone->sWaveGreet = greeting;
    phone->nAction = 1; // away: the machine answers
    phone->nRings = 2;
    // The greeting recorder stops at the inactivity limit: 2 s of a 700 Hz tone.
    phone->DriverSettings().dwInactiveTimer = 2000;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(700, 3000, 8000));
    StartWorker();

    worker->SetPlayFile(greeting);
    Request(kActionRecordGreeting);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
    // Recorded, then the line is given back.
    ASSERT_TRUE(WaitFor([&] { return !State().bActionPending; }));
    ASSERT_TRUE(WaitOnHook());
    std::vector<int16_t> rec = Samples(greeting);
    // The whole 2 s limit of what the line carried, and nothing else.
    EXPECT_NEAR(double(rec.size()), 16000.0, 1600.0);
    ASSERT_GE(rec.size(), 8000u);
    EXPECT_GT(ToneShare(rec, 700, 8000), 0.95);
    EXPECT_NEAR(Rms(rec), 8000 / std::sqrt(2.0), 800);
    // A greeting is not a call: nothing in the call index.
    EXPECT_EQ(Index().GetSize(), 0);

    // A caller rings; the machine answers with the new greeting.
    sim->ClearTransmitted();
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
    std::vector<int16_t> heard = sim->TransmittedSamples();
    EXPECT_NEAR(double(heard.size()), double(rec.size()), 800.0);
    EXPECT_GT(ToneShare(heard, 700, 8000), 0.95);
    // The greeting file itself was only read.
    EXPECT_EQ(Samples(greeting).size(), rec.size());
}

// ---- the speakerphone, switched on by the caller's key during the greeting --

class SpeakerphoneStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        CCommDriver& d = *phone->ModemDriver();
        d.Profile().sVoiceSpeakerphoneEnable = "#VLS=6";
        d.Profile().sVoiceSpeakerphoneUnmute = "#VSP=1";
        d.Profile().sVoiceSpeakerphoneDisable = "#VSP=0";
        d.Settings().m_dtmf[7] = kActionSpeakerphone;
        phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 1500);
        phone->nAction = 1;
        phone->nRings = 2;
    }

    // The machine answers; the user asks for the speakerphone and the caller
    // presses the speakerphone key during the greeting.
    void StartSpeakerphoneCall() {
        StartWorker();
        sim->Ring(3, modemsim::RingCadence{400, 60});
        ASSERT_TRUE(sim->WaitForCommand("VTX", 30000));
        State().bSpeakerphone = true;
        sim->InjectEvent('7', 500);
        ASSERT_TRUE(sim->WaitForTransmitEnd(30000));
        ASSERT_TRUE(sim->WaitForCommand("#VLS=6", 30000));
        ASSERT_TRUE(sim->WaitForCommand("#VSP=1", 30000));
        EXPECT_TRUE(State().bOffHook);
        // The loop holds the line: no message is recorded meanwhile.
        EXPECT_FALSE(SentCommand(*sim, "VRX"));
    }
};

TEST_F(SpeakerphoneStory, AHangUpRequestLeavesTheLoopAndHangsUp) {
    StartSpeakerphoneCall();
    UserHangsUp();
    ASSERT_TRUE(WaitOnHook());
    ASSERT_TRUE(WaitFor([&] { return !State().bHangUpRequest; }));
    EXPECT_FALSE(State().bTalking);
    // Left with the loop still marked running: the disable command is not sent.
    EXPECT_FALSE(SentCommand(*sim, "#VSP=0"));
    EXPECT_EQ(Index().GetSize(), 0);
    // The hung-up call took its speakerphone request with it: the next
    // request runs.
    EXPECT_FALSE(State().bSpeakerphone);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1500, 8000));
    sim->FarEndHangsUp(1500, 'b');
    Request(kActionRecord);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !sim->IsOffHook(); }, 60000));
}

TEST_F(SpeakerphoneStory, TheFarEndHangingUpEndsTheCall) {
    StartSpeakerphoneCall();
    sim->SendEventNow('b'); // the caller hung up: the line carries the busy tone
    ASSERT_TRUE(
        WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook && !State().bSpeakerphone; }));
    EXPECT_TRUE(SentCommand(*sim, "#VSP=0"));
    EXPECT_TRUE(UiSaid("Busy"));
    EXPECT_EQ(Index().GetSize(), 0);
}
