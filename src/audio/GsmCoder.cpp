#include "audio/GsmCoder.h"

#include "audio/AudioLog.h"

#include <gsm.h>

#include <cstring>

CGsmCoder::CGsmCoder() : m_pEncoder(gsm_create()), m_pDecoder(gsm_create()) {}

CGsmCoder::~CGsmCoder() {
    if (m_pEncoder)
        gsm_destroy(m_pEncoder);
    if (m_pDecoder)
        gsm_destroy(m_pDecoder);
}

size_t CGsmCoder::EncodedBound(size_t samples) const {
    return samples / kFrameSamples * kFrameBytes;
}

size_t CGsmCoder::DecodedBound(size_t bytes) const {
    return bytes / kFrameBytes * kFrameSamples;
}

size_t CGsmCoder::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    size_t frames = count / kFrameSamples;
    gsm_signal frame[kFrameSamples];
    for (size_t f = 0; f < frames; ++f) {
        std::memcpy(frame, samples + f * kFrameSamples, sizeof frame);
        gsm_encode(m_pEncoder, frame, out + f * kFrameBytes);
    }
    return frames * kFrameBytes;
}

size_t CGsmCoder::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    size_t frames = count / kFrameBytes;
    size_t n = 0;
    gsm_byte frame[kFrameBytes];
    gsm_signal pcm[kFrameSamples];
    for (size_t f = 0; f < frames && n + kFrameSamples <= capacity; ++f) {
        std::memcpy(frame, bytes + f * kFrameBytes, kFrameBytes);
        // Modems drop the frame signature nibble; put it back.
        frame[0] |= 0xD0;
        if (gsm_decode(m_pDecoder, frame, pcm) < 0) {
            AudioError("GSM_bad_frame: a frame from the modem does not decode");
            continue;
        }
        std::memcpy(out + n, pcm, sizeof pcm);
        n += kFrameSamples;
    }
    return n;
}
