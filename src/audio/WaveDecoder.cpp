#include "audio/WaveDecoder.h"

#include "audio/Cacm.h"
#include "audio/G711.h"
#include "audio/ImaAdpcm.h"
#include "audio/WaveFile.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint16_t kTagMsAdpcm = 0x0002;
constexpr uint16_t kTagAlaw = 0x0006;
constexpr uint16_t kTagUlaw = 0x0007;
constexpr uint16_t kTagImaAdpcm = 0x0011;

int16_t Mix(int left, int right) {
    return static_cast<int16_t>(left / 2 + right / 2);
}

int16_t Get16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

// One file's coding: how many samples its data holds, and how to decode it.
struct Coding {
    const char* name;
    uint16_t tag;
    // Samples per block and bytes per block (blocks of 1 byte for G.711).
    size_t (*samplesPerBlock)(const WaveFormat& f);
    // Decodes one block (the last one may be short); false when it is bad.
    bool (*decodeBlock)(const WaveFormat& f, const uint8_t* block, size_t len,
                        std::vector<int16_t>& out);
};

size_t G711PerBlock(const WaveFormat&) {
    return 1;
}

template <int16_t (*Expand)(uint8_t)>
bool DecodeG711(const WaveFormat& f, const uint8_t* p, size_t len, std::vector<int16_t>& out) {
    if (f.nChannels == 1) {
        for (size_t i = 0; i < len; ++i)
            out.push_back(Expand(p[i]));
    } else {
        for (size_t i = 0; i + 1 < len; i += 2)
            out.push_back(Mix(Expand(p[i]), Expand(p[i + 1])));
    }
    return true;
}

// IMA ADPCM in WAV files: each block starts, per channel, with the first
// sample and the step index; the codes follow low nibble first, in groups of
// four bytes per channel when stereo.
size_t ImaPerBlock(const WaveFormat& f) {
    const size_t header = 4u * f.nChannels;
    return f.nBlockAlign > header ? (f.nBlockAlign - header) * 2 / f.nChannels + 1 : 0;
}

bool DecodeIma(const WaveFormat& f, const uint8_t* p, size_t len, std::vector<int16_t>& out) {
    const size_t channels = f.nChannels;
    if (len < 4 * channels)
        return len == 0;
    std::array<CImaAdpcm, 2> coder = {CImaAdpcm(false), CImaAdpcm(false)};
    std::array<int, 2> first = {0, 0};
    for (size_t c = 0; c < channels; ++c) {
        first[c] = Get16(p + 4 * c);
        if (p[4 * c + 2] > 88)
            return false;
        coder[c].Restart(first[c], p[4 * c + 2]);
    }
    out.push_back(channels == 2 ? Mix(first[0], first[1]) : static_cast<int16_t>(first[0]));
    p += 4 * channels;
    len -= 4 * channels;
    if (channels == 1) {
        for (size_t i = 0; i < len; ++i) {
            out.push_back(coder[0].DecodeCode(p[i] & 0x0F));
            out.push_back(coder[0].DecodeCode(p[i] >> 4));
        }
        return true;
    }
    for (size_t i = 0; i + 8 <= len; i += 8) {
        std::array<int16_t, 8> left{};
        std::array<int16_t, 8> right{};
        for (size_t k = 0; k < 4; ++k) {
            left[2 * k] = coder[0].DecodeCode(p[i + k] & 0x0F);
            left[2 * k + 1] = coder[0].DecodeCode(p[i + k] >> 4);
            right[2 * k] = coder[1].DecodeCode(p[i + 4 + k] & 0x0F);
            right[2 * k + 1] = coder[1].DecodeCode(p[i + 4 + k] >> 4);
        }
        for (size_t k = 0; k < 8; ++k)
            out.push_back(Mix(left[k], right[k]));
    }
    return true;
}

// Microsoft ADPCM: a block starts, per channel, with a predictor number, the
// step and the two latest samples (the older one plays first); the codes
// follow high nibble first, alternating between the channels when stereo.
constexpr std::array<std::array<int, 2>, 7> kMsStandardCoefs = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};
constexpr std::array<int, 16> kMsAdapt = {230, 230, 230, 230, 307, 409, 512, 614,
                                          768, 614, 512, 409, 307, 230, 230, 230};

