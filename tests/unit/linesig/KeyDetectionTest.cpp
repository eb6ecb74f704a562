// Touch-tone keys: spandsp's transmitter and sox's tones as the far end,
// speech from espeak-ng as the talk on the line.
#include "LineSigTestUtil.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

namespace {

const std::string kAllKeys = "0123456789*#ABCD";

} // namespace

TEST(LineSignalKeys, EachKeyOnceInOrderWhateverTheBlockSize) {
    std::vector<int16_t> sound = SynthesiseLineAudio({
        LineAudioStep::Silence(200),
        LineAudioStep::Keys(kAllKeys),
        LineAudioStep::Silence(300),
        LineAudioStep::Keys("5", 1500), // held long: still one press
        LineAudioStep::Silence(300),
        LineAudioStep::Keys("1122", 60, -28), // faint, repeated keys
        LineAudioStep::Silence(200),
    });
    for (size_t block : {size_t{1}, size_t{37}, size_t{160}, size_t{1600}, sound.size()}) {
        std::vector<LineSignal> found = Detect(sound, block);
        EXPECT_EQ(KeysOf(found), kAllKeys + "5" + "1122") << "block " << block;
        EXPECT_EQ(found.size(), kAllKeys.size() + 5) << "block " << block;
        // Reported as the press is heard, not when it ends: the first came at 0.2 s.
        ASSERT_FALSE(found.empty());
        EXPECT_GT(Seconds(found[0].nAtSample), 0.2);
        EXPECT_LT(Seconds(found[0].nAtSample), 0.35) << "block " << block;
    }
}

TEST(LineSignalKeys, KeysFromSoxAreFoundToo) {
    // Keys 1, 5, 9 and # as sox's pairs of sines, 80 ms on and 80 ms off.
    const struct { int low, high; } pairs[] = {{697, 1209}, {770, 1336}, {852, 1477}, {941, 1477}};
    std::vector<int16_t> sound;
    for (auto p : pairs) {
        sound = Concat(sound, SoxSound({"synth", "0.08", "sine", std::to_string(p.low), "sine",
                                        "mix", std::to_string(p.high), "gain", "-n", "-10"}));
        sound = Concat(sound, std::vector<int16_t>(640, 0));
    }
    EXPECT_EQ(KeysOf(Detect(sound)), "159#");
}

TEST(LineSignalKeys, KeysOverSpeechAndNoiseAreFoundAndSpeechAloneGivesNone) {
    std::vector<int16_t> keys = SynthesiseLineAudio({
        LineAudioStep::Silence(400),
        LineAudioStep::Keys("0123456789*#", 70),
        LineAudioStep::Silence(400),
        LineAudioStep::Keys("9876543210#*", 70),
        LineAudioStep::Silence(400),
    });
    // Talk and line noise 15 dB below the keys, as when someone keeps
    // speaking while keys are pressed.
    std::vector<int16_t> talk = MixAtSnr(Speech(), SoxSound({"synth", "10", "pinknoise"}), 20);
    EXPECT_EQ(KeysOf(Detect(MixAtSnr(keys, talk, 15))), "0123456789*#9876543210#*");

    // Talk-off: speech alone presses no key.
    EXPECT_EQ(KeysOf(Detect(Speech())), "");
    EXPECT_EQ(KeysOf(Detect(talk)), "");
}
