// vorella-tool's audio commands, run as a user would.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

namespace {

std::string Tool() {
    return TestBinDir() + "/vorella-tool";
}

void WriteTone(const std::string& path, uint32_t rate) {
    CWaveFile f;
    ASSERT_EQ(f.Create(path, PcmFormat(rate)), 1);
    std::vector<int16_t> tone = SineWave(1000, 6000, rate * 2, rate);
    ASSERT_TRUE(f.WriteSamples(tone.data(), tone.size()));
    ASSERT_TRUE(f.CloseWrite());
}

} // namespace

TEST(AudioTool, EveryIdTurnsAOneKilohertzToneBackIntoOne) {
    TempHome home;
    WriteTone(home.File("tone.wav"), 8000);
    struct Id {
        int id;
        int bits;
    } ids[] = {{4, 2},   {4, 3},   {4, 4},   {5, 4},   {8, 8},   {9, 8},    {16, 16},  {41, 4},
               {128, 2}, {129, 3}, {129, 4}, {129, 5}, {130, 4}, {1130, 4}, {2130, 8}, {2131, 8}};
    for (const Id& c : ids) {
        SCOPED_TRACE("id " + std::to_string(c.id) + " bits " + std::to_string(c.bits));
        std::string id = std::to_string(c.id), bits = std::to_string(c.bits);
        ASSERT_EQ(RunProgram({Tool(), "encode", "--id", id, "--bits", bits, home.File("tone.wav"),
                              home.File("tone.raw")}),
                  0);
        ASSERT_EQ(RunProgram({Tool(), "decode", "--id", id, "--bits", bits, "--rate", "8000",
                              home.File("tone.raw"), home.File("back.wav")}),
                  0);
        std::vector<int16_t> back;
        WaveFormat f;
        std::string err;
        ASSERT_TRUE(ReadWaveSamples(home.File("back.wav"), back, f, err)) << err;
        EXPECT_EQ(f.nSamplesPerSec, 8000u);
        ASSERT_GE(back.size(), 15000u);
        std::vector<int16_t> steady(back.begin() + 2000, back.begin() + 15000);
        EXPECT_GT(ToneShare(steady, 1000), 0.8);
    }
}

TEST(AudioTool, GsmWavAndBadInputs) {
    TempHome home;
    WriteTone(home.File("tone.wav"), 8000);
    ASSERT_EQ(RunProgram({Tool(), "gsmwav", home.File("tone.wav"), home.File("gsm.wav")}), 0);
    CWaveFile f;
    ASSERT_EQ(f.Open(home.File("gsm.wav")), 1);
    EXPECT_TRUE(f.Format().IsGsm());
    EXPECT_EQ(f.SampleCount(), 16000u);

    EXPECT_EQ(RunProgram({Tool(), "gsmwav", home.File("missing.wav"), home.File("x.wav")}), 1);
    EXPECT_EQ(
        RunProgram({Tool(), "decode", "--id", "77", home.File("tone.wav"), home.File("x.wav")}), 2);
    EXPECT_EQ(RunProgram({Tool(), "decode", "--id", "129", "--bits", "7", home.File("tone.wav"),
                          home.File("x.wav")}),
              1);
    EXPECT_EQ(
        RunProgram({Tool(), "decode", "--id", "4", home.File("missing.raw"), home.File("x.wav")}),
        1);
    EXPECT_EQ(RunProgram({Tool(), "encode", "--id", "4", home.File("tone.raw")}), 2);
    EXPECT_EQ(RunProgram({Tool(), "encode", "--id"}), 2);
}
