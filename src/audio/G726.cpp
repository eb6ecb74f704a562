// Written from the block descriptions of ITU-T G.726 (fixed-point arithmetic
// of its section 4), so that the output is bit-exact with any conforming coder.
#include "audio/G726.h"

#include <algorithm>
#include <bit>
#include <iterator>

struct G726Tables {
    int nLevels;    // decision levels of the quantiser
    int levels[15]; // in log2 units of 1/128, normalised by Y
    int dqln[16];   // reconstruction level, by magnitude index
    int w[16];      // scale factor multiplier W, by magnitude index
    int f[16];      // speed control F, by magnitude index
    int nLeakShift; // leak of the zero predictor (8, or 9 at 40 kbit/s)
};

namespace {

constexpr G726Tables k24 = {
    3, {8, 218, 331}, {-2048, 135, 273, 373}, {-4, 30, 137, 582}, {0, 1, 2, 7}, 8};
constexpr G726Tables k32 = {7,
                            {-124, 80, 178, 246, 300, 349, 400},
                            {-2048, 4, 135, 213, 273, 323, 373, 425},
                            {-12, 18, 41, 64, 112, 198, 355, 1122},
                            {0, 0, 0, 1, 1, 1, 3, 7},
                            8};
constexpr G726Tables k40 = {
    15,
    {-122, -16, 68, 139, 198, 250, 298, 339, 378, 413, 445, 475, 502, 528, 553},
    {-2048, -66, 28, 104, 169, 224, 274, 318, 358, 395, 429, 459, 488, 514, 539, 566},
    {14, 14, 24, 39, 40, 41, 58, 100, 141, 179, 219, 280, 358, 440, 529, 696},
    {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 6},
    9};

int BitLength(int v) {
    return std::bit_width(static_cast<unsigned>(v));
}

} // namespace

CG726::CG726(int bits) : m_nBits(bits), m_pTables(bits == 3 ? &k24 : bits == 5 ? &k40 : &k32) {
    Reset();
}

void CG726::Reset() {
    m_yu = 544;
    m_yl = 34816;
    m_dms = m_dml = m_ap = 0;
    m_a[0] = m_a[1] = 0;
    std::fill(std::begin(m_b), std::end(m_b), 0);
    std::fill(std::begin(m_dq), std::end(m_dq), Float11{});
    std::fill(std::begin(m_sr), std::end(m_sr), Float11{});
    m_pk[0] = m_pk[1] = 0;
    m_td = 0;
}

CG726::Float11 CG726::ToFloat(int sign, int mag) {
    Float11 f;
    f.sign = sign;
    f.exp = BitLength(mag);
    f.mant = mag == 0 ? 32 : (mag << 6) >> f.exp;
    return f;
}

// FMULT: a predictor coefficient (16-bit, two's complement) times a value in
// the floating format.
int CG726::FloatMultiply(int coef, const Float11& f) {
    int a14 = coef >> 2;
    int sign = a14 < 0;
    int mag = sign ? (-a14) & 8191 : a14;
    int exp = BitLength(mag);
    int mant = mag == 0 ? 32 : (mag << 6) >> exp;
    int wexp = exp + f.exp;
    int wmant = (mant * f.mant + 48) >> 4;
    int wmag = wexp <= 26 ? (wmant << 7) >> (26 - wexp) : ((wmant << 7) << (wexp - 26)) & 32767;
    return (sign ^ f.sign) ? -wmag : wmag;
}

// MIX with LIMA: the unlocked (fast) and locked (slow) scale factors mixed by
// the speed control.
int CG726::ScaleFactor() const {
    int al = m_ap >= 256 ? 64 : m_ap >> 2;
    int ylShort = m_yl >> 6;
    int dif = m_yu - ylShort;
    int prod = dif >= 0 ? (dif * al) >> 6 : -((-dif * al) >> 6);
    return ylShort + prod;
}

// FMULT and ACCUM: the signal estimate and its zero-predictor part.
void CG726::Predict(int& se, int& sez) const {
    int sezi = 0;
    for (int i = 0; i < 6; ++i)
        sezi += FloatMultiply(m_b[i], m_dq[i]);
    int sei = sezi + FloatMultiply(m_a[0], m_sr[0]) + FloatMultiply(m_a[1], m_sr[1]);
    sez = sezi >> 1;
    se = sei >> 1;
}

