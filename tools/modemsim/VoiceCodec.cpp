#include "VoiceCodec.h"

extern "C" {
#include <gsm.h>
}

namespace modemsim {

namespace {

// Id 8: 8-bit unsigned linear PCM.
class Pcm8Unsigned : public VoiceCodec {
public:
    size_t FrameBytes() const override { return 1; }
    void Encode(const int16_t* s, size_t n, std::string& out) override {
        for (size_t i = 0; i < n; ++i)
            out += static_cast<char>((s[i] >> 8) + 128);
    }
    void Decode(const uint8_t* b, size_t n, std::vector<int16_t>& out) override {
        for (size_t i = 0; i < n; ++i)
            out.push_back(static_cast<int16_t>((b[i] - 128) * 256));
    }
};

// Id 9: 8-bit signed linear PCM.
class Pcm8Signed : public VoiceCodec {
public:
    size_t FrameBytes() const override { return 1; }
    void Encode(const int16_t* s, size_t n, std::string& out) override {
        for (size_t i = 0; i < n; ++i)
            out += static_cast<char>(s[i] >> 8);
    }
    void Decode(const uint8_t* b, size_t n, std::vector<int16_t>& out) override {
        for (size_t i = 0; i < n; ++i)
            out.push_back(static_cast<int16_t>(static_cast<int8_t>(b[i]) * 256));
    }
};

// Id 16: 16-bit signed little-endian PCM.
class Pcm16 : public VoiceCodec {
public:
    size_t FrameBytes() const override { return 2; }
    void Encode(const int16_t* s, size_t n, std::string& out) override {
        for (size_t i = 0; i < n; ++i) {
            auto u = static_cast<uint16_t>(s[i]);
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        }
    }
    void Decode(const uint8_t* b, size_t n, std::vector<int16_t>& out) override {
        for (size_t i = 0; i < n; ++i) {
            if (!m_havePending) {
                m_pending = b[i];
                m_havePending = true;
                continue;
            }
            out.push_back(static_cast<int16_t>(m_pending | (b[i] << 8)));
            m_havePending = false;
        }
    }

private:
    uint8_t m_pending = 0;
    bool m_havePending = false;
};

// Id 128: GSM 06.10 full rate through libgsm, 160 samples in 33 bytes.
class Gsm : public VoiceCodec {
public:
    Gsm() : m_enc(gsm_create()), m_dec(gsm_create()) {}
    ~Gsm() override {
        gsm_destroy(m_enc);
        gsm_destroy(m_dec);
    }
    Gsm(const Gsm&) = delete;
    Gsm& operator=(const Gsm&) = delete;
    size_t FrameSamples() const override { return 160; }
    size_t FrameBytes() const override { return 33; }
    void Encode(const int16_t* s, size_t n, std::string& out) override {
        for (size_t i = 0; i + 160 <= n; i += 160) {
            gsm_signal in[160];
            for (size_t k = 0; k < 160; ++k)
                in[k] = s[i + k];
            gsm_byte frame[33];
            gsm_encode(m_enc, in, frame);
            out.append(reinterpret_cast<const char*>(frame), 33);
        }
    }
    void Decode(const uint8_t* b, size_t n, std::vector<int16_t>& out) override {
        for (size_t i = 0; i < n; ++i) {
            m_frame[m_have++] = b[i];
            if (m_have < 33)
                continue;
            m_have = 0;
            gsm_signal pcm[160];
            if (gsm_decode(m_dec, m_frame, pcm) == 0)
                out.insert(out.end(), pcm, pcm + 160);
        }
    }

private:
    gsm m_enc;
    gsm m_dec;
    gsm_byte m_frame[33] = {};
    size_t m_have = 0;
};

} // namespace

std::unique_ptr<VoiceCodec> VoiceCodec::Create(int id) {
    switch (id) {
    case 8:
        return std::make_unique<Pcm8Unsigned>();
    case 9:
        return std::make_unique<Pcm8Signed>();
    case 16:
        return std::make_unique<Pcm16>();
    case 128:
        return std::make_unique<Gsm>();
    default:
        return nullptr;
    }
}

bool VoiceCodec::Supports(int id) {
    return id == 8 || id == 9 || id == 16 || id == 128;
}

} // namespace modemsim
