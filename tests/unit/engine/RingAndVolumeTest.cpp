#include "engine/CallState.h"
#include "engine/ModemCallerId.h"
#include "engine/RingRules.h"
#include "engine/VolumeScale.h"

#include <gtest/gtest.h>
#include <vector>

TEST(Volume, FactorsAndSaturation) {
    // 50 is unchanged, 100 twice, 0 half, muted silent: LineSoundTest's table.
    EXPECT_DOUBLE_EQ(VolumeFactor(75, false), 1.5);
    EXPECT_DOUBLE_EQ(VolumeFactor(30, false), 0.8);
    EXPECT_DOUBLE_EQ(VolumeFactor(-40, false), 0.5); // a hand-edited file: no phase flip
    EXPECT_DOUBLE_EQ(VolumeFactor(5000, false), 2.0);

    std::vector<int16_t> s{0, 100, -100, 20000, -20000, 32767, -32768};
    ApplyVolume(s, 2.0);
    EXPECT_EQ(s, (std::vector<int16_t>{0, 200, -200, 32767, -32768, 32767, -32768}));
    ApplyVolume(s, 0.5);
    EXPECT_EQ(s[1], 100);
    ApplyVolume(s, 0.0);
    EXPECT_EQ(s, std::vector<int16_t>(7, 0));
}

TEST(RingRules, LineCheckRingTiming) {
    CRingState rings;
    CallFlags flags;
    EXPECT_EQ(CheckRingTiming(rings, 12345, flags), RingTiming::NoRing);

    rings.nRings = 2;
    rings.dwLastRing = 0xFFFFF000u; // across the tick wrap
    flags.bRinging = true;
    EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 8000, flags), RingTiming::Ringing);
    EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 8001, flags), RingTiming::RingsEnded);
    // Someone picked up while it rang.
    flags.bOffHook = true;
    EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 100, flags), RingTiming::AnsweredReset);
    EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 9000, flags), RingTiming::Forget);
    flags.bOffHook = false;
    // Any use of the line keeps the rings from counting as unanswered.
    for (bool CallFlags::*flag : {&CallFlags::bOffHookRequest, &CallFlags::bTalking,
                                  &CallFlags::bHold, &CallFlags::bActionPending}) {
        CallFlags inUse = flags;
        inUse.*flag = true;
        EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 9000, inUse), RingTiming::Forget);
    }
    // Ringing cleared (a pause during the ring): over at once.
    flags.bRinging = false;
    EXPECT_EQ(CheckRingTiming(rings, rings.dwLastRing + 10, flags), RingTiming::RingsEnded);
}

TEST(RingRules, WhichRingReadsTheCallerId) {
    CRingState r;
    r.nRings = 1;
    EXPECT_TRUE(ReadsCallerIdAtThisRing(r, kCidFormatted, true));
    EXPECT_FALSE(ReadsCallerIdAtThisRing(r, kCidFormatted, false)); // the line posts it
    EXPECT_FALSE(ReadsCallerIdAtThisRing(r, kCidNone, true));
    r.nRings = 2;
    EXPECT_TRUE(ReadsCallerIdAtThisRing(r, kCidNone, true));
    EXPECT_TRUE(ReadsCallerIdAtThisRing(r, kCidFormatted, false));
    r.nCidReadAt = 1; // read at the first ring: not again
    EXPECT_FALSE(ReadsCallerIdAtThisRing(r, kCidFormatted, true));
    r.nCidReadAt = 0;
    r.nRings = 3;
    EXPECT_FALSE(ReadsCallerIdAtThisRing(r, kCidNone, true));
}

TEST(RingRules, LocalRingSound) {
    EXPECT_EQ(RingSoundFor(0, "./wave/mum.wav", "./wave/ringin.wav"), "./wave/mum.wav");
    EXPECT_EQ(RingSoundFor(-10, "./wave/mum.wav", "./wave/ringin.wav"), "./wave/ringin.wav");
    EXPECT_EQ(RingSoundFor(0, "", "./wave/ringin.wav"), "./wave/ringin.wav");
    EXPECT_FALSE(RingSoundSuppressed(0));
    EXPECT_TRUE(RingSoundSuppressed(2));
    EXPECT_FALSE(RingSoundSuppressed(4));
}