std::vector<std::array<int, 2>> MsCoefs(const WaveFormat& f) {
    const std::vector<uint8_t>& x = f.extra;
    if (x.size() < 4)
        return {kMsStandardCoefs.begin(), kMsStandardCoefs.end()};
    size_t count = static_cast<uint16_t>(Get16(&x[2]));
    std::vector<std::array<int, 2>> coefs;
    for (size_t i = 0; i < count && 4 + 4 * i + 4 <= x.size(); ++i)
        coefs.push_back({Get16(&x[4 + 4 * i]), Get16(&x[6 + 4 * i])});
    return coefs;
}

size_t MsPerBlock(const WaveFormat& f) {
    const size_t header = 7u * f.nChannels;
    return f.nBlockAlign > header ? (f.nBlockAlign - header) * 2 / f.nChannels + 2 : 0;
}

struct MsChannel {
    // A damaged block may start from any step and grow it without end; in
    // 64 bits and capped it stays defined (a sound file never comes near).
    static constexpr int64_t kMaxDelta = 1 << 24;
    int64_t coef1 = 0, coef2 = 0, delta = 16, sample1 = 0, sample2 = 0;
    int16_t Decode(int code) {
        int64_t predicted = (sample1 * coef1 + sample2 * coef2) >> 8;
        predicted += (code >= 8 ? code - 16 : code) * delta;
        predicted = std::clamp<int64_t>(predicted, -32768, 32767);
        sample2 = sample1;
        sample1 = predicted;
        delta =
            std::clamp<int64_t>((kMsAdapt[static_cast<size_t>(code)] * delta) >> 8, 16, kMaxDelta);
        return static_cast<int16_t>(predicted);
    }
};

bool DecodeMs(const WaveFormat& f, const uint8_t* p, size_t len, std::vector<int16_t>& out) {
    const size_t channels = f.nChannels;
    if (len < 7 * channels)
        return len == 0;
    const std::vector<std::array<int, 2>> coefs = MsCoefs(f);
    std::array<MsChannel, 2> ch{};
    for (size_t c = 0; c < channels; ++c) {
        size_t predictor = p[c];
        if (predictor >= coefs.size())
            return false;
        ch[c].coef1 = coefs[predictor][0];
        ch[c].coef2 = coefs[predictor][1];
        ch[c].delta = Get16(p + channels + 2 * c);
        ch[c].sample1 = Get16(p + 3 * channels + 2 * c);
        ch[c].sample2 = Get16(p + 5 * channels + 2 * c);
    }
    if (channels == 1) {
        out.push_back(static_cast<int16_t>(ch[0].sample2));
        out.push_back(static_cast<int16_t>(ch[0].sample1));
    } else {
        out.push_back(Mix(static_cast<int>(ch[0].sample2), static_cast<int>(ch[1].sample2)));
        out.push_back(Mix(static_cast<int>(ch[0].sample1), static_cast<int>(ch[1].sample1)));
    }
    size_t left = (MsPerBlock(f) - 2) * channels / 2; // code bytes the block should hold
    for (size_t i = 7 * channels; i < len && left > 0; ++i, --left) {
        int16_t a = ch[0].Decode(p[i] >> 4);
        int16_t b = ch[channels - 1].Decode(p[i] & 0x0F);
        if (channels == 1) {
            out.push_back(a);
            out.push_back(b);
        } else {
            out.push_back(Mix(a, b));
        }
    }
    return true;
}

constexpr std::array<Coding, 4> kCodings = {{
    {"G.711 A-law", kTagAlaw, G711PerBlock, DecodeG711<AlawToLinear>},
    {"G.711 mu-law", kTagUlaw, G711PerBlock, DecodeG711<UlawToLinear>},
    {"IMA ADPCM", kTagImaAdpcm, ImaPerBlock, DecodeIma},
    {"Microsoft ADPCM", kTagMsAdpcm, MsPerBlock, DecodeMs},
}};

bool Fail(std::string* pError, const std::string& why) {
    if (pError)
        *pError = why;
    return false;
}

