// What the worker does with the line around a call: the handset it tracks
// for one call only (or, without "record immediately", only takes the line
// for), a ring during the modem's set-up, the customised voice set-up, the
// port rate, the worker's own failures, and the calls it
// forgets on request.
#include "EngineStory.h"

#include <stdexcept>

// ---- the handset lifted: recorded at once, tracked for one call -------------

TEST_F(EngineStory, AHandsetCallEndsItsHandsetTracking) {
    phone->bHandsetStart = true;
    phone->bHandsetStop = true;
    phone->bRecordImmediately = true;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    StartWorker();
    // The user lifts the extension: recorded until the handset is put back.
    sim->SendEventNow('H');
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    sim->InjectEvent('h', 1000);
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(worker->LastRecordKey(), 'h');
    // All of what the caller said, from the first block on.
    std::vector<int16_t> s = Samples(worker->LastRecording());
    EXPECT_NEAR(double(s.size()), 8000.0, 1600.0);
    ASSERT_GE(s.size(), 4000u);
    EXPECT_GT(ToneShare({s.begin(), s.begin() + 4000}, 1000, 8000), 0.95);
    ASSERT_TRUE(WaitOnHook());

    // A later recording the user asked for: a handset put back somewhere
    // is no longer this program's business; the caller's hang-up ends it.
    Request(kActionRecord);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    sim->InjectEvent('h', 500);
    sim->InjectEvent('b', 1500);
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_EQ(worker->LastRecordKey(), 'b');
    ASSERT_TRUE(WaitOnHook());
}

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

// ---- a ring while the modem is set up again --------------------------------

TEST_F(EngineStory, ARingDuringTheSetUpAfterAHangUpIsNotLost) {
    StartWorker();
    ASSERT_TRUE(sim->WaitForCommand("#CID=1", 30000)); // the first set-up
    // A slow modem: the ring comes before the set-up's answers.
    sim->SetReplyDelay(500);
    State().bHangUpRequest = true;
    worker->Wake();
    ASSERT_TRUE(sim->WaitForCommand("#CID=1", 30000)); // set up again after the hang-up
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() == 1; }));
    EXPECT_TRUE(State().bRinging);
    sim->SetReplyDelay(0);
}

// ---- the customised set-up repeats the voice set-up for each recording ------

class CustomisedAnswer : public EngineStory, public ::testing::WithParamInterface<bool> {};

TEST_P(CustomisedAnswer, RecordingWhileOffHookRepeatsTheVoiceSetUpOnlyWhenSet) {
    phone->fKestrixCustomization = GetParam();
    const std::string voiceCommand = phone->Profile().sVoiceSwitchToVoice;
    ASSERT_FALSE(voiceCommand.empty());
    StartWorker();
    Request(kActionTalk);
    ASSERT_TRUE(
        WaitFor([&] { return State().bOffHook && sim->IsOffHook() && !State().bActionPending; }));
    const size_t before = sim->ReceivedCommands().size();
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
    Request(kActionRecord);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    std::vector<std::string> sent = sim->ReceivedCommands();
    size_t repeats = 0;
    for (size_t i = before; i < sent.size() && sent[i].find("VRX") == std::string::npos; ++i)
        if (voiceCommand.find(sent[i]) != std::string::npos)
            ++repeats;
    EXPECT_EQ(repeats > 0, GetParam()) << repeats;
    UserHangsUp();
    ASSERT_TRUE(WaitOnHook());
}

INSTANTIATE_TEST_SUITE_P(Setting, CustomisedAnswer, ::testing::Bool(),
                         [](const auto& i) { return std::string(i.param ? "On" : "Off"); });

// ---- the port rate of compression id 4 ---------------------------------------

TEST_F(EngineStory, CompressionFourOpensThePortAtTheProfilesRate) {
    phone->Profile().nCompression = 4;
    phone->Profile().nCompressionBS = 4;
    phone->Profile().dwBaudRateMax = 38400;
    StartWorker();
    EXPECT_EQ(phone->ModemDriver()->BaudRate(), 38400u);
}

// ---- a failing step is told, not dropped -------------------------------------

namespace {

// A front end whose main window is gone when the first ring comes.
class VanishingWindow : public CLoggingUiBridge {
public:
    void ActivateMainWindow() override {
        if (!m_bThrown.exchange(true))
            throw std::runtime_error("main window gone");
    }

private:
    std::atomic<bool> m_bThrown{false};
};

} // namespace

TEST_F(EngineStory, AFailingStepIsLoggedAndShown) {
    VanishingWindow window;
    LaunchWorker(&window);
    ASSERT_TRUE(
        WaitFor([&] { return phone->ModemDriver()->m_bInitialized && worker->StepCount() >= 1; }));
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitFor([&] {
        return home.Read("modem.log").find("Worker step failed: main window gone") !=
               std::string::npos;
    }));
    EXPECT_TRUE(WaitFor([&] { return UiSaid("main window gone"); }));
    worker.reset();
}

// ---- the pending calls are forgotten on request ------------------------------

TEST_F(EngineStory, ClearingPendingCallsForgetsTheRingingCall) {
    StartWorker();
    sim->Ring(2, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 2; }));
    worker->ClearPendingCalls();
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() == 0 && !State().bRinging; }));
    // Forgotten, not ended: the rings-ended step did not run for it.
    EXPECT_EQ(home.Read("modem.log").find("Rings ended."), std::string::npos);
}
