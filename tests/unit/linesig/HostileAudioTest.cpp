// Sound no line should carry: silence, full-scale square waves, random
// bytes. Nothing may be reported from silence or noise, nothing may crash
// (the sanitizers watch), and the detector's memory stays what it was.
#include "LineSigTestUtil.h"
#include "linesig/LineAudioSynth.h"
#include "linesig/LineSignalDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// Notes of random pitch and length with a few harmonics, as music on hold
// or a radio in the room might sound.
std::vector<int16_t> MusicLike(int seconds, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> pitch(110, 1760), length(0.05, 0.6);
    std::vector<int16_t> out;
    while (out.size() < static_cast<size_t>(seconds) * 8000) {
        double hz = pitch(rng);
        size_t n = static_cast<size_t>(length(rng) * 8000);
        for (size_t i = 0; i < n; ++i) {
            double t = static_cast<double>(i) / 8000;
            double v = 0;
            for (int h = 1; h <= 4; ++h)
                v += std::sin(2 * M_PI * hz * h * t) / h;
            out.push_back(static_cast<int16_t>(6000 * v * std::exp(-3 * t)));
        }
    }
    return out;
}

} // namespace

// Noise once made a caller out of random bytes whose checksum happened to
// hold; ten minutes of what a line may carry besides a call show no caller,
// and plain noise nothing at all.
TEST(LineSignalHostile, TenMinutesOfNoiseShowNoCaller) {
    struct Row {
        const char* name;
        std::vector<int16_t> sound;
        bool bOnlyNoise;
    };
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::vector<int16_t> random(8000 * 60);
    for (int16_t& v : random)
        v = static_cast<int16_t>(any(rng));
    std::vector<Row> rows = {
        {"silence", std::vector<int16_t>(8000 * 60, 0), true},
        {"a constant offset, as a modem's sound may have", std::vector<int16_t>(8000 * 10, 3000),
         true},
        {"random samples", random, true},
    };
    int seconds = 0;
    for (const char* colour : {"whitenoise", "pinknoise", "brownnoise"}) {
        for (const char* gain : {"-1", "-12", "-30"}) {
            rows.push_back({colour, SoxSound({"synth", "30", colour, "gain", "-n", gain}), true});
            seconds += 30;
        }
    }
    // Band-limited as a telephone line is, where FSK tones would be.
    rows.push_back({"line-band pink noise",
                    SoxSound({"synth", "60", "pinknoise", "sinc", "300-3400", "gain", "-n", "-3"}),
                    true});
    seconds += 60;
    std::vector<int16_t> talk;
    while (Seconds(static_cast<int64_t>(talk.size())) < 120)
        talk = Concat(talk, Speech());
    rows.push_back({"speech", talk, false});
    seconds += static_cast<int>(Seconds(static_cast<int64_t>(talk.size())));
    rows.push_back({"music-like tones", MusicLike(600 - seconds, 11), false});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<LineSignal> found = Detect(row.sound);
        if (row.bOnlyNoise) {
            EXPECT_TRUE(found.empty()) << Describe(found);
        }
        EXPECT_TRUE(OfKind(found, LineSignalKind::CallerIdMessage).empty()) << Describe(found);
        EXPECT_TRUE(OfKind(found, LineSignalKind::CallerIdDigits).empty()) << Describe(found);
    }
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