// LOG, SUBTB, QUAN.
int CG726::Quantize(int d, int y) const {
    int ds = d < 0;
    int dqm = (ds ? -d : d) & 32767;
    int exp = dqm < 2 ? 0 : BitLength(dqm) - 1;
    int dl = (exp << 7) + (((dqm << 7) >> exp) & 127);
    int dln = dl - (y >> 2);
    const G726Tables& t = *m_pTables;
    int i = 0;
    while (i < t.nLevels && dln >= t.levels[i])
        ++i;
    int top = (1 << m_nBits) - 1;
    if (ds)
        return top - i;
    // A positive input below the lowest level is sent as the negative zero
    // code; the all-zero code is never transmitted.
    return i == 0 ? top : i;
}

// RECONST, ADDA, ANTILOG.
int CG726::Reconstruct(int code, int y, int& sign) const {
    int half = 1 << (m_nBits - 1);
    sign = (code & half) != 0;
    int magIndex = sign ? (2 * half - 1) - code : code;
    int dql = m_pTables->dqln[magIndex] + (y >> 2);
    if (dql < 0)
        return 0;
    int dex = (dql >> 7) & 15;
    int dqt = 128 + (dql & 127);
    return (dqt << 7) >> (14 - dex);
}

void CG726::Update(int code, int y, int dqSign, int dqMag, int sr, int sez) {
    const G726Tables& t = *m_pTables;
    int half = 1 << (m_nBits - 1);
    int magIndex = (code & half) ? (2 * half - 1) - code : code;

    // TRANS: a large step while a tone was seen means a transition; the
    // predictor then starts afresh.
    int ylint = m_yl >> 15;
    int ylfrac = (m_yl >> 10) & 31;
    int thr1 = (32 + ylfrac) << ylint;
    int thr2 = ylint > 9 ? 31 << 10 : thr1;
    int dqthr = (thr2 + (thr2 >> 1)) >> 1;
    bool tr = m_td == 1 && dqMag > dqthr;

    // FUNCTW, FILTD, LIMB, FILTE: scale factor adaptation.
    int yut = y + (((t.w[magIndex] << 5) - y) >> 5);
    int yup = std::clamp(yut, 544, 5120);
    m_yl = m_yl + yup + ((-m_yl) >> 6);
    m_yu = yup;

    // ADDC: sign of the partial reconstructed signal.
    int dqsez = dqSign ? sez - dqMag : sez + dqMag;
    int pk0 = dqsez < 0;
    bool sigpk = dqsez == 0;

    // UPA2, LIMC.
    int a2p = m_a[1];
    {
        int fa1 = std::clamp(m_a[0], -8191, 8191) * 4;
        int fa = (pk0 ^ m_pk[0]) ? fa1 : -fa1;
        int uga2a = (pk0 ^ m_pk[1]) ? -16384 : 16384;
        int uga2 = sigpk ? 0 : (uga2a + fa) >> 7;
        a2p = std::clamp(m_a[1] + uga2 - (m_a[1] >> 7), -12288, 12288);
    }
    // UPA1, LIMD.
    int uga1 = sigpk ? 0 : ((pk0 ^ m_pk[0]) ? -192 : 192);
    int a1ul = 15360 - a2p;
    int a1p = std::clamp(m_a[0] + uga1 - (m_a[0] >> 8), -a1ul, a1ul);

    // UPB: sign-sign adaptation of the zero predictor.
    for (int i = 0; i < 6; ++i) {
        int ugb = dqMag == 0 ? 0 : ((dqSign ^ m_dq[i].sign) ? -128 : 128);
        int bp = m_b[i] + ugb - (m_b[i] >> t.nLeakShift);
        m_b[i] = tr ? 0 : static_cast<int16_t>(bp);
    }

    // TONE, TRIGB.
    int tdp = a2p < -11776;
    m_td = tr ? 0 : tdp;
    m_a[0] = tr ? 0 : a1p;
    m_a[1] = tr ? 0 : a2p;

    // FUNCTF, FILTA, FILTB, SUBTC, FILTC, TRIGA: adaptation speed control.
    int fi = t.f[magIndex];
    m_dms = m_dms + (((fi << 9) - m_dms) >> 5);
    m_dml = m_dml + (((fi << 11) - m_dml) >> 7);
    int dif = (m_dms << 2) - m_dml;
    if (dif < 0)
        dif = -dif;
    int ax = (y < 1536 || tdp == 1 || dif >= (m_dml >> 3)) ? 1 : 0;
    int app = m_ap + (((ax << 9) - m_ap) >> 4);
    m_ap = tr ? 256 : app;

    // DELAY, FLOATA, FLOATB.
    for (int i = 5; i > 0; --i)
        m_dq[i] = m_dq[i - 1];
    m_dq[0] = ToFloat(dqSign, dqMag);
    m_sr[1] = m_sr[0];
    int srSign = sr < 0;
    m_sr[0] = ToFloat(srSign, srSign ? (-sr) & 32767 : sr);
    m_pk[1] = m_pk[0];
    m_pk[0] = pk0;
}

