#include "audio/PredictiveAdpcm.h"

#include <algorithm>
#include <iterator>
#include <limits>

struct PredictiveTables {
    int nThresholds;
    int thresholds[7];
    int stepMultiplier[16]; // in 1/8192 of the step, by code
    int reconstruction[16]; // in 1/8192 of the step, by code
    int nMaxStep;
    uint16_t escape;
};

namespace {

constexpr PredictiveTables kTables2 = {
    1, {8041}, {13107, 6554, 6554, 13107}, {-12370, -3709, 3709, 12370}, 21700, 5100};
constexpr PredictiveTables kTables3 = {3,
                                       {4101, 8602, 14320},
                                       {14336, 10240, 7373, 7373, 7373, 7373, 10240, 14336},
                                       {-17629, -11010, -6193, -2008, 2008, 6193, 11010, 17629},
                                       15226,
                                       9182};
// 13255 is not the mirror of -13271; modems use the table as it stands.
constexpr PredictiveTables kTables4 = {7,
                                       {2115, 4280, 6550, 9003, 11772, 15106, 19670},
                                       {19661, 16384, 13107, 9830, 7373, 7373, 7373, 7373, 7373,
                                        7373, 7373, 7373, 9830, 13107, 16384, 19661},
                                       {-22389, -16949, -13271, -10289, -7720, -5381, -3179, -1052,
                                        1052, 3179, 5381, 7720, 10289, 13255, 16949, 22389},
                                       11989,
                                       0xC11C};

constexpr int kMinStep = 31;
constexpr int kOutputLeak = 26214; // share of the previous output, /65536
constexpr int kPoleMove = 393;
constexpr int kZeroMove = 197;

int32_t Sat32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
int16_t Sat16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

// a x b / 8192 rounded, in steps of 4, saturated to 16 bits.
int16_t Scale(int a, int b) {
    int64_t p = 2 * static_cast<int64_t>(a) * b;
    return Sat16(((p >> 16) + ((p >> 15) & 1)) * 4);
}

// A coefficient leaks by 64226/65536, rounded to the nearest.
int Leak(int coef) {
    return static_cast<int>((static_cast<int64_t>(coef) * 64226 + 32768) >> 16);
}

// The direction a coefficient moves: the sign of dq x past as the modems'
// processor forms it, a rounded Q15 product kept in 16 bits. Products too
// small to round away from 0 count as positive, and -32768 x -32768 wraps to
// a negative number; a stream decodes as the modem decodes it only with both.
int MoveSign(int dq, int past) {
    int32_t product = (dq * past + 0x4000) >> 15;
    return static_cast<int16_t>(static_cast<uint16_t>(product)) < 0 ? -1 : 1;
}

} // namespace

CPredictiveAdpcm::CPredictiveAdpcm(int bits)
    : m_nBits(bits), m_pTables(bits == 2   ? &kTables2
                               : bits == 3 ? &kTables3
                                           : &kTables4) {
    ResetState();
}

void CPredictiveAdpcm::ResetState() {
    m_nStep = kMinStep;
    std::fill(std::begin(m_poleCoef), std::end(m_poleCoef), int16_t{0});
    std::fill(std::begin(m_zeroCoef), std::end(m_zeroCoef), int16_t{0});
    std::fill(std::begin(m_value), std::end(m_value), int16_t{0});
    std::fill(std::begin(m_dq), std::end(m_dq), int16_t{0});
    m_nLastOutput = 0;
}

uint16_t CPredictiveAdpcm::EscapeWord() const {
    return m_pTables->escape;
}

int32_t CPredictiveAdpcm::Accumulate(int32_t start) const {
    // One multiply-accumulate at a time, each saturated to 32 bits as the
    // modems' processor does: loud passages clip part-way, not at the end.
    int32_t z = start;
    for (int k = 0; k < kPoles; ++k)
        z = Sat32(static_cast<int64_t>(z) + 2 * static_cast<int64_t>(m_poleCoef[k]) * m_value[k]);
    for (int k = 0; k < kZeros; ++k)
        z = Sat32(static_cast<int64_t>(z) + 2 * static_cast<int64_t>(m_zeroCoef[k]) * m_dq[k]);
    return z;
}

int16_t CPredictiveAdpcm::Output(int32_t z) const {
    return static_cast<int16_t>(
        Sat32(static_cast<int64_t>(z) + static_cast<int64_t>(kOutputLeak) * m_nLastOutput) >> 16);
}

