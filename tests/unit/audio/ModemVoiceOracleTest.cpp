// The modems' own voice formats (ids 4, 5 and 41) against an independent
// implementation, mgetty's voice tools: voice they made for a modem must
// decode through vorella-tool exactly as they decode it, and voice vorella-tool
// made must decode in their tools exactly as in ours, at least as clean as
// their own encoder's.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct ModemVoice {
    int id;
    int bits;
    const char* modem; // the tools' modem type and compression number
    int compression;
    int rate;          // the only rate the tools accept for that modem
    bool sameEncoder;  // their encoder and ours make the same codes
};

// Rockwell's ADPCM: their encoder predicts from the last input sample, ours
// from the last output sample, so only the decoders are the same.
const ModemVoice kVoices[] = {
    {4, 2, "Rockwell", 2, 7200, false},    {4, 3, "Rockwell", 3, 7200, false},
    {4, 4, "Rockwell", 4, 7200, false},    {5, 4, "ZyXEL_Omni56K", 4, 9600, true},
    {41, 4, "ZyXEL_2864", 4, 8000, true},
};

std::string Name(const ModemVoice& v) {
    return "id" + std::to_string(v.id) + "_" + std::to_string(v.bits) + "bit";
}

constexpr size_t kRmdHeader = 32;

std::string Tool() {
    return TestBinDir() + "/vorella-tool";
}

std::string AsBytes(const std::vector<int16_t>& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

std::vector<int16_t> AsSamples(const std::string& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

// A sine sweep from 100 Hz to 3400 Hz at 90 % of full scale: the high end
// drives the predictors into the saturation that speech seldom reaches.
std::vector<int16_t> Sweep(int rate) {
    const size_t n = static_cast<size_t>(rate) * 3;
    std::vector<int16_t> s(n);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double hz = 100 + 3300.0 * static_cast<double>(i) / static_cast<double>(n);
        phase += 2 * M_PI * hz / rate;
        s[i] = static_cast<int16_t>(std::lround(0.9 * 32767 * std::sin(phase)));
    }
    return s;
}

class Toolkit {
public:
    explicit Toolkit(const TempHome& home) : m_home(home) {}

    // Their raw modem file (header and voice) for 16-bit samples.
    std::string Encode(const ModemVoice& v, const std::vector<int16_t>& samples) {
        WriteBinaryFile(File("in.lin"), AsBytes(samples));
        Run({"lintopvf", "-W", "-S", "-I", "-s", std::to_string(v.rate), File("in.lin"),
             File("in.pvf")});
        Run({"pvftormd", v.modem, std::to_string(v.compression), File("in.pvf"), File("in.rmd")});
        std::string rmd = ReadBinaryFile(File("in.rmd"));
        EXPECT_GT(rmd.size(), kRmdHeader);
        return rmd;
    }

    // Their samples for a raw modem file.
    std::vector<int16_t> Decode(const std::string& rmd) {
        WriteBinaryFile(File("out.rmd"), rmd);
        Run({"rmdtopvf", File("out.rmd"), File("out.pvf")});
        Run({"pvftolin", "-W", "-S", "-I", File("out.pvf"), File("out.lin")});
        return AsSamples(ReadBinaryFile(File("out.lin")));
    }

private:
    std::string File(const std::string& name) const { return m_home.File("toolkit-" + name); }
    static void Run(const std::vector<std::string>& argv) {
        ASSERT_EQ(RunProgram(argv), 0) << argv[0] << " failed (package mgetty-pvftools)";
    }
    const TempHome& m_home;
};

// vorella-tool, run as a user would.
std::string OurEncode(const TempHome& home, const ModemVoice& v,
                      const std::vector<int16_t>& samples) {
    CWaveFile f;
    EXPECT_EQ(f.Create(home.File("ours.wav"), PcmFormat(static_cast<uint32_t>(v.rate))), 1);
    EXPECT_TRUE(f.WriteSamples(samples.data(), samples.size()));
    EXPECT_TRUE(f.CloseWrite());
    EXPECT_EQ(RunProgram({Tool(), "encode", "--id", std::to_string(v.id), "--bits",
                          std::to_string(v.bits), "--rate", std::to_string(v.rate),
                          home.File("ours.wav"), home.File("ours.raw")}),
              0);
    return ReadBinaryFile(home.File("ours.raw"));
}

std::vector<int16_t> OurDecode(const TempHome& home, const ModemVoice& v,
                               const std::string& voice) {
    WriteBinaryFile(home.File("theirs.raw"), voice);
    EXPECT_EQ(RunProgram({Tool(), "decode", "--id", std::to_string(v.id), "--bits",
                          std::to_string(v.bits), "--rate", std::to_string(v.rate),
                          home.File("theirs.raw"), home.File("theirs.wav")}),
              0);
    std::vector<int16_t> s;
    WaveFormat f;
    std::string err;
    EXPECT_TRUE(ReadWaveSamples(home.File("theirs.wav"), s, f, err)) << err;
    EXPECT_EQ(f.nSamplesPerSec, static_cast<uint32_t>(v.rate));
    return s;
}

struct Signal {
    const char* name;
    std::vector<int16_t> samples;
};

std::vector<Signal> Signals(int rate) {
    // The speech sample is taken at whatever rate the modem runs: only the
    // samples matter to the coders.
    return {{"speech", SpeechSample()}, {"sweep", Sweep(rate)}};
}

// Sample for sample the same, but for the top rail of id 41: its decoder
// clamps the value before scaling it by 4 (so it tops out at 32764), where
// their tools clamp after (32767).
void ExpectSameSamples(const ModemVoice& v, const std::vector<int16_t>& ours,
                       const std::vector<int16_t>& theirs) {
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < theirs.size(); ++i) {
        bool topRail = v.id == 41 && theirs[i] == 32767 && ours[i] == 32764;
        if (!topRail) {
            ASSERT_EQ(ours[i], theirs[i]) << "sample " << i;
        }
    }
}

