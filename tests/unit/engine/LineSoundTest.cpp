// The play and record loops every device without a modem's voice stream
// shares (a telephony line's call, the USB adapter): a play goes out at the
// phone's volume, silent when muted, as through the modem; while it
// records, the recording flag the window and the tray read is set, whoever
// asked for the recording, and clearing it, as the user's "stop recording"
// does, ends it.
#include "TempHome.h"
#include "WaitUntil.h"

#include "audio/QueueSoundBackend.h"
#include "audio/WaveFile.h"
#include "engine/CallState.h"
#include "engine/LineSound.h"
#include "engine/Phone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

TEST(LineSound, ARecordingKeepsTheRecordingFlagSetAndEndsWhenItIsCleared) {
    TempHome home;
    CPhone phone;
    bool bSeen = false;
    std::thread user([&] {
        bSeen = WaitUntil([&] { return phone.CallState().EngineState().bRecording.load(); }, 10000);
        phone.CallState().EngineState().bRecording = false;
    });
    // The process's (null) sound card; the limit only bounds a failing test.
    const RecordResult r = RecordFromLineDevice(
        phone, {}, home.File("greeting.wav"), 20000, [] { return false; }, "Record");
    user.join();
    EXPECT_TRUE(bSeen) << "the flag was set while the line was recorded";
    EXPECT_TRUE(r.bOpened);
    EXPECT_FALSE(phone.CallState().EngineState().bRecording);
    EXPECT_LT(r.nSamples, 8000u * 10) << "it ended when the flag was cleared, not at its limit";
}

struct VolumeCase {
    const char* label;
    int iVolume;
    bool bMute;
    double factor; // of the file's samples on the line
};

class LineSoundVolume : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(LineSoundVolume, APlayGoesOutAtThePhonesVolume) {
    const VolumeCase& c = GetParam();
    TempHome home;
    CPhone phone;
    phone.m_iVolume = c.iVolume;
    phone.m_bMute = c.bMute;
    // A quarter of a second of a ramp, short enough for the device's queue.
    std::vector<int16_t> file(2000);
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<int16_t>((static_cast<int>(i % 200) - 100) * 80);
    CWaveFile wav;
    ASSERT_TRUE(wav.Create(home.File("play.wav"), PcmFormat(8000)));
    ASSERT_TRUE(wav.WriteSamples(file.data(), file.size()));
    ASSERT_TRUE(wav.CloseWrite());

    CQueueSoundBackend line("test line", {"call"});
    ASSERT_TRUE(PlayFileToLineDevice(
        phone, {&line, 0}, home.File("play.wav"), [] { return false; }, "Play"));
    std::vector<int16_t> sent(4000);
    sent.resize(line.Take(0, sent.data(), sent.size()));
    ASSERT_EQ(sent.size(), file.size());
    for (size_t i = 0; i < file.size(); i += 37)
        EXPECT_NEAR(sent[i], std::lround(file[i] * c.factor), 1) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(Volumes, LineSoundVolume,
                         ::testing::Values(VolumeCase{"unchanged", 50, false, 1.0},
                                           VolumeCase{"loudest", 100, false, 2.0},
                                           VolumeCase{"quietest", 0, false, 0.5},
                                           VolumeCase{"muted", 50, true, 0.0}),
                         [](const auto& i) { return std::string(i.param.label); });

} // namespace
