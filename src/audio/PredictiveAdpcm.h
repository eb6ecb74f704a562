// The multi-bit predictive ADPCM of compression id 4 (2, 3 or 4 bits per
// sample) with its eight-tap sign-sign adaptive predictor and silence escapes.
//
// The predictor is the modems' own: two pole taps on the two latest
// reconstructed values, six zero taps on the six latest quantised
// differences, all sums formed the way the modems' 16-bit signal processor
// forms them (see PredictiveAdpcm.cpp). Streams decode sample for sample as
// the modems decode them.
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
    static constexpr int kPoles = 2;
    static constexpr int kZeros = 6;

    // dq x 65536 plus twice every tap's product, added one by one.
    int32_t Accumulate(int32_t start) const;
    // The output formula: the upper half of z plus 0.4 of the last output.
    int16_t Output(int32_t z) const;
    void DecodeWord(uint16_t word, int16_t* out, size_t capacity, size_t& n);

    int m_nBits;
    const struct PredictiveTables* m_pTables;

    // Coder state.
    int m_nStep = 31;
    int16_t m_poleCoef[kPoles] = {};
    int16_t m_zeroCoef[kZeros] = {};
    int16_t m_value[kPoles] = {}; // reconstructed values, newest first
    int16_t m_dq[kZeros] = {};    // quantised differences, newest first
    int16_t m_nLastOutput = 0;

    // Packing state.
    uint32_t m_nBitBuf = 0;
    int m_nBitCount = 0;
    int m_nPendingByte = -1;     // a byte waiting for its partner in a word
    bool m_bExpectCount = false; // the word after an escape is the silence length
};
