// ITU-T G.726 ADPCM at 24, 32 and 40 kbit/s (3, 4 and 5 bits per sample) on
// 16-bit linear samples, and CADPCM, the voice coder that packs its codes.
#pragma once

#include "audio/VoiceCoder.h"

#include <cstdint>

// The coder state and the per-sample steps of the recommendation: adaptive
// quantiser, scale factor adaptation with its speed control, the pole-zero
// predictor in the floating-point format of the recommendation, and tone and
// transition detection. Encoder and decoder are the same machine.
class CG726 {
public:
    explicit CG726(int bits = 4);
    static bool IsSupportedBits(int bits) { return bits >= 3 && bits <= 5; }
    void Reset();
    int Bits() const { return m_nBits; }

    int Encode(int16_t sample); // a code of Bits() bits
    int16_t Decode(int code);

private:
    struct Float11 { // sign, 4-bit exponent, 6-bit mantissa
        int sign = 0;
        int exp = 0;
        int mant = 32;
    };
    static Float11 ToFloat(int sign, int mag);
    static int FloatMultiply(int coef, const Float11& f);

    int ScaleFactor() const; // Y
    void Predict(int& se, int& sez) const;
    int Quantize(int d, int y) const;
    int Reconstruct(int code, int y, int& sign) const; // DQ magnitude
    void Update(int code, int y, int dqSign, int dqMag, int sr, int sez);

    int m_nBits;
    const struct G726Tables* m_pTables;

    int m_yu = 544;
    int m_yl = 34816;
    int m_dms = 0;
    int m_dml = 0;
    int m_ap = 0;
    int m_a[2] = {0, 0};
    int m_b[6] = {0, 0, 0, 0, 0, 0};
    Float11 m_dq[6];
    Float11 m_sr[2];
    int m_pk[2] = {0, 0};
    int m_td = 0;
};

// Compression id 129: samples coded one by one and packed least significant
// bit first; each block is padded with zero codes to a whole byte.
class CADPCM : public CVoiceCoder {
public:
    explicit CADPCM(int bits) : m_coder(bits) {}

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override;
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

private:
    CG726 m_coder;
    uint32_t m_nBitBuf = 0; // decoder: bits not yet forming a whole code
    int m_nBitCount = 0;
};
