// Caller ID through the whole worker: lines that arrive while the worker
// still waits for the ring, and layouts that real modems send.
#include "EngineStory.h"

namespace {

constexpr const char* kNumberFirst = "\r\nNMBR = 5071234567\r\nNAME = ARCHER L\r\n\r\n";

} // namespace

TEST_F(EngineStory, CallerIdAheadOfTheFirstRingKeepsItsNumber) {
    StartWorker();
    // Some lines send the caller's data before they ring; the worker reads
    // its first line while it waits for the ring.
    sim->SendRaw(kNumberFirst);
    sim->Ring(2, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return !State().curCall.Get().m_sName.empty(); }));
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 2; }));
    CNumber c = State().curCall.Get();
    EXPECT_EQ(c.m_sName, "ARCHER L");
    EXPECT_EQ(c.m_sNumber, "5071234567");
    EXPECT_EQ(c.m_sDisplayNumber, "507-123-4567");
}

TEST_F(EngineStory, CallerIdDuringTheModemSetUpKeepsItsNumber) {
    // The lines are there before the worker sets the modem up: the answers
    // to its set-up commands come after them.
    sim->SendRaw(kNumberFirst);
    StartWorker();
    sim->Ring(2, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return !State().curCall.Get().m_sName.empty(); }));
    CNumber c = State().curCall.Get();
    EXPECT_EQ(c.m_sName, "ARCHER L");
    EXPECT_EQ(c.m_sNumber, "5071234567");
}

TEST_F(EngineStory, AMessageLineAheadOfTheFieldsReachesTheIndex) {
    sim->SetCallerId({"", "", "", "",
                      "\r\nMESG = 110101\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = "
                      "5071234567\r\nNAME = ARCHER L\r\n\r\n"},
                     modemsim::CallerIdForm::Raw);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 1500, 8000));
    sim->FarEndHangsUp(1500, 'b');
    StartWorker();
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return !State().curCall.Get().m_sName.empty(); }));
    Request(kActionRecord);
    ASSERT_TRUE(
        WaitFor([&] { return Index().GetSize() == 1 && Index().GetAt(0).m_nLength >= 1; }, 60000));
    EXPECT_EQ(Index().GetAt(0).m_sNumber, "5071234567");
    EXPECT_EQ(Index().GetAt(0).m_sName, "ARCHER L");
    ASSERT_TRUE(WaitFor([&] { return !sim->IsOffHook() && !State().bOffHook; }));
}
