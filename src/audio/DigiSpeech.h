// CDigiSpeech: the 4-bit ADPCM with a fixed history predictor (compression id 5).
// One instance serves both directions, as the modem's own coder does.
#pragma once

#include "audio/VoiceCoder.h"

class CDigiSpeech : public CVoiceCoder {
public:
    explicit CDigiSpeech(int nSampleRate = 7200) { Reset(nSampleRate); }
    void Reset(int nSampleRate);

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override { return 2 * bytes; }
    // Two codes per byte, first in the high nibble; an odd code waits for the
    // next block.
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

    int EncodeSample(int16_t sample);
    int16_t DecodeCode(int code);

private:
    void Predict();
    void Update(int code);

    int m_nSampleRate = 7200;
    int16_t m_nPredicted = 0;
    int m_nStep = 16;
    int m_nIndex = 0;
    int m_nLastCode = 0;
    bool m_bHaveLastCode = false; // m_nLastCode waits for its partner nibble
    int16_t m_h[4] = {0, 0, 0, 0};
};