bool DecodeBlocks(CWaveFile& in, const Coding& coding, const std::string& path, DecodedWave& out,
                  std::string* pError, size_t maxSamples) {
    const WaveFormat& f = in.Format();
    if (f.nChannels < 1 || f.nChannels > 2)
        return Fail(pError, StrPrintf("%s: %s with %u channels is not supported", path.c_str(),
                                      coding.name, f.nChannels));
    const size_t blockBytes = coding.tag == kTagAlaw || coding.tag == kTagUlaw
                                  ? f.nChannels
                                  : static_cast<size_t>(f.nBlockAlign);
    const size_t perBlock = coding.samplesPerBlock(f);
    if (perBlock == 0 || blockBytes == 0)
        return Fail(pError, StrPrintf("%s: %s blocks of %u bytes make no sense", path.c_str(),
                                      coding.name, f.nBlockAlign));
    const size_t blocks = (in.DataLength() + blockBytes - 1) / blockBytes;
    size_t expected = blocks * perBlock;
    if (in.HasFact() && coding.tag != kTagAlaw && coding.tag != kTagUlaw)
        expected = std::min<size_t>(expected, in.FactSamples());
    if (expected > maxSamples)
        return Fail(pError, path + ": too long to load");
    out.samples.reserve(expected);
    // Whole blocks at a time, many per read.
    std::vector<uint8_t> buf(blockBytes * std::max<size_t>(1, 65536 / blockBytes));
    for (;;) {
        size_t n = in.ReadData(buf.data(), buf.size());
        for (size_t i = 0; i < n; i += blockBytes) {
            if (!coding.decodeBlock(f, buf.data() + i, std::min(blockBytes, n - i), out.samples))
                return Fail(pError, StrPrintf("%s: damaged %s data", path.c_str(), coding.name));
        }
        if (n < buf.size())
            break;
    }
    out.samples.resize(std::min(out.samples.size(), expected));
    return true;
}

bool DecodeGsm(CWaveFile& in, const std::string& path, DecodedWave& out, std::string* pError,
               size_t maxSamples) {
    if (in.SampleCount() > maxSamples)
        return Fail(pError, path + ": too long to load");
    Cacm acm;
    if (!acm.Open(kWaveFormatGsm610, kWaveFormatPcm, in.Format().nSamplesPerSec))
        return Fail(pError, path + ": cannot decode this GSM 6.10 file");
    std::vector<uint8_t> buf(64 * kGsmBlockBytes);
    out.samples.reserve(in.SampleCount());
    while (size_t n = in.ReadData(buf.data(), buf.size()))
        acm.ConvertToPcm(buf.data(), n, out.samples);
    out.samples.resize(std::min<size_t>(out.samples.size(), in.SampleCount()));
    return true;
}

} // namespace

bool DecodeWaveFile(const std::string& path, DecodedWave& out, std::string* pError,
                    size_t maxSamples) {
    out = DecodedWave{};
    CWaveFile in;
    if (!in.Open(path, true))
        return Fail(pError, in.LastError());
    const WaveFormat& f = in.Format();
    if (f.nSamplesPerSec == 0)
        return Fail(pError, path + ": the sample rate is 0");
    out.nSamplesPerSec = f.nSamplesPerSec;
    out.wFormatTag = f.wFormatTag;
    bool ok = false;
    if (f.IsPcm()) {
        if (in.SampleCount() > maxSamples)
            return Fail(pError, path + ": too long to load");
        out.samples.resize(in.SampleCount());
        out.samples.resize(in.ReadSamples(out.samples.data(), out.samples.size()));
        ok = true;
    } else if (f.IsGsm()) {
        ok = DecodeGsm(in, path, out, pError, maxSamples);
    } else {
        const auto it = std::find_if(kCodings.begin(), kCodings.end(),
                                     [&](const Coding& c) { return c.tag == f.wFormatTag; });
        if (it == kCodings.end())
            return Fail(pError, StrPrintf("%s: format tag %u is not a coding this program reads",
                                          path.c_str(), f.wFormatTag));
        ok = DecodeBlocks(in, *it, path, out, pError, maxSamples);
    }
    if (!ok)
        out.samples.clear();
    return ok;
}
