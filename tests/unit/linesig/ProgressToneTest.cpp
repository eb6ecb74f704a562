// Fax calling tone, busy and dial tones: spandsp's and sox's tones as the
// exchange, speech as what must not count.
#include "LineSigTestUtil.h"
#include "linesig/CallProgressTones.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

TEST(LineSignalTones, FaxCallingToneOnceWithinTwoCadences) {
    // CNG: 0.5 s of 1100 Hz every 3.5 s; a fax machine keeps calling for
    // half a minute.
    std::vector<int16_t> sound =
        SynthesiseLineAudio({LineAudioStep::Silence(300), LineAudioStep::FaxCallingTone(30000)});
    std::vector<LineSignal> found = Detect(sound);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, LineSignalKind::FaxCallingTone);
    EXPECT_LT(Seconds(found[0].nAtSample), 0.3 + 2 * 3.5);

    // A second fax call after a quiet spell is a new one.
    sound = Concat(sound, SynthesiseLineAudio(
                              {LineAudioStep::Silence(8000), LineAudioStep::FaxCallingTone(4000)}));
    EXPECT_EQ(OfKind(Detect(sound), LineSignalKind::FaxCallingTone).size(), 2u);
}

TEST(LineSignalTones, EveryTableToneIsFoundAsItsKindOnce) {
    for (const CallProgressTone& row : CallProgressTones()) {
        SCOPED_TRACE(row.szName);
        int cycleMs = row.nOnMs + row.nOffMs;
        int ms = row.kind == LineSignalKind::DialTone ? 3000 : 4 * cycleMs;
        for (int level : {-13, -30}) {
            std::vector<int16_t> sound = SynthesiseLineAudio(
                {LineAudioStep::Silence(250), LineAudioStep::Tone(row.szName, ms, level),
                 LineAudioStep::Silence(1000)});
            std::vector<LineSignal> found = Detect(sound);
            ASSERT_EQ(found.size(), 1u) << "level " << level;
            EXPECT_EQ(found[0].kind, row.kind);
            double at = Seconds(found[0].nAtSample) - 0.25;
            if (row.kind == LineSignalKind::DialTone) {
                EXPECT_GE(at, row.nOnMs / 1000.0);
                EXPECT_LT(at, row.nOnMs / 1000.0 + 0.5);
            } else {
                // The second cadence's pause must have ended, and no more.
                EXPECT_GE(at, row.nCycles * cycleMs / 1000.0 - 0.1);
                EXPECT_LT(at, row.nCycles * cycleMs / 1000.0 + 0.25);
            }
        }
    }
}

TEST(LineSignalTones, SoxTonesAreFound) {
    // Busy: 480+620 Hz, half a second on, half off, four times.
    std::vector<int16_t> busy;
    for (int i = 0; i < 4; ++i)
        busy = Concat(busy, SoxSound({"synth", "0.5", "sine", "480", "sine", "mix", "620", "gain",
                                      "-n", "-12", "pad", "0", "0.5"}));
    std::vector<LineSignal> found = Detect(busy);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, LineSignalKind::BusyTone);

    // European dial tone, 425 Hz, with some line noise.
    std::vector<int16_t> dial = SoxSound({"synth", "3", "sine", "425", "gain", "-n", "-15"});
    dial = MixAtSnr(dial, SoxSound({"synth", "3", "whitenoise"}), 20);
    found = Detect(dial);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, LineSignalKind::DialTone);
}

TEST(LineSignalTones, SpeechIsNoToneAndTheToneAfterItIsFound) {
    std::vector<LineSignal> found = Detect(Speech());
    EXPECT_TRUE(found.empty()) << Describe(found);

    // The caller hangs up after the message: the busy tone ends it.
    std::vector<int16_t> sound =
        Concat(Speech(), SynthesiseLineAudio({LineAudioStep::Tone("Europe busy", 4000)}));
    found = Detect(sound);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, LineSignalKind::BusyTone);
}
