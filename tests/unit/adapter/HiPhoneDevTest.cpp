// The adapter's events as the worker receives them, opening and closing it,
// and what a stranger's caller-ID bytes and a vanishing adapter do.
#include "AdapterTestWorker.h"
#include "adapter/HiPhoneDev.h"
#include "adapter/SimulatedAdapter.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using Calls = std::vector<std::string>;

class HiPhoneDevTest : public ::testing::Test {
protected:
    std::shared_ptr<CSimulatedAdapter> sim = CSimulatedAdapter::Create();
    CTestAdapterWorker worker;
    CHiPhoneDev dev{sim->Factory(), worker};

    void OpenIt() { ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened); }
};

TEST_F(HiPhoneDevTest, KeysReachTheWorkerAsTheirCharacters) {
    OpenIt();
    for (int p = 0; p <= 15; ++p)
        sim->Event(kAdEvKey, p);
    std::string keys;
    for (const ThreadMessage& m : worker.Take()) {
        ASSERT_EQ(m.message, kMsgDeviceEvent);
        keys += static_cast<char>(m.wParam);
    }
    // A-D are four keys, not four times "1".
    EXPECT_EQ(keys, "0123456789ABCD*#");

    // A parameter that is no key posts nothing and says so.
    sim->Event(kAdEvKey, 16);
    sim->Event(kAdEvKey, -1);
    EXPECT_TRUE(worker.Take().empty());
    EXPECT_EQ(worker.LogLines().size(), 2u);
}

TEST_F(HiPhoneDevTest, ToneRingAndHookEventsSetTheWorkerGoing) {
    OpenIt();
    sim->Event(kAdEvBusy, 0);
    sim->Event(kAdEvDialTone, 0);
    sim->Event(kAdEvIncomingCall, 0);
    sim->Event(kAdEvFaxTone, 0);
    EXPECT_EQ(worker.Take(), (std::vector<ThreadMessage>{Key('b'), Key('d'), kRing,
                                                         {kMsgMediaEvent, 'c', 0}}));

    // Recording because the handset was lifted, the dial tone after the far
    // end hangs up must not end it.
    worker.bHandsetRecording = true;
    sim->Event(kAdEvDialTone, 0);
    sim->Event(kAdEvBusy, 0);
    EXPECT_EQ(worker.Take(), (std::vector<ThreadMessage>{Key('b')}));

    sim->Event(kAdEvLocalOffHook, 0);
    EXPECT_TRUE(worker.bHandsetOffHook);
    EXPECT_FALSE(worker.bStopRequest);
    sim->Event(kAdEvLocalOnHook, 0);
    EXPECT_FALSE(worker.bHandsetOffHook);
    EXPECT_TRUE(worker.bStopRequest);
}

TEST_F(HiPhoneDevTest, EventsWithNothingToDoAreQuietAndUnknownOnesLogged) {
    OpenIt();
    for (int code : {80, 95, 97, 100, 101, 102, 103, 105, 106, 108, 110, 112, 114, 127})
        sim->Event(code, 3);
    EXPECT_TRUE(worker.Take().empty());
    EXPECT_TRUE(worker.LogLines().empty());

    for (int code : {0, 65, 117, 119, 225, 100000, -5})
        sim->Event(code, 1);
    sim->TextEvent(226, 0, "\x80\x03\x02\x01\x35");
    EXPECT_TRUE(worker.Take().empty());
    EXPECT_EQ(worker.LogLines().size(), 7u);
    EXPECT_EQ(dev.LastRawCallerId(), "");
}

