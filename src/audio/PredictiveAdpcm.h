// The multi-bit predictive ADPCM of compression id 4 (2, 3 or 4 bits per
// sample) with its eight-tap sign-sign adaptive predictor and silence escapes.
//
// The coder state belongs to the instance: a playback and a recording running
// at once each have their own.
#pragma once

#include "audio/VoiceCoder.h"

#include <cstdint>

class CPredictiveAdpcm : public CVoiceCoder {
public:
    // bits must be 2, 3 or 4 (see IsSupportedBits).
    explicit CPredictiveAdpcm(int bits);
    static bool IsSupportedBits(int bits) { return bits >= 2 && bits <= 4; }

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override;
    // Codes packed least significant bit first; the last byte of a block is
    // padded with zero bits.
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    // Reads 16-bit little-endian words; the escape word of the bit depth and
    // the word after it (N) stand for 2 x N zero samples and reset the coder.
    // Silence beyond `capacity` is cut short.
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

    int EncodeSample(int16_t sample);
    int16_t DecodeCode(int code);
    void ResetState();
    uint16_t EscapeWord() const;

private:
    int64_t PredictorSum() const;
    void DecodeWord(uint16_t word, int16_t* out, size_t capacity, size_t& n);

    int m_nBits;
    const struct PredictiveTables* m_pTables;

    // Coder state.
    int m_nStep = 31;
    int16_t m_ring[8] = {}; // m_ring[(m_nHead + k) % 8] is the value k steps old
    int m_nHead = 0;
    int16_t m_coef[8] = {}; // coefficient k meets the ring value k steps old
    int16_t m_nLastDq = 0;
    int16_t m_nLastOutput = 0;

    // Packing state.
    uint32_t m_nBitBuf = 0;
    int m_nBitCount = 0;
    int m_nPendingByte = -1;     // a byte waiting for its partner in a word
    bool m_bExpectCount = false; // the word after an escape is the silence length
};