int CG726::Encode(int16_t sample) {
    int y = ScaleFactor();
    int se = 0;
    int sez = 0;
    Predict(se, sez);
    int sl = sample >> 2; // 14-bit uniform PCM
    int code = Quantize(sl - se, y);
    int dqSign = 0;
    int dqMag = Reconstruct(code, y, dqSign);
    int sr = static_cast<int16_t>(dqSign ? se - dqMag : se + dqMag);
    Update(code, y, dqSign, dqMag, sr, sez);
    return code;
}

int16_t CG726::Decode(int code) {
    code &= (1 << m_nBits) - 1;
    int y = ScaleFactor();
    int se = 0;
    int sez = 0;
    Predict(se, sez);
    int dqSign = 0;
    int dqMag = Reconstruct(code, y, dqSign);
    int sum = dqSign ? se - dqMag : se + dqMag;
    Update(code, y, dqSign, dqMag, static_cast<int16_t>(sum), sez);
    // The predictor keeps the 16-bit reconstructed value of the recommendation;
    // the output saturates instead of wrapping, so an overshoot on a loud
    // passage never turns into a full-scale click of the wrong sign.
    return static_cast<int16_t>(std::clamp(sum * 4, -32768, 32767));
}

size_t CADPCM::EncodedBound(size_t samples) const {
    // Up to seven zero codes of padding.
    return ((samples + 7) * static_cast<size_t>(m_coder.Bits()) + 7) / 8;
}

size_t CADPCM::DecodedBound(size_t bytes) const {
    return (bytes * 8 + static_cast<size_t>(m_nBitCount)) / static_cast<size_t>(m_coder.Bits());
}

size_t CADPCM::Encode(const int16_t* samples, size_t count, uint8_t* out) {
    int bits = m_coder.Bits();
    size_t n = 0;
    uint32_t buf = 0;
    int have = 0;
    for (size_t i = 0; i < count; ++i) {
        buf |= static_cast<uint32_t>(m_coder.Encode(samples[i])) << have;
        have += bits;
        while (have >= 8) {
            out[n++] = static_cast<uint8_t>(buf & 0xFF);
            buf >>= 8;
            have -= 8;
        }
    }
    // Whole zero codes fill the last byte, so the far end stays aligned on
    // code boundaries from one block to the next.
    while (have > 0) {
        have += bits;
        while (have >= 8) {
            out[n++] = static_cast<uint8_t>(buf & 0xFF);
            buf >>= 8;
            have -= 8;
        }
    }
    return n;
}

size_t CADPCM::Decode(const uint8_t* bytes, size_t count, int16_t* out, size_t capacity) {
    int bits = m_coder.Bits();
    uint32_t mask = (1u << bits) - 1;
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        m_nBitBuf |= static_cast<uint32_t>(bytes[i]) << m_nBitCount;
        m_nBitCount += 8;
        while (m_nBitCount >= bits && n < capacity) {
            out[n++] = m_coder.Decode(static_cast<int>(m_nBitBuf & mask));
            m_nBitBuf >>= bits;
            m_nBitCount -= bits;
        }
    }
    return n;
}
