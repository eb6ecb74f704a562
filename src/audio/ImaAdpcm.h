// IMA ADPCM, 4 bits per sample, in the two nibble orders modems use:
// compression id 130 (first sample in the low nibble) and 1130 (high nibble).
#pragma once

#include "audio/VoiceCoder.h"

class CImaAdpcm : public CVoiceCoder {
public:
    // bLowNibbleFirst selects id 130, otherwise id 1130.
    explicit CImaAdpcm(bool bLowNibbleFirst);

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override { return 2 * bytes; }
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

    // Starts again from a known sample and step index, as the block headers
    // of IMA ADPCM in WAV files give them.
    void Restart(int predicted, int index);

    int EncodeSample(int16_t sample);
    int16_t DecodeCode(int code);

private:
    int CurrentStep() const;
    void Reconstruct(int code);

    bool m_bLowNibbleFirst;
    int m_nPredicted = 0;
    int m_nIndex = 0;
    // Id 130 keeps the step it last used; it starts at 0, not at the table's
    // first entry, so its first code only moves the index. Id 1130 reads the
    // step from the table every time.
    int m_nStep = 0;
    int m_nPendingCode = 0;
    bool m_bHavePending = false;
};
