// One voice coder: converts between 16-bit mono samples and a modem's bytes.
//
// A coder owns all the state of one transfer (a recording or a playback), so
// two transfers never share prediction or step sizes.
#pragma once

#include <cstddef>
#include <cstdint>

class CVoiceCoder {
public:
    virtual ~CVoiceCoder() = default;

    // Largest number of bytes Encode can write for `samples` samples, and of
    // samples Decode can write for `bytes` bytes (given the state carried over).
    virtual size_t EncodedBound(size_t samples) const = 0;
    virtual size_t DecodedBound(size_t bytes) const = 0;

    // `out` has room for EncodedBound(count) bytes; returns the bytes written.
    virtual size_t Encode(const int16_t* samples, size_t count, uint8_t* out) = 0;
    // Writes at most `capacity` samples; returns the samples written.
    virtual size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) = 0;
};
