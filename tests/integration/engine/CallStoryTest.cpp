// Incoming calls from the first RING to the stored call.
#include "EngineStory.h"

#include "audio/WaveFile.h"

TEST_F(EngineStory, TypicalCallIsRecordedAndIndexed) {
    modemsim::CallerId id{"1206", "1530", "2125551234", "JOHN SMITH", ""};
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 3000, 8000));
    sim->FarEndHangsUp(3500, 'b');
    StartWorker();

    sim->Ring(3, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitFor([&] { return UiSaid("JOHN SMITH - [212-555-1234] - Vorella"); }));
    EXPECT_EQ(g_curCall.Get().m_sName, "JOHN SMITH");
    EXPECT_EQ(g_curCall.Get().m_sNumber, "2125551234");
    EXPECT_EQ(g_curCall.Get().m_sDisplayNumber, "212-555-1234");

    Request(kActionRecord); // the user presses "Record"
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(WaitFor([&] { return !worker->CurrentFile().empty() && !g_bActionPending; }, 60000));
    const std::string file = worker->CurrentFile();
    EXPECT_EQ(worker->LastRecordKey(), 'b'); // the caller hung up

    // The WAV holds what the caller said: the tone, at its level.
    std::vector<int16_t> s = Samples(file);
    ASSERT_GE(s.size(), 8000u * 3);
    std::vector<int16_t> mid(s.begin() + 4000, s.begin() + 20000);
    EXPECT_GT(ToneShare(mid, 1000, 8000), 0.95);
    EXPECT_NEAR(Rms(mid), 8000 / std::sqrt(2.0), 500);

    // The index holds the finished call.
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 3; }));
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sFile, std::filesystem::path(file).filename().string());
    EXPECT_EQ(rec.m_sName, "JOHN SMITH");
    EXPECT_EQ(rec.m_sNumber, "2125551234");
    EXPECT_EQ(rec.m_nLength, int(s.size() / 8000));
    EXPECT_EQ(g_recentCalls.Get().size(), 1u);
    // The call ended: the line went back on-hook.
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !g_bOffHook; }));
}
