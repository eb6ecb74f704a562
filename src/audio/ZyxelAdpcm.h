// CZyxelADPCM: the 4-bit ADPCM of ZyXEL-type voice modems (compression id 41).
#pragma once

#include "audio/VoiceCoder.h"

class CZyxelADPCM : public CVoiceCoder {
public:
    CZyxelADPCM() = default;

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override { return 2 * bytes; }
    // Every sample goes in scaled down by 4 (the decoder scales up by 4, so a
    // round trip keeps the level); codes leave high nibble first, and half a
    // byte waits for the next block.
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    // Two samples per byte, high nibble first, each a multiple of 4.
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

    // One code through the decoder (exposed for tests of the step rules).
    int16_t DecodeCode(int code);
    int EncodeSample(int16_t sample16);
    int DecoderStep() const { return m_nDecStep; }

private:
    // Decoder steps 2 to 7 on a value/step pair.
    static void Advance(int& value, int& step, int code);

    int m_nDecValue = 0;
    int m_nDecStep = 5;
    int m_nEncValue = 0;
    int m_nEncStep = 5;
    unsigned m_nAccumulator = 0; // 16 bits significant
    int m_nFreeBits = 8;
};