// (The line's sound through an open adapter: see the simulator's test.)
TEST_F(HiPhoneDevTest, OpeningFallsBackToTheOlderWayAndFailsHonestly) {
    EXPECT_EQ(dev.OpenLineCapture(), nullptr); // not open yet
    sim->SetOpenWorks(false, true);
    worker.bStopRequest = true;
    EXPECT_EQ(dev.Open(), AdapterOpenResult::Opened);
    EXPECT_EQ(sim->Calls(), (Calls{"open", "open-fallback"}));
    EXPECT_TRUE(dev.IsOpen());
    EXPECT_FALSE(worker.bStopRequest);
    dev.Close();

    // Neither way works: not open, and events do not reach the worker.
    sim->SetOpenWorks(false, false);
    EXPECT_EQ(dev.Open(), AdapterOpenResult::Failed);
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(sim->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(worker.Take().empty());

    sim->SetPresent(false);
    EXPECT_EQ(dev.Open(), AdapterOpenResult::Missing);
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(HiPhoneDevTest, CloseStopsAudioPutsTheLineBackAndIgnoresLaterEvents) {
    OpenIt();
    ASSERT_TRUE(dev.GoOffHook());
    EXPECT_TRUE(dev.GoOffHook()); // already off-hook: not asked twice
    EXPECT_TRUE(sim->IsOffHook());
    dev.Close();
    EXPECT_EQ(sim->Calls(),
              (Calls{"open", "off-hook", "stop-play", "stop-record", "on-hook", "close"}));
    EXPECT_FALSE(sim->IsOffHook());
    EXPECT_FALSE(sim->Event(kAdEvIncomingCall, 0));
    EXPECT_FALSE(sim->TextEvent(kAdTextCallerId, 0, CallerIdMessage("\x02\x03" "123", true)));
    EXPECT_TRUE(worker.Take().empty());
    EXPECT_FALSE(dev.GoOffHook());
    EXPECT_FALSE(dev.HangUp());
    dev.Close(); // twice is harmless
}

TEST_F(HiPhoneDevTest, CallerIdIsStoredAndAnnouncedOnlyWhenItChecksOut) {
    OpenIt();
    std::string good = CallerIdMessage(std::string("\x02\x07" "5551234\x07\x03" "Ann", 14), true);
    sim->TextEvent(kAdTextCallerId, 0, good);
    EXPECT_EQ(dev.LastRawCallerId(), good);
    EXPECT_EQ(worker.Take(), (std::vector<ThreadMessage>{{kMsgCallerIdReady, 0, 0}}));

    // A flipped bit: the earlier message stays, nothing is announced.
    std::string bad = good;
    bad[5] ^= 0x01;
    sim->TextEvent(kAdTextCallerId, 0, bad);
    EXPECT_EQ(dev.LastRawCallerId(), good);
    EXPECT_TRUE(worker.Take().empty());

    // Longer than any message can be.
    sim->TextEvent(kAdTextCallerId, 0, std::string(5000, '\x02'));
    EXPECT_EQ(dev.LastRawCallerId(), good);
    EXPECT_TRUE(worker.Take().empty());
    EXPECT_EQ(worker.LogLines().size(), 2u);

    // Without a checksum it is the decoder's to read (and to cut).
    std::string plain = CallerIdMessage(std::string("\x02\x40" "5551234567", 12), false);
    sim->TextEvent(kAdTextCallerId, 0, plain);
    EXPECT_EQ(dev.LastRawCallerId(), plain);
    EXPECT_EQ(worker.Take().size(), 1u);
}

TEST(RawCallerIdCheck, JudgesLengthAndChecksum) {
    EXPECT_EQ(CheckRawCallerId(""), RawCallerIdCheck::Accepted);
    EXPECT_EQ(CheckRawCallerId("\x80"), RawCallerIdCheck::Accepted);
    EXPECT_EQ(CheckRawCallerId(std::string("\x80\x00\x80", 3)), RawCallerIdCheck::Accepted);
    EXPECT_EQ(CheckRawCallerId(std::string("\x80\x00\x81", 3)), RawCallerIdCheck::BadChecksum);
    std::string longest = CallerIdMessage(std::string(255, '\x07'), true);
    ASSERT_EQ(longest.size(), CHiPhoneDev::kMaxRawCallerId);
    EXPECT_EQ(CheckRawCallerId(longest), RawCallerIdCheck::Accepted);
    EXPECT_EQ(CheckRawCallerId(longest + "x"), RawCallerIdCheck::TooLong);
}

TEST_F(HiPhoneDevTest, AnAdapterPulledOutMidCallFailsCleanly) {
    OpenIt();
    ASSERT_TRUE(dev.GoOffHook());
    auto capture = dev.OpenLineCapture();
    ASSERT_TRUE(capture);
    sim->Vanish();
    int16_t buf[160];
    EXPECT_EQ(capture->Read(buf, 160, 1000), -1);
    EXPECT_FALSE(dev.HangUp());
    EXPECT_FALSE(sim->Event(kAdEvBusy, 0));
    EXPECT_EQ(dev.OpenLinePlayback(), nullptr);
    dev.Close();
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(dev.Open(), AdapterOpenResult::Missing);
}

TEST_F(HiPhoneDevTest, EventsRacingACloseNeverReachAClosedDevice) {
    std::atomic<bool> bStop{false};
    std::thread line([&] {
        while (!bStop) {
            sim->Event(kAdEvKey, 5);
            sim->TextEvent(kAdTextCallerId, 0, CallerIdMessage("\x02\x01" "1", true));
        }
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened);
        dev.Close();
        // Once Close has returned nothing more may arrive.
        worker.Take();
        EXPECT_FALSE(sim->Event(kAdEvKey, 5));
        EXPECT_TRUE(worker.Take().empty());
    }
    bStop = true;
    line.join();
}

} // namespace
