// The call list's player on the null sound device: files of every coding the
// program reads decode as sox decodes them and play to their end with the
// length soxi reports; seek, pause, stop and volume act on what the device
// gets; bad files give clear errors and leave the player empty.
#include "AudioTestUtil.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "audio/LocalPlayer.h"
#include "audio/WaveDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

std::string SpeechFile() {
    return SourceFile("tests/data/audio/speech.wav");
}

class LocalPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { backend.SetSpeed(20); }
    std::string Make(const std::string& name, std::vector<std::string> encoding) {
        std::string path = home.File(name);
        std::vector<std::string> args = {SpeechFile()};
        args.insert(args.end(), encoding.begin(), encoding.end());
        args.push_back(path);
        Sox(args);
        return path;
    }
    TempHome home;
    CNullSoundBackend backend;
};

TEST_F(LocalPlayerTest, EveryCodingDecodesAsSoxDecodesItAndPlaysToItsEnd) {
    const struct {
        const char* name;
        std::vector<std::string> encoding;
        int tolerance; // sox mixes stereo with rounding of its own
    } cases[] = {
        {"pcm16", {}, 0},
        {"pcm8", {"-b", "8"}, 0},
        {"stereo16", {"-c", "2"}, 2},
        {"alaw", {"-e", "a-law"}, 0},
        {"ulaw-stereo", {"-e", "u-law", "-c", "2"}, 2},
        {"ima", {"-e", "ima-adpcm"}, 0},
        {"ima-stereo", {"-e", "ima-adpcm", "-c", "2"}, 2},
        {"msadpcm", {"-e", "ms-adpcm"}, 0},
        {"msadpcm-stereo", {"-e", "ms-adpcm", "-c", "2"}, 2},
        {"gsm", {"-e", "gsm-full-rate"}, 0},
    };
    backend.SetSpeed(100);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = Make(std::string(c.name) + ".wav", c.encoding);
        DecodedWave wave;
        std::string error;
        ASSERT_TRUE(DecodeWaveFile(file, wave, &error)) << error;
        // As long as the speech it was made of (4 s): the "fact" chunk tells
        // where the last block's padding begins (sox itself plays the padding).
        EXPECT_EQ(wave.samples.size(), 32000u);
        EXPECT_EQ(wave.nSamplesPerSec, 8000u);
        const std::vector<int16_t> expected = SoxSamples(file, true);
        ASSERT_GE(expected.size(), wave.samples.size());
        int worst = 0;
        for (size_t i = 0; i < wave.samples.size(); ++i)
            worst = std::max(worst, std::abs(wave.samples[i] - expected[i]));
        EXPECT_LE(worst, c.tolerance);

        CLocalPlayer player(backend);
        ASSERT_TRUE(player.Open(file, &error)) << error;
        EXPECT_EQ(player.LengthMs(), 4000u);
        EXPECT_EQ(player.PositionMs(), 0u);
        const uint64_t before = backend.FramesPlayed();
        player.Play();
        EXPECT_TRUE(player.IsPlaying());
        ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }));
        EXPECT_TRUE(player.IsAtEnd());
        EXPECT_EQ(player.PositionMs(), player.LengthMs());
        EXPECT_EQ(player.LastError(), "");
        EXPECT_EQ(backend.FramesPlayed() - before, 32000u);
    }
}

TEST_F(LocalPlayerTest, SeekPauseStopAndVolumeActOnWhatTheDeviceGets) {
    backend.SetSpeed(1);
    CLocalPlayer player(backend);
    std::string error;
    ASSERT_TRUE(player.Open(SpeechFile(), &error)) << error;
    ASSERT_EQ(player.LengthMs(), 4000u);

    player.Seek(3000);
    EXPECT_EQ(player.PositionMs(), 3000u);
    player.Seek(99999); // past the end: clamped
    EXPECT_EQ(player.PositionMs(), 4000u);
    EXPECT_TRUE(player.IsAtEnd());

    // At the end, Play starts from the beginning.
    player.Play();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_LT(player.PositionMs(), 1000u);
    ASSERT_TRUE(WaitUntil([&] { return player.PositionMs() >= 100; }));

    // Paused, nothing more reaches the device and the position stays.
    player.Pause();
    EXPECT_FALSE(player.IsPlaying());
    const uint32_t paused = player.PositionMs();
    EXPECT_GT(paused, 0u);
    EXPECT_FALSE(player.IsAtEnd());

    // Seeking while playing continues from there.
    player.Play();
    player.Seek(3500);
    EXPECT_GE(player.PositionMs(), 3500u);
    ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }));
    EXPECT_TRUE(player.IsAtEnd());

    // Stop goes back to the start.
    player.Play();
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.PositionMs(), 0u);

    // Half volume halves the samples handed over.
    backend.SetSpeed(20);
    player.SetVolume(50);
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }));
    std::vector<int16_t> played = backend.RecentlyPlayed();
    std::vector<int16_t> original = SoxSamples(SpeechFile(), true);
    ASSERT_EQ(played.size(), 8000u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], original[original.size() - played.size() + i] * 50 / 100) << i;
}

