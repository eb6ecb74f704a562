// Takes the speaker's echo out of what a microphone hears: speexdsp's
// acoustic echo canceller (an adaptive filter that learns the room), at
// 8000 samples/s, 20 ms at a time.
//
// The reference is what went to the speaker. Its echo reaches the
// microphone after the sound devices' own round trip (known: what is queued
// in them) plus the room's acoustic path (unknown: the filter's tail learns
// it), so the reference is held back by the known part first.
#pragma once

#include "audio/SampleRing.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct SpeexEchoState_;

class CEchoCanceller {
public:
    static constexpr size_t kFrame = 160; // what it works on

    // nTail: the longest acoustic path learnt, in samples; nDelay: the known
    // round trip of the sound devices, in samples. Disabled, it passes the
    // microphone through unchanged (and without delay).
    CEchoCanceller(size_t nTail, size_t nDelay, bool bEnabled);
    ~CEchoCanceller();
    CEchoCanceller(const CEchoCanceller&) = delete;
    CEchoCanceller& operator=(const CEchoCanceller&) = delete;

    // What went to the speaker, in order.
    void Played(const int16_t* frames, size_t count);
    // What the microphone heard next: appends to out what is cleaned, a
    // whole frame at a time (at once when disabled).
    void Clean(const int16_t* frames, size_t count, std::vector<int16_t>& out);

private:
    SpeexEchoState_* m_pEc = nullptr;
    CSampleRing m_reference;
    std::vector<int16_t> m_mic, m_speaker; // the frame being gathered
};
