// Settings that change what a whole call does, when they are off: lifting
// the handset only takes the line, and a quiet line is recorded until the
// caller hangs up. (With them on: the handset-tracking and the answering
// machine's stories.)
#include "EngineStory.h"

TEST_F(EngineStory, WithoutRecordImmediatelyLiftingTheHandsetOnlyTakesTheLine) {
    phone->bHandsetStart = true;
    phone->bRecordImmediately = false;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000));
    sim->FarEndHangsUp(2000, 'b');
    StartWorker();
    sim->SendEventNow('H'); // the user picks up the extension; nobody presses Record
    // The line is taken for talking and nothing more happens on it.
    ASSERT_TRUE(WaitFor([&] { return State().bOffHook && State().bTalking && sim->IsOffHook(); }));
    // A few more rounds of the worker with the line held.
    const uint64_t steps = worker->StepCount();
    ASSERT_TRUE(WaitFor([&] { return worker->StepCount() > steps + 20; }));
    EXPECT_TRUE(State().bOffHook);
    // The user hangs up.
    State().bHangUpRequest = true;
    worker->Wake();
    ASSERT_TRUE(WaitOnHook());
    EXPECT_FALSE(SentCommand(*sim, "VRX"));
    EXPECT_TRUE(worker->LastRecording().empty());
    EXPECT_EQ(Index().GetSize(), 0);
}

TEST_F(EngineStory, WithoutSilenceDetectionAQuietLineIsRecordedUntilTheHangUp) {
    phone->DriverSettings().bSilenceDetection = false;
    phone->DriverSettings().iSilenceDetectionTimeout = 15; // 1.5 s, were it on
    // 2 s of speech, then a quiet line; the caller hangs up after 8 s.
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000).Silence(20000));
    sim->FarEndHangsUp(8000, 'b');
    StartWorker();
    Request(kActionRecord);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(WaitFor([&] { return !worker->LastRecording().empty(); }, 60000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bActionPending; }, 60000));
    std::vector<int16_t> s = Samples(worker->LastRecording());
    ASSERT_GE(s.size(), 8000u * 7);
    EXPECT_GT(ToneShare({s.begin(), s.begin() + 15000}, 1000, 8000), 0.95);
    EXPECT_FALSE(worker->LastRecordEndedBySilence());
    EXPECT_EQ(worker->LastRecordKey(), 'b');
    EXPECT_NEAR(double(s.size()), 8000.0 * 8, 1600.0);
    // After the speech the line was quiet, and so is the file.
    EXPECT_LT(Rms({s.begin() + 8000 * 3, s.begin() + 8000 * 7}), 100);
    ASSERT_TRUE(WaitOnHook());
}
