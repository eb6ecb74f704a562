// The hand-over between the media streamer's thread and the provider's:
// nothing is heard unless listening, what overflows the buffer is counted
// and the rest still heard, and a new call starts afresh.
#include "sip/SipLineSignals.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

namespace {

// Hands sound over in the media streamer's 10 ms blocks, taking what was
// heard every nBlocks blocks as the provider's turns do.
std::vector<LineSignal> PutAndHear(CSipLineSignals& signals, const std::vector<int16_t>& sound,
                                   size_t nBlocks = 4) {
    std::vector<LineSignal> heard;
    size_t n = 0;
    for (size_t i = 0; i < sound.size(); i += 80) {
        signals.Put(sound.data() + i, std::min<size_t>(80, sound.size() - i));
        if (++n % nBlocks == 0)
            for (const LineSignal& s : signals.Hear())
                heard.push_back(s);
    }
    for (const LineSignal& s : signals.Hear())
        heard.push_back(s);
    return heard;
}

size_t CountKind(const std::vector<LineSignal>& heard, LineSignalKind kind) {
    size_t n = 0;
    for (const LineSignal& s : heard)
        n += s.kind == kind;
    return n;
}

TEST(SipLineSignals, HearsOnlyWhileListeningAndAfreshForEachCall) {
    const std::vector<int16_t> cng = SynthesiseLineAudio({LineAudioStep::FaxCallingTone(2000)});
    CSipLineSignals signals;
    EXPECT_FALSE(signals.IsListening());
    EXPECT_TRUE(PutAndHear(signals, cng).empty());

    signals.Listen();
    EXPECT_EQ(CountKind(PutAndHear(signals, cng), LineSignalKind::FaxCallingTone), 1u);
    EXPECT_EQ(signals.Dropped(), 0u);

    // Stopped: nothing is taken.
    signals.Stop();
    signals.Put(cng.data(), cng.size());
    EXPECT_TRUE(signals.Hear().empty());
    // A new call: the sound the last one left waiting is not heard.
    signals.Listen();
    signals.Put(cng.data(), CSipLineSignals::kCapacity);
    signals.Listen();
    EXPECT_TRUE(signals.Hear().empty());
}

TEST(SipLineSignals, WhatOverflowsIsCountedAndTheRestHeard) {
    CSipLineSignals signals;
    signals.Listen();
    // The provider's thread away for 1.5 s: half a second does not fit.
    const std::vector<int16_t> busy =
        SynthesiseLineAudio({LineAudioStep::Tone("Europe busy, short", 1500)});
    signals.Put(busy.data(), busy.size());
    EXPECT_EQ(signals.Dropped(), busy.size() - CSipLineSignals::kCapacity);
    // The provider's thread back: the buffer empties, and a busy tone that
    // keeps on is heard.
    std::vector<LineSignal> heard = signals.Hear();
    const std::vector<int16_t> more =
        SynthesiseLineAudio({LineAudioStep::Tone("Europe busy, short", 3000)});
    for (const LineSignal& s : PutAndHear(signals, more))
        heard.push_back(s);
    EXPECT_GE(CountKind(heard, LineSignalKind::BusyTone), 1u);
    EXPECT_EQ(signals.Dropped(), busy.size() - CSipLineSignals::kCapacity);
    signals.Listen();
    EXPECT_EQ(signals.Dropped(), 0u);
}

} // namespace
