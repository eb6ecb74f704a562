#include "engine/RecordingSteps.h"
#include "TempHome.h"
#include "platform/FileUtil.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(RecordingSteps, PlayBlockSizes) {
    VoiceBlock adpcm = PlayBlockSize(20, 8000, 4, 4);
    EXPECT_EQ(adpcm.samples, 800u);
    EXPECT_EQ(adpcm.bytes, 800u); // twice the 400 coded bytes: room for DLE shielding
    VoiceBlock pcm16 = PlayBlockSize(20, 8000, 16, 16);
    EXPECT_EQ(pcm16.bytes, 3200u);
    // GSM: whole frames of 160 samples and 33 bytes.
    VoiceBlock gsm = PlayBlockSize(20, 8000, 8, kCompressionGsm);
    EXPECT_EQ(gsm.samples, 800u);
    EXPECT_EQ(gsm.bytes, 5u * 33);
    VoiceBlock tiny = PlayBlockSize(1, 8000, 8, kCompressionGsm);
    EXPECT_EQ(tiny.samples, 160u); // at least one frame
    EXPECT_EQ(tiny.bytes, 33u);
    // A block time of 0 or a huge rate from a hand-edited file still moves.
    EXPECT_GT(PlayBlockSize(0, 8000, 4, 4).samples, 0u);
    EXPECT_GT(PlayBlockSize(-5, 0, 0, 4).bytes, 0u);
    // 1 s at 48000 samples/s and 16 bits: the largest block there is.
    EXPECT_EQ(PlayBlockSize(INT32_MAX, INT32_MAX, INT32_MAX, 16).bytes, 960000u);
}

TEST(RecordingSteps, TimeLimitAndBadFrames) {
    EXPECT_TRUE(HasTimeLimit(10'000'000));
    EXPECT_FALSE(HasTimeLimit(10'000'001));
    EXPECT_TRUE(HasTimeLimit(0));

    CBadFrameCounter c;
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(c.Count(false));
    EXPECT_FALSE(c.Count(true)); // a good block starts the count again
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(c.Count(false));
    EXPECT_TRUE(c.Count(false)); // the fifth bad block in a row stops
}

class CompressRecordingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteFileAtomic(file, "PCM")); }
    bool Exists(const std::string& suffix) const { return FileExists(file + suffix); }
    std::string Content() const { return ReadWholeFile(file, 100).value_or("<missing>"); }

    TempHome home;
    std::string file = home.File("rec2008-01-02, 00_00_05.wav");
};

// Success (the GSM file under the recording's name, nothing left beside
// it) is the compressed-storage story's.
TEST_F(CompressRecordingTest, EveryFailureKeepsThePcmRecording) {
    auto convert = [](const std::string&, const std::string& dst) {
        return WriteFileAtomic(dst, "GSM");
    };
    // The converter fails half-way: its partial output goes.
    EXPECT_FALSE(CompressRecording(file, [](const std::string&, const std::string& dst) {
        WriteFileAtomic(dst, "partial");
        return false;
    }));
    EXPECT_EQ(Content(), "PCM");
    EXPECT_FALSE(Exists(".gsm"));

    // The recording cannot be moved aside.
    EXPECT_FALSE(CompressRecording(file, convert,
                                   [](const std::string&, const std::string&) { return false; }));
    EXPECT_EQ(Content(), "PCM");
    EXPECT_FALSE(Exists(".gsm"));

    // The compressed file cannot be moved into place: the recording comes back.
    int moves = 0;
    EXPECT_FALSE(
        CompressRecording(file, convert, [&](const std::string& from, const std::string& to) {
            return ++moves != 2 && std::rename(from.c_str(), to.c_str()) == 0;
        }));
    EXPECT_EQ(Content(), "PCM");
    EXPECT_FALSE(Exists(".gsm"));
    EXPECT_FALSE(Exists(".bak"));
}
