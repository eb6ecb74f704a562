#include "audio/ImaAdpcm.h"

#include <algorithm>

namespace {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// One code through the decoder: the difference is rebuilt from step/8 plus
// the fractions the code selects; the index moves and gives the next step.
inline int16_t DecodeStep(int& predicted, int& index, int& step, int code) {
    int diff = step >> 3;
    if (code & 4)
        diff += step;
    if (code & 2)
        diff += step >> 1;
    if (code & 1)
        diff += step >> 2;
    predicted = std::clamp((code & 8) ? predicted - diff : predicted + diff, -32768, 32767);
    index = std::clamp(index + kIndexAdjust[code & 7], 0, 88);
    step = kSteps[index];
    return static_cast<int16_t>(predicted);
}

} // namespace

CImaAdpcm::CImaAdpcm(bool bLowNibbleFirst) : m_bLowNibbleFirst(bLowNibbleFirst) {}

int CImaAdpcm::CurrentStep() const {
    return m_bLowNibbleFirst ? m_nStep : kSteps[m_nIndex];
}

void CImaAdpcm::Reconstruct(int code) {
    int step = CurrentStep();
    DecodeStep(m_nPredicted, m_nIndex, step, code);
    m_nStep = step;
}

int CImaAdpcm::EncodeSample(int16_t sample) {
    int step = CurrentStep();
    int diff = sample - m_nPredicted;
    int code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    if (diff >= step) {
        code |= 4;
        diff -= step;
    }
    if (diff >= (step >> 1)) {
        code |= 2;
        diff -= step >> 1;
    }
    if (diff >= (step >> 2))
        code |= 1;
    Reconstruct(code);
    return code;
}

void CImaAdpcm::Restart(int predicted, int index) {
    m_nPredicted = std::clamp(predicted, -32768, 32767);
    m_nIndex = std::clamp(index, 0, 88);
    m_nStep = kSteps[m_nIndex];
    m_bHavePending = false;
}

int16_t CImaAdpcm::DecodeCode(int code) {
    Reconstruct(code & 0x0F);
    return static_cast<int16_t>(m_nPredicted);
}

size_t CImaAdpcm::EncodedBound(size_t samples) const {
    if (m_bLowNibbleFirst)
        return (samples + (m_bHavePending ? 1 : 0)) / 2;
    return (samples + 1) / 2;
}

size_t CImaAdpcm::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    size_t n = 0;
    if (m_bLowNibbleFirst) {
        // Half a byte waits for the next block.
        for (size_t i = 0; i < count; ++i) {
            int code = EncodeSample(samples[i]);
            if (m_bHavePending) {
                out[n++] = static_cast<uint8_t>(m_nPendingCode | (code << 4));
                m_bHavePending = false;
            } else {
                m_nPendingCode = code;
                m_bHavePending = true;
            }
        }
        return n;
    }
    // High nibble first; an odd last code goes alone into the high nibble of
    // a final byte.
    for (size_t i = 0; i < count; i += 2) {
        int hi = EncodeSample(samples[i]);
        int lo = (i + 1 < count) ? EncodeSample(samples[i + 1]) : 0;
        out[n++] = static_cast<uint8_t>((hi << 4) | lo);
    }
    return n;
}

size_t CImaAdpcm::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    // The state lives in locals through the loop: a decoder runs at every
    // byte of a recording.
    int predicted = m_nPredicted;
    int index = m_nIndex;
    int step = CurrentStep();
    auto one = [&](int code) { return DecodeStep(predicted, index, step, code); };
    size_t n = 0;
    for (size_t i = 0; i < count && n + 2 <= capacity; ++i) {
        int first = m_bLowNibbleFirst ? bytes[i] & 0x0F : bytes[i] >> 4;
        int second = m_bLowNibbleFirst ? bytes[i] >> 4 : bytes[i] & 0x0F;
        out[n++] = one(first);
        out[n++] = one(second);
    }
    m_nPredicted = predicted;
    m_nIndex = index;
    if (n > 0)
        m_nStep = step;
    return n;
}
