// WAV files against sox: what we write, sox reads with the right format and
// length (what sox writes, the player's tests read). Hand-made files cover the
// chunk layouts and damage found in the wild.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

// v as `bytes` bytes, low byte first.
void Le(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>(v >> (8 * i)));
}
std::string Chunk(const char* id, const std::string& body, int64_t sizeOverride = -1) {
    std::string c(id, 4);
    Le(c, static_cast<uint32_t>(sizeOverride >= 0 ? sizeOverride : int64_t(body.size())), 4);
    c += body;
    if (body.size() & 1)
        c.push_back('\0');
    return c;
}
std::string Fmt(uint16_t channels, uint16_t bits, size_t extraBytes = 0) {
    std::string f;
    Le(f, 1, 2);
    Le(f, channels, 2);
    Le(f, 8000, 4);
    Le(f, 8000u * channels * bits / 8, 4);
    Le(f, channels * bits / 8u, 2);
    Le(f, bits, 2);
    if (extraBytes >= 2) {
        Le(f, static_cast<uint32_t>(extraBytes - 2), 2);
        f.append(extraBytes - 2, 'x');
    }
    return Chunk("fmt ", f);
}
std::string Riff(const std::string& chunks, const char* form = "WAVE") {
    std::string r = "RIFF";
    Le(r, static_cast<uint32_t>(4 + chunks.size()), 4);
    return r + form + chunks;
}
std::string Samples16(std::initializer_list<int16_t> v) {
    std::string s;
    for (int16_t x : v)
        Le(s, static_cast<uint16_t>(x), 2);
    return s;
}

std::vector<int16_t> ReadAll(const std::string& path, CWaveFile& f) {
    EXPECT_EQ(f.Open(path), 1) << f.LastError();
    std::vector<int16_t> s;
    int16_t x;
    while (f.ReadSample(x))
        s.push_back(x);
    return s;
}

} // namespace

TEST(WaveFile, WhatWeWriteSoxReadsWithTheRightFormatAndLength) {
    TempHome home;
    std::vector<int16_t> tone = SineWave(440, 12000, 12345);
    for (uint16_t bits : {8, 16}) {
        for (uint16_t channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(channels) + " ch");
            std::string path = home.File("w" + std::to_string(bits * channels) + ".wav");
            CWaveFile f;
            ASSERT_EQ(f.Create(path, PcmFormat(11025, bits, channels)), 1);
            for (int16_t s : tone)
                ASSERT_TRUE(channels == 2 ? f.WriteStereo(s, static_cast<int16_t>(-s))
                                          : f.WriteSamples(&s, 1));
            ASSERT_TRUE(f.CloseWrite());
            EXPECT_EQ(Soxi("-r", path), "11025");
            EXPECT_EQ(Soxi("-c", path), std::to_string(channels));
            EXPECT_EQ(Soxi("-b", path), std::to_string(bits));
            EXPECT_EQ(Soxi("-s", path), "12345");
            std::vector<int16_t> back = SoxSamples(path);
            ASSERT_EQ(back.size(), tone.size() * channels);
            for (size_t i = 0; i < tone.size(); ++i) {
                int16_t expect = bits == 16 ? tone[i] : static_cast<int16_t>((tone[i] >> 8) * 256);
                ASSERT_EQ(back[i * channels], expect) << i;
            }
        }
    }
}

// A disk that fills up while a recording is written (here a file-size limit
// that is not a whole number of frames): the writer stops with the errno,
// and the file keeps the frames the disk took with sizes that say so, so
// that sox reads exactly the sound the header claims.
TEST(WaveFile, AFullDiskEndsTheSoundWhereTheFileEnds) {
    TempHome home;
    const std::string path = home.File("full.wav");
    CWaveFile f;
    ASSERT_EQ(f.Create(path, PcmFormat(8000, 16, 2)), 1);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 20000 * 4 + 1001; // 1.25 s of stereo and a part frame
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    bool bAllWritten = true;
    for (int16_t s : SineWave(440, 12000, 8000 * 4))
        if (!(bAllWritten = f.WriteStereo(s, s)))
            break;
    const bool bClosed = f.CloseWrite();
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(bAllWritten);
    EXPECT_FALSE(bClosed);
    EXPECT_EQ(f.WriteErrno(), EFBIG);
    EXPECT_EQ(f.DataWritten() % 4, 0u);
    EXPECT_EQ(std::filesystem::file_size(path), 44u + f.DataWritten());
    // The header's length, and the sound sox finds behind it.
    EXPECT_EQ(Soxi("-s", path), std::to_string(f.DataWritten() / 4));
    EXPECT_EQ(SoxSamples(path).size(), f.DataWritten() / 2);
}

