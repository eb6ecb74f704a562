#include "web/MediaSource.h"
#include "AudioTestUtil.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

// What a source serves from offset on, n bytes asked (all of it by default).
std::string Served(CMediaSource& source, uint64_t offset = 0, size_t n = SIZE_MAX) {
    std::string out(std::min<uint64_t>(n, source.Size() - std::min(offset, source.Size())), '\0');
    for (size_t at = 0; at < out.size();) {
        const auto got =
            source.Read(offset + at, reinterpret_cast<uint8_t*>(&out[at]), out.size() - at);
        if (!got || *got == 0)
            return "failed: " + source.Error();
        at += *got;
    }
    return out;
}

// The codings the recorder writes, as sox writes them.
const std::vector<std::vector<std::string>> kCodings = {
    {"-e", "signed", "-b", "16"}, {"-e", "unsigned", "-b", "8"}, {"-e", "a-law"}, {"-e", "u-law"},
    {"-e", "gsm-full-rate"},
};

TEST(MediaSource, ServesEveryRecordedCodingAsPcmThatSoxReadsTheSame) {
    TempHome home;
    const std::string speech = SourceFile("tests/data/audio/speech.wav");
    for (const std::vector<std::string>& coding : kCodings) {
        SCOPED_TRACE(coding[1]);
        const std::string recording = home.File("recording.wav");
        std::vector<std::string> args = {speech, speech, speech}; // 12 s: 3 GSM segments
        args.insert(args.end(), coding.begin(), coding.end());
        args.push_back(recording);
        Sox(args);
        std::string error;
        std::unique_ptr<CMediaSource> source = CMediaSource::Open(recording, &error);
        ASSERT_TRUE(source) << error;
        const std::vector<int16_t> expected = SoxSamples(recording);
        const std::string served = Served(*source);
        WriteBytes(home.File("served.wav"), served);
        EXPECT_EQ(source->Size(), 44 + 2 * expected.size());
        EXPECT_EQ(Soxi("-e", home.File("served.wav")), "Signed Integer PCM");
        EXPECT_TRUE(SoxSamples(home.File("served.wav")) == expected);
        // Any part, in any order, is that part of the whole.
        std::mt19937 random(30);
        for (int i = 0; i < 50; ++i) {
            const uint64_t first = random() % (served.size() + 10);
            const size_t n = random() % 40000;
            ASSERT_EQ(Served(*source, first, n), served.substr(std::min(first, served.size()), n))
                << first << "+" << n;
        }
    }
}

TEST(MediaSource, DamagedOrCutRecordingsGiveAClearErrorAndNoReadPastTheEnd) {
    TempHome home;
    const std::string speech = SourceFile("tests/data/audio/speech.wav");
    Sox({speech, "-e", "gsm-full-rate", home.File("gsm.wav")});
    Sox({speech, "-e", "ima-adpcm", home.File("ima.wav")});
    const std::string gsm = ReadBytes(home.File("gsm.wav"));
    const std::string pcm = ReadBytes(speech);
    const std::pair<std::string, std::string> kDamaged[] = {
        {"hello", "too short for a WAV file"},
        {std::string(gsm).replace(32, 1, "\x40"), "GSM 6.10 blocks of 64 bytes"},
        {std::string(pcm).replace(24, 4, std::string(4, '\0')), "a sample rate of 0"},
        {ReadBytes(home.File("ima.wav")), "format tag 17 cannot be played"},
    };
    for (const auto& [content, why] : kDamaged) {
        WriteBytes(home.File("bad.wav"), content);
        std::string error;
        EXPECT_FALSE(CMediaSource::Open(home.File("bad.wav"), &error));
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
    // Cut in the middle of a GSM block: the whole blocks are served.
    const size_t gsmData = gsm.find("data") + 8;
    WriteBytes(home.File("cut.wav"), gsm.substr(0, gsmData + 10 * 65 + 30));
    auto cut = CMediaSource::Open(home.File("cut.wav"), nullptr);
    ASSERT_TRUE(cut);
    EXPECT_EQ(Served(*cut).size(), 44u + 2 * 3200);
    // Cut while it is served: the read fails and says why.
    WriteBytes(home.File("shrinks.wav"), pcm);
    auto shrinks = CMediaSource::Open(home.File("shrinks.wav"), nullptr);
    ASSERT_TRUE(shrinks);
    std::filesystem::resize_file(home.File("shrinks.wav"), 1000);
    EXPECT_EQ(Served(*shrinks, 20000, 100),
              "failed: " + home.File("shrinks.wav") +
                  ": the recording was cut short while it was played");
}

} // namespace
