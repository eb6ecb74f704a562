#include "audio/LinearCoders.h"

#include "audio/G711.h"

namespace {

// One byte per sample, through a pair of conversion functions.
class CByteCoder : public CVoiceCoder {
public:
    using EncodeFn = uint8_t (*)(int16_t);
    using DecodeFn = int16_t (*)(uint8_t);
    CByteCoder(EncodeFn enc, DecodeFn dec) : m_enc(enc), m_dec(dec) {}

    size_t EncodedBound(size_t samples) const override { return samples; }
    size_t DecodedBound(size_t bytes) const override { return bytes; }
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override {
        for (size_t i = 0; i < count; ++i)
            out[i] = m_enc(samples[i]);
        return count;
    }
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override {
        size_t n = count < capacity ? count : capacity;
        for (size_t i = 0; i < n; ++i)
            out[i] = m_dec(bytes[i]);
        return n;
    }

private:
    EncodeFn m_enc;
    DecodeFn m_dec;
};

uint8_t EncodeUnsigned8(int16_t s) {
    return static_cast<uint8_t>((s >> 8) + 128);
}
int16_t DecodeUnsigned8(uint8_t b) {
    return static_cast<int16_t>((b - 128) * 256);
}
uint8_t EncodeSigned8(int16_t s) {
    return static_cast<uint8_t>(s >> 8);
}
int16_t DecodeSigned8(uint8_t b) {
    return static_cast<int16_t>(static_cast<int8_t>(b) * 256);
}

// 16-bit little-endian; a byte left over at the end of a block is kept for
// the next block, so a stream split at an odd offset decodes as a whole.
class CLinear16Coder : public CVoiceCoder {
public:
    size_t EncodedBound(size_t samples) const override { return 2 * samples; }
    size_t DecodedBound(size_t bytes) const override { return (bytes + m_bHavePending) / 2; }
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override {
        for (size_t i = 0; i < count; ++i) {
            auto u = static_cast<uint16_t>(samples[i]);
            out[2 * i] = static_cast<uint8_t>(u & 0xFF);
            out[2 * i + 1] = static_cast<uint8_t>(u >> 8);
        }
        return 2 * count;
    }
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override {
        size_t n = 0;
        for (size_t i = 0; i < count; ++i) {
            if (!m_bHavePending) {
                m_pending = bytes[i];
                m_bHavePending = true;
                continue;
            }
            if (n == capacity)
                break;
            out[n++] = static_cast<int16_t>(static_cast<uint16_t>(m_pending | (bytes[i] << 8)));
            m_bHavePending = false;
        }
        return n;
    }

private:
    uint8_t m_pending = 0;
    bool m_bHavePending = false;
};

} // namespace

std::unique_ptr<CVoiceCoder> MakeLinearCoder(int id) {
    switch (id) {
    case 8:
        return std::make_unique<CByteCoder>(EncodeUnsigned8, DecodeUnsigned8);
    case 9:
        return std::make_unique<CByteCoder>(EncodeSigned8, DecodeSigned8);
    case 16:
        return std::make_unique<CLinear16Coder>();
    case 2130:
        return std::make_unique<CByteCoder>(LinearToAlaw, AlawToLinear);
    case 2131:
        return std::make_unique<CByteCoder>(LinearToUlaw, UlawToLinear);
    default:
        return nullptr;
    }
}
