#include "AudioTestUtil.h"

#include "TempHome.h"
#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

std::vector<int16_t> SineWave(double hz, double amplitude, size_t count, double rate) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

std::vector<int16_t> SpeechSample() {
    std::vector<int16_t> s = ReadWav(SourceFile("tests/data/audio/speech.wav"));
    EXPECT_GT(s.size(), 8000u);
    return s;
}

double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
             int maxDelay) {
    double best = -100;
    for (int delay = 0; delay <= maxDelay; ++delay) {
        size_t n =
            std::min(reference.size(),
                     decoded.size() > static_cast<size_t>(delay) ? decoded.size() - delay : 0);
        double rr = 0, rd = 0, dd = 0;
        for (size_t i = 0; i < n; ++i) {
            double r = reference[i], d = decoded[i + delay];
            rr += r * r;
            rd += r * d;
            dd += d * d;
        }
        if (dd == 0 || rr == 0)
            continue;
        double g = rd / dd; // best gain on the decoded signal
        double noise = rr - 2 * g * rd + g * g * dd;
        best = std::max(best, 10 * std::log10(rr / std::max(noise, 1e-9)));
    }
    return best;
}

double ToneShare(const std::vector<int16_t>& s, double hz, double rate) {
    double c = 2 * std::cos(2 * M_PI * hz / rate);
    double s1 = 0, s2 = 0, total = 0, mean = 0;
    for (int16_t v : s)
        mean += v;
    mean /= std::max<size_t>(s.size(), 1);
    for (int16_t v : s) {
        double x = v - mean;
        double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += x * x;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    // A pure tone of N samples has Goertzel power N^2 A^2 / 4 and energy N A^2 / 2.
    return total > 0 ? power / (total * s.size() / 2.0) : 0;
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / static_cast<double>(s.size()));
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate) {
    CWaveFile f;
    ASSERT_EQ(f.Create(path, PcmFormat(rate)), 1) << f.LastError();
    ASSERT_TRUE(f.WriteSamples(samples.data(), samples.size()));
    ASSERT_TRUE(f.CloseWrite());
}

std::vector<int16_t> ReadWav(const std::string& path, WaveFormat* pFormat) {
    std::vector<int16_t> s;
    WaveFormat f;
    std::string err;
    EXPECT_TRUE(ReadWaveSamples(path, s, f, err)) << path << ": " << err;
    if (pFormat)
        *pFormat = f;
    return s;
}

std::string ReadBytes(const std::string& path) {
    return ReadWholeFile(path, 1u << 30).value_or("");
}

void WriteBytes(const std::string& path, const std::string& content) {
    ASSERT_TRUE(WriteFileAtomic(path, content)) << path;
}

void Sox(std::vector<std::string> args) {
    args.insert(args.begin(), {"sox", "-R"}); // -R: the same dither every run
    ProgramRun run = RunProgram(args);
    ASSERT_EQ(run.nExit, 0) << run.err;
}

std::string Soxi(const std::string& option, const std::string& path) {
    ProgramRun run = RunProgram({"soxi", option, path});
    EXPECT_EQ(run.nExit, 0) << path << ": " << run.err;
    while (!run.out.empty() && (run.out.back() == '\n' || run.out.back() == ' '))
        run.out.pop_back();
    return run.out;
}

std::vector<int16_t> SoxSamples(const std::string& path, bool bMixToMono) {
    std::vector<std::string> argv = {"sox", path, "-t", "raw", "-e", "signed", "-b", "16"};
    if (bMixToMono)
        argv.insert(argv.end(), {"-c", "1"});
    argv.push_back("-");
    ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.nExit, 0) << path << ": " << run.err;
    std::vector<int16_t> s(run.out.size() / 2);
    std::memcpy(s.data(), run.out.data(), s.size() * 2);
    return s;
}

// The floors sit a few dB under what each coder achieves on the speech
// sample, so a broken predictor or table shows at once.
const std::vector<CodecCase> kEveryCodec = {
    {4, 2, 7},    {4, 3, 13},    {4, 4, 19},    {5, 4, 15},    {8, 8, 22},   {9, 8, 22},
    {16, 16, 90}, {41, 4, 11},   {128, 2, 6},   {129, 3, 12},  {129, 4, 17}, {129, 5, 23},
    {130, 4, 15}, {1130, 4, 15}, {2130, 8, 34}, {2131, 8, 34},
};

std::string CodecName(const CodecCase& c) {
    return "id" + std::to_string(c.id) + "_" + std::to_string(c.bits) + "bit";
}

VoiceCodecSettings CodecSettings(int id, int bits) {
    VoiceCodecSettings s;
    s.nCompression = id;
    s.nCompressionBS = bits;
    s.nCompressionSampleRate = 8000;
    s.bSoftAGC = false;
    return s;
}

std::vector<uint8_t> EncodeAll(int id, int bits, const std::vector<int16_t>& in, size_t blockSize) {
    CVoiceCodec codec;
    EXPECT_TRUE(OpenVoiceCodec(codec, -1, CodecSettings(id, bits)));
    std::vector<uint8_t> out;
    for (size_t i = 0; i < in.size(); i += blockSize) {
        size_t n = std::min(blockSize, in.size() - i);
        std::vector<uint8_t> buf(codec.EncodedBound(n));
        size_t produced = 0;
        buf.resize(EncodeVoiceBlock(codec, in.data() + i, n, buf.data(), buf.size(), &produced));
        EXPECT_EQ(produced, buf.size());
        out.insert(out.end(), buf.begin(), buf.end());
    }
    return out;
}

std::vector<int16_t> DecodeAll(int id, int bits, const std::vector<uint8_t>& in, size_t blockSize) {
    CVoiceCodec codec;
    EXPECT_TRUE(OpenVoiceCodec(codec, id, CodecSettings(99, bits)));
    if (id == 128)
        blockSize = blockSize / 33 * 33; // GSM decodes whole frames of each block
    std::vector<int16_t> out;
    for (size_t i = 0; i < in.size(); i += blockSize) {
        size_t n = std::min(blockSize, in.size() - i);
        std::vector<int16_t> buf(codec.DecodedBound(n));
        buf.resize(DecodeVoiceBlock(codec, in.data() + i, n, buf.data(), buf.size()));
        out.insert(out.end(), buf.begin(), buf.end());
    }
    return out;
}
