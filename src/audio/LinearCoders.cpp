#include "audio/LinearCoders.h"

#include "audio/G711.h"

namespace {

// One byte per sample. The conversions are looked up in tables made once
// from the conversion functions, which keeps the companding laws in one place
// and the per-sample cost at a load.
class CByteCoder : public CVoiceCoder {
public:
    using EncodeFn = uint8_t (*)(int16_t);
    using DecodeFn = int16_t (*)(uint8_t);
    struct Tables {
        uint8_t encode[65536]; // by the sample's bits as unsigned
        int16_t decode[256];
    };

    explicit CByteCoder(const Tables& tables) : m_tables(tables) {}
    static std::unique_ptr<Tables> MakeTables(EncodeFn enc, DecodeFn dec) {
        auto t = std::make_unique<Tables>();
        for (int x = 0; x < 65536; ++x)
            t->encode[x] = enc(static_cast<int16_t>(static_cast<uint16_t>(x)));
        for (int c = 0; c < 256; ++c)
            t->decode[c] = dec(static_cast<uint8_t>(c));
        return t;
    }

    size_t EncodedBound(size_t samples) const override { return samples; }
    size_t DecodedBound(size_t bytes) const override { return bytes; }
    size_t Encode(const int16_t* samples, size_t count, uint8_t* out) override {
        for (size_t i = 0; i < count; ++i)
            out[i] = m_tables.encode[static_cast<uint16_t>(samples[i])];
        return count;
    }
    size_t Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) override {
        size_t n = count < capacity ? count : capacity;
        for (size_t i = 0; i < n; ++i)
            out[i] = m_tables.decode[bytes[i]];
        return n;
    }

private:
    const Tables& m_tables;
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

std::unique_ptr<CVoiceCoder> MakeLinearCoder(VoiceCoding coding) {
    // Made on first use, kept for the life of the process (thread-safe statics).
    static const auto s_unsigned8 = CByteCoder::MakeTables(EncodeUnsigned8, DecodeUnsigned8);
    static const auto s_signed8 = CByteCoder::MakeTables(EncodeSigned8, DecodeSigned8);
    static const auto s_alaw = CByteCoder::MakeTables(LinearToAlaw, AlawToLinear);
    static const auto s_ulaw = CByteCoder::MakeTables(LinearToUlaw, UlawToLinear);
    switch (coding) {
    case VoiceCoding::Unsigned8:
        return std::make_unique<CByteCoder>(*s_unsigned8);
    case VoiceCoding::Signed8:
        return std::make_unique<CByteCoder>(*s_signed8);
    case VoiceCoding::Linear16:
        return std::make_unique<CLinear16Coder>();
    case VoiceCoding::ALaw:
        return std::make_unique<CByteCoder>(*s_alaw);
    case VoiceCoding::MuLaw:
        return std::make_unique<CByteCoder>(*s_ulaw);
    default:
        return nullptr;
    }
}
