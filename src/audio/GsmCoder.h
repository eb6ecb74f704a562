// GSM 06.10 full rate through libgsm (compression id 128): 160 samples in
// 33-byte frames, the form voice modems stream.
#pragma once

#include "audio/VoiceCoder.h"

#include <cstdint>

struct gsm_state;

class CGsmCoder : public CVoiceCoder {
public:
    static constexpr size_t kFrameSamples = 160;
    static constexpr size_t kFrameBytes = 33;

    CGsmCoder();
    ~CGsmCoder() override;
    CGsmCoder(const CGsmCoder&) = delete;
    CGsmCoder& operator=(const CGsmCoder&) = delete;
    bool IsValid() const { return m_pEncoder && m_pDecoder; }

    size_t EncodedBound(size_t samples) const override;
    size_t DecodedBound(size_t bytes) const override;
    // Whole frames only: a partial frame at the end of a block is not coded.
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override;
    // Whole frames only; a frame the decoder rejects gives no samples and the
    // line "GSM_bad_frame" in the log.
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override;

private:
    gsm_state* m_pEncoder = nullptr;
    gsm_state* m_pDecoder = nullptr;
};
