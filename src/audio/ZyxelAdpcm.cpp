#include "audio/ZyxelAdpcm.h"

#include <algorithm>

namespace {

// Step multipliers in Q14, by the 3-bit magnitude of the code.
constexpr int kStepMultiplier[8] = {13654, 13654, 14746, 15007, 16896, 19732, 26119, 26119};
constexpr int kSignBit = 8;
constexpr int kValueLimit = 1 << 18;
constexpr int kStepLimit = 1 << 15;
constexpr int kMinStep = 5;
// The coder runs on 14-bit samples: the 16-bit input is scaled down by 4 on
// the way in, and the decoder's output scaled up by 4 on the way out.
constexpr int kInputShift = 2;

} // namespace

void CZyxelADPCM::Advance(int& value, int& step, int code) {
    // The leak is an arithmetic shift (rounding toward minus infinity), as in
    // the modems; a division would drift negative values by one now and then.
    value = (value * 4093 + 2048) >> 12;
    int sign = code & kSignBit;
    int mag = code & 7;
    if ((step & 1) && sign == 0)
        value += 1;
    int newStep = (kStepMultiplier[mag] * step + 8192) >> 14;
    int delta = (step >> 1) + mag * step;
    value = sign ? value - delta : value + delta;
    // A stream of garbage (a babbling line) would grow both without end;
    // these limits lie far outside anything a real signal reaches.
    value = std::clamp(value, -kValueLimit, kValueLimit);
    step = std::clamp(newStep, kMinStep, kStepLimit);
}

int16_t CZyxelADPCM::DecodeCode(int code) {
    code &= 0x0F;
    // A 0 never comes from a healthy encoder; the modem sends it to restart
    // the step size.
    if (code == 0)
        m_nDecStep = 4;
    Advance(m_nDecValue, m_nDecStep, code);
    return static_cast<int16_t>(std::clamp(m_nDecValue, -8192, 8191) * 4);
}

int CZyxelADPCM::EncodeSample(int16_t sample16) {
    const int sample = sample16 >> kInputShift;
    int code = 0;
    if (sample != m_nEncValue) {
        int diff = sample - m_nEncValue;
        if (diff < 0) {
            diff = m_nEncValue - sample;
            code = kSignBit;
        }
        for (int k = 8;; --k) {
            diff -= m_nEncStep;
            if (diff < 1 || k == 1)
                break;
            ++code;
        }
    }
    if (code == 0)
        code = kSignBit; // 0 would reset the far end's step size
    Advance(m_nEncValue, m_nEncStep, code);
    return code;
}

size_t CZyxelADPCM::EncodedBound(size_t samples) const {
    return (samples * 4 + (8 - m_nFreeBits) + 7) / 8;
}

size_t CZyxelADPCM::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        m_nAccumulator = ((m_nAccumulator << 4) | EncodeSample(samples[i])) & 0xFFFF;
        m_nFreeBits -= 4;
        if (m_nFreeBits <= 0) {
            out[n++] = static_cast<uint8_t>(m_nAccumulator & 0xFF);
            m_nFreeBits += 8;
        }
    }
    return n;
}

size_t CZyxelADPCM::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    size_t n = 0;
    for (size_t i = 0; i < count && n + 2 <= capacity; ++i) {
        out[n++] = DecodeCode(bytes[i] >> 4);
        out[n++] = DecodeCode(bytes[i] & 0x0F);
    }
    return n;
}
