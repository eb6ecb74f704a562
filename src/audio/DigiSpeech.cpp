#include "audio/DigiSpeech.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kSteps[137] = {
    16,    17,    18,    19,    20,    22,    23,    24,    25,    27,    28,    30,    32,
    33,    35,    37,    39,    41,    44,    46,    49,    51,    54,    57,    61,    64,
    67,    71,    75,    79,    84,    88,    93,    98,    104,   109,   116,   122,   129,
    136,   143,   151,   159,   168,   178,   187,   198,   209,   220,   232,   245,   258,
    273,   288,   304,   320,   338,   357,   376,   397,   419,   442,   466,   492,   519,
    548,   578,   609,   643,   678,   716,   755,   797,   841,   887,   936,   987,   1041,
    1099,  1159,  1223,  1290,  1361,  1436,  1515,  1598,  1686,  1779,  1877,  1980,  2089,
    2204,  2325,  2453,  2588,  2731,  2881,  3039,  3207,  3383,  3569,  3765,  3973,  4191,
    4422,  4665,  4921,  5192,  5478,  5779,  6097,  6432,  6786,  7159,  7553,  7968,  8407,
    8869,  9357,  9872,  10415, 10987, 11592, 12229, 12902, 13612, 14360, 15150, 15983, 16863,
    17790, 18769, 19801, 20890, 22039, 23251, 24530};
constexpr int kIndexAdjust[8] = {-2, -2, -2, -2, 3, 9, 13, 16};
constexpr int kMaxIndex = 136;

int16_t ClampPrediction(int v) {
    return static_cast<int16_t>(std::clamp(v, -16384, 16383));
}

} // namespace

void CDigiSpeech::Reset(int nSampleRate) {
    m_nSampleRate = nSampleRate;
    m_nPredicted = 0;
    m_nStep = kSteps[0];
    m_nIndex = 0;
    m_nLastCode = 0;
    m_bHaveLastCode = false;
    std::fill(std::begin(m_h), std::end(m_h), int16_t{0});
}

// The history predictor only pays at telephone rates; above that the last
// value is the prediction.
void CDigiSpeech::Predict() {
    if (m_nSampleRate >= 16000)
        return;
    int p = (m_h[3] >> 2) - (m_h[2] >> 1) - (m_h[1] >> 6) - (m_h[1] >> 3) + (m_h[2] >> 6) +
            (m_h[0] >> 4) + (m_h[0] >> 3) + m_h[0];
    m_nPredicted = ClampPrediction(static_cast<int16_t>(p)); // 16-bit arithmetic
}

void CDigiSpeech::Update(int code) {
    int s = m_nStep;
    int delta =
        (s >> 3) + ((code & 1) ? s >> 2 : 0) + ((code & 2) ? s >> 1 : 0) + ((code & 4) ? s : 0);
    if (code & 8)
        delta = -delta;
    m_nPredicted = ClampPrediction(m_nPredicted + delta);
    if (m_nSampleRate < 16000) {
        // Each copy is taken from the entry before it after that entry was
        // overwritten, so all three hold the old h0: the modem's coder does
        // the same, and the two ends must predict alike.
        m_h[1] = m_h[0];
        m_h[2] = m_h[1];
        m_h[3] = m_h[2];
        m_h[0] = m_nPredicted;
    }
    m_nIndex = std::clamp(m_nIndex + kIndexAdjust[code & 7], 0, kMaxIndex);
    m_nStep = kSteps[m_nIndex];
}

int CDigiSpeech::EncodeSample(int16_t sample) {
    int x = sample >> 1;
    Predict();
    int d = static_cast<int16_t>(x - m_nPredicted);
    int code = 0;
    if (d < 0) {
        code = 8;
        d = -d;
    }
    int s = m_nStep;
    if (d >= s) {
        code += 4;
        d -= s;
    }
    if (d < (s >> 1)) {
        if (d >= (s >> 2))
            code += 1;
    } else {
        code += 2;
        if (d - (s >> 1) >= (s >> 2))
            code += 1;
    }
    Update(code);
    return code;
}

int16_t CDigiSpeech::DecodeCode(int code) {
    Predict();
    Update(code & 0x0F);
    return static_cast<int16_t>(m_nPredicted * 2);
}

size_t CDigiSpeech::EncodedBound(size_t samples) const {
    return (samples + (m_bHaveLastCode ? 1 : 0)) / 2;
}

size_t CDigiSpeech::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        int code = EncodeSample(samples[i]);
        if (m_bHaveLastCode) {
            out[n++] = static_cast<uint8_t>((m_nLastCode << 4) | code);
            m_bHaveLastCode = false;
        } else {
            m_nLastCode = code;
            m_bHaveLastCode = true;
        }
    }
    return n;
}

size_t CDigiSpeech::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    size_t n = 0;
    for (size_t i = 0; i < count && n + 2 <= capacity; ++i) {
        out[n++] = DecodeCode(bytes[i] >> 4);
        out[n++] = DecodeCode(bytes[i] & 0x0F);
    }
    return n;
}
