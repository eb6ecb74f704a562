// The adapter as the worker's telephone device: a missing adapter pauses
// the worker with its message, caller data comes decoded and clean, and a
// number is dialled with touch-tone keys a key receiver reads back.
#include "AdapterTestWorker.h"
#include "adapter/AdapterTelephoneDevice.h"
#include "adapter/SimulatedAdapter.h"
#include "engine/Phone.h"
#include "linesig/LineSignalDetector.h"

#include <gtest/gtest.h>

namespace {

class AdapterDeviceTest : public ::testing::Test {
protected:
    std::shared_ptr<CSimulatedAdapter> sim = CSimulatedAdapter::Create();
    CTestAdapterWorker worker;
    CPhone phone;
    std::unique_ptr<ITelephoneDevice> dev = MakeAdapterDevice(worker, phone, sim->Factory());

    // The keys a receiver hears in what was played to the line.
    std::string KeysPlayed() {
        std::string keys;
        CLineSignalDetector rx([&](const LineSignal& s) {
            if (s.kind == LineSignalKind::Key)
                keys += s.cKey;
        });
        std::vector<int16_t> played = sim->TakePlayed();
        played.resize(played.size() + 800); // the last key's end
        rx.Feed(played.data(), played.size());
        return keys;
    }
};

TEST_F(AdapterDeviceTest, AMissingAdapterPausesWithItsMessageUntilItIsPluggedIn) {
    EXPECT_EQ(dev->Kind(), DeviceKind::UsbAdapter);
    sim->SetPresent(false);
    EXPECT_FALSE(dev->Open());
    EXPECT_EQ(worker.nPausedWith, kStrAdapterNotFound);
    EXPECT_EQ(dev->OpenError(), "no USB telephone adapter was found"); // a factory gives no reason
    // Still worth trying again: resuming monitoring opens it anew.
    EXPECT_TRUE(dev->IsAvailable());
    EXPECT_FALSE(dev->IsOpen());

    worker.nPausedWith = 0;
    sim->SetPresent(true);
    EXPECT_TRUE(dev->Open());
    EXPECT_TRUE(dev->IsAvailable());
    EXPECT_TRUE(dev->IsOpen());
    EXPECT_EQ(worker.nPausedWith, 0);

    // There but refusing both ways of opening: not open, no false message.
    dev->Close(true);
    sim->SetOpenWorks(false, false);
    EXPECT_FALSE(dev->Open());
    EXPECT_TRUE(dev->IsAvailable());
    EXPECT_EQ(worker.nPausedWith, 0);
}

TEST_F(AdapterDeviceTest, WhyNoAdapterWasFoundIsItsOpenErrorAndTheStatus) {
    auto none = MakeAdapterDevice(worker, phone, [](std::string* why) {
        *why = "the sound card hw:CARD=Gone is not there";
        return std::unique_ptr<IAdapterDeviceLayer>();
    });
    EXPECT_FALSE(none->Open());
    EXPECT_EQ(worker.nPausedWith, kStrAdapterNotFound);
    EXPECT_EQ(none->OpenError(), "the sound card hw:CARD=Gone is not there");
    EXPECT_EQ(phone.StatusText(),
              "USB telephone adapter not found: the sound card hw:CARD=Gone is not there");
}

TEST_F(AdapterDeviceTest, CallerDataIsDecodedAndCleanOfControlCharacters) {
    EXPECT_FALSE(dev->CallerData().bPresent);
    ASSERT_TRUE(dev->Open());
    std::string params = std::string("\x02\x07" "5551234", 9) +
                         std::string("\x07\x0C" "Ann\x1b[2J\r\nBob", 14);
    sim->TextEvent(kAdTextCallerId, 0, CallerIdMessage(params, true));
    DeviceCallerData d = dev->CallerData();
    EXPECT_TRUE(d.bPresent);
    EXPECT_EQ(d.sNumber, "5551234");
    EXPECT_EQ(d.sName, "Ann[2JBob");
    EXPECT_EQ(d.sRawMessage.size(), params.size() + 3);

    // A name that claims more bytes than the message holds is cut at its end.
    sim->TextEvent(kAdTextCallerId, 0,
                   CallerIdMessage(std::string("\x02\x03" "123\x07\xF0" "Eve\x01xx", 13), false));
    d = dev->CallerData();
    EXPECT_EQ(d.sNumber, "123");
    EXPECT_EQ(d.sName, "Evexx");

    // Twelve bytes say nothing.
    sim->TextEvent(kAdTextCallerId, 0, std::string(12, '\x02'));
    EXPECT_FALSE(dev->CallerData().bPresent);
}

TEST_F(AdapterDeviceTest, DialsWithTouchToneKeysThroughTheWaveOut) {
    ASSERT_TRUE(dev->Open());
    EXPECT_EQ(dev->Dial("(555) 12-34#", false), 1);
    EXPECT_EQ(KeysPlayed(), "5551234#");
    EXPECT_FALSE(sim->IsOffHook());

    EXPECT_EQ(dev->Dial("*9a", true), 1);
    EXPECT_EQ(KeysPlayed(), "*9A");
    EXPECT_TRUE(sim->IsOffHook());
    EXPECT_TRUE(dev->HangUp());

    // Nothing to dial, or more than a number can be: refused, nothing played.
    EXPECT_EQ(dev->Dial("--", false), -1);
    EXPECT_EQ(dev->Dial(std::string(65, '1'), false), -1);
    EXPECT_EQ(dev->Dial("1" + std::string(64, ','), false), -1);
    EXPECT_TRUE(sim->TakePlayed().empty());

    dev->Close(true);
    EXPECT_EQ(dev->Dial("123", false), -1);
}

} // namespace
