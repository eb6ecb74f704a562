// Sound no line should carry: silence, full-scale square waves, random
// bytes. Nothing may be reported from silence or noise, nothing may crash
// (the sanitizers watch), and the detector's memory stays what it was.
#include "LineSigTestUtil.h"
#include "linesig/LineAudioSynth.h"
#include "linesig/LineSignalDetector.h"

#include <gtest/gtest.h>

#include <random>

TEST(LineSignalHostile, SilenceAndRandomNoiseReportNothing) {
    std::vector<LineSignal> found = Detect(std::vector<int16_t>(8000 * 60, 0));
    EXPECT_TRUE(found.empty()) << Describe(found);
    // A constant offset, as a modem's sound may have.
    found = Detect(std::vector<int16_t>(8000 * 10, 3000));
    EXPECT_TRUE(found.empty()) << Describe(found);

    std::mt19937 rng(42);
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::vector<int16_t> noise(8000 * 60);
    for (int16_t& v : noise)
        v = static_cast<int16_t>(any(rng));
    found = Detect(noise);
    EXPECT_TRUE(found.empty()) << Describe(found);
    found = Detect(SoxSound({"synth", "30", "pinknoise", "gain", "-n", "-3"}));
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST(LineSignalHostile, FullScaleSquareWavesAndRandomBlocks) {
    std::vector<LineSignal> found;
    CLineSignalDetector detector([&](const LineSignal& s) { found.push_back(s); });
    std::mt19937 rng(3);
    // Square waves from 50 Hz to 4 kHz, each for a second, fed in blocks of
    // random size, empty ones included.
    int seconds = 0;
    for (int period = 2; period <= 160; period = period * 3 / 2 + 1, ++seconds) {
        std::vector<int16_t> square(8000);
        for (size_t i = 0; i < square.size(); ++i)
            square[i] = (i / static_cast<size_t>(period / 2 ? period / 2 : 1)) % 2 ? 32767 : -32768;
        size_t at = 0;
        while (at < square.size()) {
            size_t n = std::min<size_t>(std::uniform_int_distribution<size_t>(0, 500)(rng),
                                        square.size() - at);
            detector.Feed(square.data() + at, n);
            at += n;
        }
    }
    EXPECT_EQ(detector.SamplesFed(), 8000 * seconds);
    // A steady square wave has no cadence and no key's pair of tones; at
    // most a tone receiver may take one for a dial tone.
    for (const LineSignal& s : found)
        EXPECT_EQ(s.kind, LineSignalKind::DialTone) << LineSignalKindName(s.kind);

    // After a reset it hears a key as if new.
    found.clear();
    detector.Reset();
    std::vector<int16_t> key = SynthesiseLineAudio({LineAudioStep::Keys("8")});
    detector.Feed(key.data(), key.size());
    EXPECT_EQ(KeysOf(found), "8");
    EXPECT_EQ(detector.SamplesFed(), static_cast<int64_t>(key.size()));
}

TEST(LineSignalHostile, AThrowingSinkLeavesTheDetectorWorking) {
    std::string keys;
    CLineSignalDetector detector([&](const LineSignal& s) {
        keys += s.cKey;
        if (keys.size() == 1)
            throw std::runtime_error("sink refuses");
    });
    std::vector<int16_t> first = SynthesiseLineAudio({LineAudioStep::Keys("1")});
    EXPECT_THROW(detector.Feed(first.data(), first.size()), std::runtime_error);
    std::vector<int16_t> more = SynthesiseLineAudio({LineAudioStep::Keys("23")});
    detector.Feed(more.data(), more.size());
    EXPECT_EQ(keys, "123");
}