int16_t CPredictiveAdpcm::DecodeCode(int code) {
    const PredictiveTables& t = *m_pTables;
    code &= (1 << m_nBits) - 1;
    int newStep = std::clamp<int>(Scale(m_nStep, t.stepMultiplier[code]), kMinStep, t.nMaxStep);
    int16_t dq = Scale(m_nStep, t.reconstruction[code]);
    int32_t z = Accumulate(static_cast<int32_t>(dq) * 65536);
    int16_t output = Output(z);
    auto value = static_cast<int16_t>(z >> 16);

    // Sign-sign adaptation, the pole taps faster than the zero taps.
    for (int k = 0; k < kPoles; ++k)
        m_poleCoef[k] = Sat16(Leak(m_poleCoef[k]) + kPoleMove * MoveSign(dq, m_value[k]));
    for (int k = 0; k < kZeros; ++k)
        m_zeroCoef[k] = Sat16(Leak(m_zeroCoef[k]) + kZeroMove * MoveSign(dq, m_dq[k]));
    std::copy_backward(std::begin(m_value), std::end(m_value) - 1, std::end(m_value));
    m_value[0] = value;
    std::copy_backward(std::begin(m_dq), std::end(m_dq) - 1, std::end(m_dq));
    m_dq[0] = dq;

    m_nStep = newStep;
    m_nLastOutput = output;
    return output;
}

int CPredictiveAdpcm::EncodeSample(int16_t sample) {
    const PredictiveTables& t = *m_pTables;
    int16_t predicted = Output(Accumulate(0));
    int d = Sat16(static_cast<int>(sample) - predicted);
    int mag = d < 0 ? -d : d;
    int i = 0;
    while (i < t.nThresholds && Scale(m_nStep, t.thresholds[i]) <= mag)
        ++i;
    int code = d >= 0 ? t.nThresholds + 1 + i : t.nThresholds - i;
    DecodeCode(code);
    return code;
}

size_t CPredictiveAdpcm::EncodedBound(size_t samples) const {
    return (samples * static_cast<size_t>(m_nBits) + 7) / 8;
}

size_t CPredictiveAdpcm::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    size_t n = 0;
    uint32_t buf = 0;
    int bits = 0;
    for (size_t i = 0; i < count; ++i) {
        buf |= static_cast<uint32_t>(EncodeSample(samples[i])) << bits;
        bits += m_nBits;
        while (bits >= 8) {
            out[n++] = static_cast<uint8_t>(buf & 0xFF);
            buf >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        out[n++] = static_cast<uint8_t>(buf & 0xFF);
    return n;
}

size_t CPredictiveAdpcm::DecodedBound(size_t bytes) const {
    size_t totalBits = (bytes + 1) * 8 + static_cast<size_t>(m_nBitCount);
    return totalBits / static_cast<size_t>(m_nBits);
}

void CPredictiveAdpcm::DecodeWord(uint16_t word, int16_t* out, size_t capacity, size_t& n) {
    if (m_bExpectCount) {
        m_bExpectCount = false;
        size_t zeros = 2 * static_cast<size_t>(word);
        for (size_t k = 0; k < zeros && n < capacity; ++k)
            out[n++] = 0;
        return;
    }
    if (word == m_pTables->escape) {
        // Silence: the coder restarts from scratch after it, bits included.
        ResetState();
        m_nBitBuf = 0;
        m_nBitCount = 0;
        m_bExpectCount = true;
        return;
    }
    m_nBitBuf |= static_cast<uint32_t>(word) << m_nBitCount;
    m_nBitCount += 16;
    uint32_t mask = (1u << m_nBits) - 1;
    while (m_nBitCount >= m_nBits) {
        int16_t s = DecodeCode(static_cast<int>(m_nBitBuf & mask));
        if (n < capacity)
            out[n++] = s;
        m_nBitBuf >>= m_nBits;
        m_nBitCount -= m_nBits;
    }
}

size_t CPredictiveAdpcm::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        if (m_nPendingByte < 0) {
            m_nPendingByte = bytes[i];
            continue;
        }
        auto word = static_cast<uint16_t>(m_nPendingByte | (bytes[i] << 8));
        m_nPendingByte = -1;
        DecodeWord(word, out, capacity, n);
    }
    return n;
}