TEST_F(LocalPlayerTest, AutomaticVolumeRaisesAQuietRecordingWithoutClipping) {
    // The speech at a tenth of its level, as a quiet line records it.
    const std::string quiet = home.File("quiet.wav");
    Sox({SpeechFile(), quiet, "vol", "0.1"});
    const std::vector<int16_t> original = SoxSamples(quiet, true);
    int peak = 0;
    for (int16_t s : original)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    ASSERT_GT(peak, CLocalPlayer::kAutoGainFloor);

    backend.SetSpeed(20);
    CLocalPlayer player(backend);
    std::string error;
    ASSERT_TRUE(player.Open(quiet, &error)) << error;
    player.SetAutoGain(true);
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }));
    const std::vector<int16_t> played = backend.RecentlyPlayed();
    int playedPeak = 0;
    for (int16_t s : played)
        playedPeak = std::max(playedPeak, std::abs(static_cast<int>(s)));
    // Louder by the same factor throughout, and the loudest moment below full scale.
    const double gain = CLocalPlayer::AutoGainFor(original);
    EXPECT_GT(gain, 5.0);
    EXPECT_LT(playedPeak, 32767);
    for (size_t i = 0; i < played.size(); ++i) {
        const int16_t was = original[original.size() - played.size() + i];
        ASSERT_NEAR(played[i], was * gain, 1.0) << i;
    }

    // Silence stays silence, full-scale audio is left as it is.
    EXPECT_EQ(CLocalPlayer::AutoGainFor(std::vector<int16_t>(800, 3)), 1.0);
    EXPECT_EQ(CLocalPlayer::AutoGainFor({0, 32767, -32768}), 1.0);
}

TEST_F(LocalPlayerTest, BadFilesGiveClearErrorsAndLeaveThePlayerEmpty) {
    const std::string speech = ReadBytes(SpeechFile());
    WriteBytes(home.File("text.wav"), "This is not a sound.\n");
    WriteBytes(home.File("cut-header.wav"), speech.substr(0, 30));
    std::string mp3 = speech;
    mp3[20] = 0x55; // format tag: MPEG layer 3
    WriteBytes(home.File("mp3.wav"), mp3);
    struct Case {
        std::string file;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {home.File("missing.wav"), "No such file"},
        {home.File("text.wav"), "not a RIFF WAVE file"},
        {home.File("cut-header.wav"), "format chunk too short"},
        {home.File("mp3.wav"), "format tag 85"},
    };
    CLocalPlayer player(backend);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string good;
        ASSERT_TRUE(player.Open(SpeechFile(), &good)) << good;
        std::string error;
        EXPECT_FALSE(player.Open(c.file, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
        EXPECT_EQ(player.LengthMs(), 0u);
        EXPECT_EQ(player.FileName(), "");
        player.Play();
        EXPECT_FALSE(player.IsPlaying());
    }

    // A file cut in its sound plays what it holds, as a recording cut off by
    // a crash does.
    WriteBytes(home.File("cut-data.wav"), speech.substr(0, 44 + 16000));
    std::string error;
    ASSERT_TRUE(player.Open(home.File("cut-data.wav"), &error)) << error;
    EXPECT_EQ(player.LengthMs(), 1000u);
}

TEST_F(LocalPlayerTest, ADeviceThatRefusesTheRateIsReported) {
    backend.SetRefusedRates({8000});
    CLocalPlayer player(backend);
    std::string error;
    ASSERT_TRUE(player.Open(SpeechFile(), &error)) << error;
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return !player.IsPlaying(); }));
    EXPECT_NE(player.LastError().find("8000 samples/s"), std::string::npos) << player.LastError();
    EXPECT_EQ(player.PositionMs(), 0u);
}

} // namespace