class ModemVoiceOracle : public ::testing::TestWithParam<ModemVoice> {};

} // namespace

TEST_P(ModemVoiceOracle, TheirVoiceDecodesHereAsInTheirTools) {
    const ModemVoice& v = GetParam();
    TempHome home;
    Toolkit toolkit(home);
    for (const Signal& sig : Signals(v.rate)) {
        SCOPED_TRACE(sig.name);
        std::string rmd = toolkit.Encode(v, sig.samples);
        std::vector<int16_t> theirs = toolkit.Decode(rmd);
        std::vector<int16_t> ours = OurDecode(home, v, rmd.substr(kRmdHeader));
        ASSERT_GE(theirs.size(), sig.samples.size());
        ExpectSameSamples(v, ours, theirs);
    }
}

TEST_P(ModemVoiceOracle, OurVoiceDecodesInTheirToolsAsHereAndAsCleanAsTheirs) {
    const ModemVoice& v = GetParam();
    TempHome home;
    Toolkit toolkit(home);
    for (const Signal& sig : Signals(v.rate)) {
        SCOPED_TRACE(sig.name);
        std::string theirRmd = toolkit.Encode(v, sig.samples);
        const std::string header = theirRmd.substr(0, kRmdHeader);
        std::string ours = OurEncode(home, v, sig.samples);
        ASSERT_EQ(ours.size(), (sig.samples.size() * static_cast<size_t>(v.bits) + 7) / 8);
        if (v.sameEncoder) { // theirs may add a byte that flushes their last code
            EXPECT_EQ(ours, theirRmd.substr(kRmdHeader, ours.size()));
        }

        std::vector<int16_t> decodedThere = toolkit.Decode(header + ours);
        std::vector<int16_t> decodedHere = OurDecode(home, v, ours);
        ExpectSameSamples(v, decodedHere, decodedThere);

        double ourSnr = SnrDb(sig.samples, decodedThere, 2);
        double theirSnr = SnrDb(sig.samples, toolkit.Decode(theirRmd), 2);
        EXPECT_GE(ourSnr, theirSnr - 0.05) << "ours " << ourSnr << " dB, theirs " << theirSnr;
        RecordProperty(std::string(sig.name) + "_snr_db_ours", std::to_string(ourSnr));
        RecordProperty(std::string(sig.name) + "_snr_db_theirs", std::to_string(theirSnr));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ModemVoiceOracle, ::testing::ValuesIn(kVoices),
                         [](const auto& info) { return Name(info.param); });
