// Settings that change what a whole call does: recording from the moment the
// handset is lifted, recordings ended by silence, and hardware caller ID.
#include "EngineStory.h"

#include <algorithm>

namespace {

std::string OnOff(const ::testing::TestParamInfo<bool>& i) {
    return i.param ? "On" : "Off";
}

} // namespace

// ---- the handset lifted: record at once, or just take the line -------------

class RecordImmediatelyStory : public EngineStory, public ::testing::WithParamInterface<bool> {};

TEST_P(RecordImmediatelyStory, LiftingTheHandsetRecordsOnlyWhenSet) {
    const bool bOn = GetParam();
    phone->bHandsetStart = true;
    phone->bHandsetStop = false;
    phone->bRecordImmediately = bOn;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000));
    sim->FarEndHangsUp(2000, 'b');
    StartWorker();
    sim->SendEventNow('H'); // the user picks up the extension; nobody presses Record

    if (bOn) {
        ASSERT_TRUE(WaitFor(
            [&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 1; }, 60000));
        ASSERT_FALSE(worker->LastRecording().empty());
        EXPECT_EQ(worker->LastRecordKey(), 'b');
        std::vector<int16_t> s = Samples(worker->LastRecording());
        // The whole of what the caller said, from the first block.
        EXPECT_NEAR(double(s.size()), 16000.0, 1600.0);
        ASSERT_GE(s.size(), 4000u);
        EXPECT_GT(ToneShare(std::vector<int16_t>(s.begin(), s.begin() + 4000), 1000, 8000), 0.95);
        EXPECT_GT(ToneShare(s, 1000, 8000), 0.95);
        ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
    } else {
        // The line is taken for talking and nothing more happens on it.
        ASSERT_TRUE(
            WaitFor([&] { return State().bOffHook && State().bTalking && sim->IsOffHook(); }));
        // A few more rounds of the worker with the line held.
        const uint64_t steps = worker->StepCount();
        ASSERT_TRUE(WaitFor([&] { return worker->StepCount() > steps + 20; }));
        EXPECT_TRUE(State().bOffHook);
        // The user hangs up.
        State().bHangUpRequest = true;
        worker->Wake();
        ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
        EXPECT_FALSE(SentCommand(*sim, "VRX"));
        EXPECT_TRUE(worker->LastRecording().empty());
        EXPECT_EQ(Index().GetSize(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Setting, RecordImmediatelyStory, ::testing::Bool(), OnOff);

// ---- a recording of speech, then silence until the caller hangs up ----------

class SilenceDetectionStory : public EngineStory, public ::testing::WithParamInterface<bool> {};

TEST_P(SilenceDetectionStory, SilenceEndsTheRecordingOnlyWhenSet) {
    const bool bOn = GetParam();
    phone->DriverSettings().bSilenceDetection = bOn;
    phone->DriverSettings().iSilenceDetectionTimeout = 15; // 1.5 s
    // 2 s of speech, then a quiet line; the caller hangs up after 8 s.
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000).Silence(20000));
    sim->FarEndHangsUp(8000, 'b');
    StartWorker();
    Request(kActionRecord);
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(WaitFor([&] { return !worker->LastRecording().empty(); }, 60000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bActionPending; }, 60000));
    std::vector<int16_t> s = Samples(worker->LastRecording());
    ASSERT_GE(s.size(), 16000u);
    // The speech is all there, whatever ends the recording.
    EXPECT_GT(ToneShare(std::vector<int16_t>(s.begin(), s.begin() + 15000), 1000, 8000), 0.95);
    if (bOn) {
        EXPECT_TRUE(worker->LastRecordEndedBySilence());
        EXPECT_NE(worker->LastRecordKey(), 'b');
        // Ended in the quiet stretch: past the speech and the time-out, well
        // before the hang-up.
        EXPECT_GE(s.size(), 8000u * 3);
        EXPECT_LE(s.size(), 8000u * 6);
    } else {
        EXPECT_FALSE(worker->LastRecordEndedBySilence());
        EXPECT_EQ(worker->LastRecordKey(), 'b');
        EXPECT_NEAR(double(s.size()), 8000.0 * 8, 1600.0);
        // After the speech the line was quiet, and so is the file.
        std::vector<int16_t> quiet(s.begin() + 8000 * 3, s.begin() + 8000 * 7);
        EXPECT_LT(Rms(quiet), 100);
    }
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
}

INSTANTIATE_TEST_SUITE_P(Setting, SilenceDetectionStory, ::testing::Bool(), OnOff);
// ---- hardware caller ID: a bare line of digits ------------------------------

TEST_F(EngineStory, HardwareCallerIdReachesTheCallAndTheIndex) {
    phone->nCIDType = kCidHardware;
    phone->Profile().sCmdEnableHardwareCID = "#CID=1";
    phone->dwTimeToGet = 2000;
    sim->SetCallerId({"", "", "2125551234", "", ""}, modemsim::CallerIdForm::HardwareDigits);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1500, 8000));
    sim->FarEndHangsUp(1500, 'b');
    StartWorker();
    // The modem was told to report the number as digits.
    EXPECT_TRUE(SentCommand(*sim, "#CID=1"));

    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return State().curCall.Get().m_sNumber == "2125551234"; }));
    EXPECT_EQ(State().curCall.Get().m_sDisplayNumber, "212-555-1234");
    EXPECT_EQ(State().curCall.Get().m_sName, "");

    Request(kActionRecord);
    ASSERT_TRUE(
        WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 1; }, 60000));
    EXPECT_EQ(Index().GetAt(0).m_sNumber, "2125551234");
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
}
