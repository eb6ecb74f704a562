#include "web/MediaSource.h"
#include "AudioTestUtil.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace {

// The whole of what a source serves, read in pieces of step bytes.
std::string Served(CMediaSource& source, size_t step = 4096) {
    std::string all(source.Size(), '\0');
    for (uint64_t at = 0; at < all.size();) {
        const auto n = source.Read(at, reinterpret_cast<uint8_t*>(all.data() + at), step);
        if (!n || *n == 0) {
            ADD_FAILURE() << "read at " << at << ": " << source.Error();
            return "";
        }
        at += *n;
    }
    return all;
}

struct FormatCase {
    const char* name;
    std::vector<std::string> soxFormat; // how sox writes the recording
    int maxDiff;                        // from sox's own reading of the recording
};

// The codings the recorder writes, made by sox from the speech sample.
const FormatCase kFormats[] = {
    {"pcm16", {"-e", "signed", "-b", "16"}, 0},
    {"pcm8", {"-e", "unsigned", "-b", "8"}, 0},
    {"stereo", {"-e", "signed", "-b", "16", "-c", "2"}, 2},
    {"alaw", {"-e", "a-law"}, 0},
    {"ulaw", {"-e", "u-law"}, 0},
    {"gsm", {"-e", "gsm-full-rate"}, 0},
};

TEST(MediaSource, ServesEveryRecordedCodingAsPcmThatSoxReads) {
    TempHome home;
    std::vector<int16_t> speech = SpeechSample();
    for (int i = 0; i < 3; ++i) // 12 s: several GSM segments
        speech.insert(speech.end(), speech.begin(), speech.begin() + 32000);
    WriteWav(home.File("speech.wav"), speech);
    for (const FormatCase& c : kFormats) {
        SCOPED_TRACE(c.name);
        const std::string recording = home.File(std::string(c.name) + ".wav");
        std::vector<std::string> args = {home.File("speech.wav")};
        args.insert(args.end(), c.soxFormat.begin(), c.soxFormat.end());
        args.push_back(recording);
        Sox(args);
        std::string error;
        std::unique_ptr<CMediaSource> source = CMediaSource::Open(recording, &error);
        ASSERT_TRUE(source) << error;
        const std::vector<int16_t> expected = SoxSamples(recording, true);
        EXPECT_EQ(source->Size(), 44 + 2 * expected.size());
        const std::string served = Served(*source);
        WriteBytes(home.File("served.wav"), served);
        ASSERT_EQ(Soxi("-e", home.File("served.wav")), "Signed Integer PCM");
        const std::vector<int16_t> got = SoxSamples(home.File("served.wav"));
        ASSERT_EQ(got.size(), expected.size());
        int worst = 0;
        size_t at = 0;
        for (size_t i = 0; i < got.size(); ++i)
            if (std::abs(got[i] - expected[i]) > worst) {
                worst = std::abs(got[i] - expected[i]);
                at = i;
            }
        EXPECT_LE(worst, c.maxDiff) << "at sample " << at;
        // Any range, in any order, is the same bytes as the whole.
        std::mt19937 random(30);
        for (int i = 0; i < 50; ++i) {
            const uint64_t first = random() % (served.size() + 10);
            std::string part(random() % 40000, '\0');
            const auto n =
                source->Read(first, reinterpret_cast<uint8_t*>(part.data()), part.size());
            ASSERT_TRUE(n) << source->Error();
            EXPECT_EQ(part.substr(0, *n),
                      served.substr(std::min<uint64_t>(first, served.size()), part.size()))
                << first << "+" << part.size();
        }
    }
}

} // namespace