TEST(WaveFile, ReadsTheChunkLayoutsAndRepairsTheSizesFoundInTheWild) {
    TempHome home;
    const std::string data = Samples16({1, 2, 3, 4, 5, 6});
    const std::vector<int16_t> all = {1, 2, 3, 4, 5, 6};
    // A size past the end: a copy that was cut short; an odd half sample at
    // the end is left out.
    std::string cut = Riff(Fmt(1, 16) + Chunk("data", data, 1000000));
    cut.pop_back();
    const struct {
        const char* name;
        std::string file;
        std::vector<int16_t> samples;
    } rows[] = {
        {"unknown chunks, pad bytes",
         Riff(Chunk("LIST", "abc") + Fmt(1, 16) + Chunk("fact", std::string(4, '\0')) +
              Chunk("cue ", "12345") + Chunk("data", data) + Chunk("LIST", "trailing")),
         all},
        {"format chunk of 18 bytes", Riff(Fmt(1, 16, 2) + Chunk("data", data)), all},
        {"format chunk of 20 bytes", Riff(Fmt(1, 16, 4) + Chunk("data", data)), all},
        {"format chunk of 40 bytes", Riff(Fmt(1, 16, 24) + Chunk("data", data)), all},
        {"eight bits",
         Riff(Fmt(1, 8) + Chunk("data", std::string("\x80\xff\x00", 3))),
         {0, 32512, -32768}},
        {"stereo, mixed", Riff(Fmt(2, 16) + Chunk("data", Samples16({1000, 3000}))), {2000}},
        // Size 0: a recorder that died before its first header refresh.
        {"data size 0", Riff(Fmt(1, 16) + Chunk("data", data, 0)), all},
        {"cut short", cut, {1, 2, 3, 4, 5}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(home.File("c.wav"), row.file);
        CWaveFile f;
        EXPECT_EQ(ReadAll(home.File("c.wav"), f), row.samples);
        int16_t x;
        EXPECT_FALSE(f.ReadSample(x)); // nothing past the data chunk
        if (std::string(row.name).starts_with("stereo")) {
            EXPECT_EQ(f.Left(), 1000);
            EXPECT_EQ(f.Right(), 3000);
        }
    }
}

// (A missing file and other bytes than RIFF: the player's bad files.)
TEST(WaveFile, RejectsWhatIsNotAWaveFileWithAClearError) {
    TempHome home;
    const struct {
        std::string content;
        const char* error;
    } cases[] = {
        {"", "too short"},
        {Riff(Fmt(1, 16), "AVI "), "not a RIFF WAVE"},
        {Riff(Chunk("data", "abcd")), "no format chunk"},
        {Riff(Fmt(1, 16)), "no data chunk"},
        // A chunk header claiming more than the file has, before the data.
        {Riff(Fmt(1, 16) + Chunk("junk", "ab", 0xFFFFFFF0u)), "no data chunk"},
        {Riff(Chunk("fmt ", "short")), "format chunk too short"},
        {Riff(Fmt(3, 16) + Chunk("data", "ab")), "channels"},
        {Riff(Fmt(1, 24) + Chunk("data", "abc")), "24-bit"},
    };
    for (const auto& b : cases) {
        WriteBytes(home.File("bad.wav"), b.content);
        CWaveFile f;
        EXPECT_EQ(f.Open(home.File("bad.wav")), 0) << b.error;
        EXPECT_NE(f.LastError().find(b.error), std::string::npos) << f.LastError();
        EXPECT_FALSE(f.IsOpen());
    }
}

TEST(GsmWave, ConvertedFilesAreGsmToSoxAndDecodeAlike) {
    TempHome home;
    std::vector<int16_t> speech = SpeechSample();
    speech.resize(1000); // not a whole block
    const std::string pcm = home.File("speech.wav"), gsm = home.File("speech-gsm.wav");
    WriteWav(pcm, speech);
    ASSERT_TRUE(ConvertToGsm(pcm, gsm));

    ProgramRun info = RunProgram({"soxi", gsm});
    EXPECT_NE(info.out.find("GSM"), std::string::npos) << info.out;
    EXPECT_EQ(Soxi("-r", gsm), "8000");
    EXPECT_EQ(Soxi("-c", gsm), "1");
    CWaveFile r;
    ASSERT_EQ(r.Open(gsm), 1);
    EXPECT_EQ(r.Format(), Gsm610Format());
    EXPECT_EQ(r.DataLength(), 4 * 65u); // 1000 samples fill four blocks
    EXPECT_EQ(r.SampleCount(), 1000u);  // the "fact" chunk keeps the true length
    r.CloseRead();

    std::vector<int16_t> ours = ReadWav(gsm);
    std::vector<int16_t> theirs = SoxSamples(gsm);
    ASSERT_EQ(ours.size(), 1000u);
    ASSERT_GE(theirs.size(), 1000u);
    theirs.resize(1000);
    EXPECT_EQ(ours, theirs);
    EXPECT_GT(SnrDb(speech, ours), 5);

    // vorella-tool's gsmwav converts a file alike.
    ASSERT_EQ(RunProgram({BuiltProgram("vorella-tool"), "gsmwav", pcm, home.File("t.wav")}).nExit,
              0);
    EXPECT_EQ(ReadBytes(home.File("t.wav")), ReadBytes(gsm));
}

TEST(GsmWave, FailedConversionLeavesTheTargetAloneAndARecordingConvertsInPlace) {
    TempHome home;
    const std::string target = home.File("target.wav");
    WriteBytes(target, "precious");
    WriteBytes(home.File("notwav.wav"), "this is not a wave file at all");
    std::string why;
    EXPECT_FALSE(ConvertToGsm(home.File("notwav.wav"), target, &why));
    EXPECT_NE(why.find("not a RIFF WAVE"), std::string::npos) << why;
    EXPECT_EQ(ReadBytes(target), "precious");
    EXPECT_FALSE(ConvertToGsm(home.File("missing.wav"), target));
    EXPECT_EQ(ReadBytes(target), "precious");
    // No stray temporary files either.
    for (const auto& e : std::filesystem::directory_iterator(home.Path()))
        EXPECT_FALSE(e.path().filename().string().starts_with("target.wav.")) << e.path();

    const std::string path = home.File("rec.wav");
    WriteWav(path, SineWave(1000, 8000, 16000));
    ASSERT_TRUE(ConvertToGsm(path, path));
    EXPECT_EQ(Soxi("-s", path), "16000");
    EXPECT_LT(std::filesystem::file_size(path), 4000u);
}

TEST(WaveFile, AKilledRecorderLeavesAPlayableFile) {
    TempHome home;
    const std::string path = home.File("killed.wav");
    BackgroundProgram recorder;
    std::string line;
    ASSERT_TRUE(recorder.Start({BuiltProgram("wav_kill_helper"), path, "10"}, &line, 60000));
    EXPECT_EQ(line, "ready");
    ASSERT_TRUE(recorder.Signal(SIGKILL));
    EXPECT_EQ(recorder.Wait(), 128 + SIGKILL); // killed, not ended

    EXPECT_GE(std::stod(Soxi("-D", path)), 7.0);
    std::vector<int16_t> played = SoxSamples(path);
    EXPECT_GE(played.size(), 7u * 8000);
    EXPECT_GT(ToneShare(played, 1000), 0.9);
}
