// WAV files against sox: what we write, sox reads with the right format and
// length; what sox writes, we read. Hand-made files cover the chunk layouts
// and damage found in the wild.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Soxi(const std::string& option, const std::string& path) {
    std::string out;
    EXPECT_EQ(RunProgram({"soxi", option, path}, &out), 0) << path;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The file's samples as sox decodes them: 16-bit signed little-endian mono.
std::vector<int16_t> SoxSamples(const std::string& path, bool bMixToMono = false) {
    std::string raw;
    std::vector<std::string> argv = {"sox", path, "-t", "raw", "-e", "signed", "-b", "16"};
    if (bMixToMono) {
        argv.push_back("-c");
        argv.push_back("1");
    }
    argv.push_back("-");
    EXPECT_EQ(RunProgram(argv, &raw), 0);
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
}

void Le16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}
void Le32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
std::string Chunk(const char* id, const std::string& body, int64_t sizeOverride = -1) {
    std::string c(id, 4);
    Le32(c, sizeOverride >= 0 ? static_cast<uint32_t>(sizeOverride)
                              : static_cast<uint32_t>(body.size()));
    c += body;
    if (body.size() & 1)
        c.push_back('\0');
    return c;
}
std::string FmtBody(uint16_t channels, uint16_t bits, size_t extraBytes = 0) {
    std::string f;
    Le16(f, 1);
    Le16(f, channels);
    Le32(f, 8000);
    Le32(f, 8000u * channels * bits / 8);
    Le16(f, static_cast<uint16_t>(channels * bits / 8));
    Le16(f, bits);
    if (extraBytes >= 2) {
        Le16(f, static_cast<uint16_t>(extraBytes - 2));
        f.append(extraBytes - 2, 'x');
    }
    return f;
}
std::string Riff(const std::string& chunks, const char* form = "WAVE") {
    std::string r = "RIFF";
    Le32(r, static_cast<uint32_t>(4 + chunks.size()));
    r += form;
    return r + chunks;
}
std::string Samples16(std::initializer_list<int16_t> v) {
    std::string s;
    for (int16_t x : v)
        Le16(s, static_cast<uint16_t>(x));
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
            std::string path =
                home.File("w" + std::to_string(bits) + std::to_string(channels) + ".wav");
            CWaveFile f;
            ASSERT_EQ(f.Create(path, PcmFormat(11025, bits, channels)), 1);
            if (channels == 2) {
                for (int16_t s : tone)
                    ASSERT_TRUE(f.WriteStereo(s, static_cast<int16_t>(-s)));
            } else {
                ASSERT_TRUE(f.WriteSamples(tone.data(), tone.size()));
            }
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
    std::vector<int16_t> tone = SineWave(440, 12000, 8000 * 4);
    CWaveFile f;
    ASSERT_EQ(f.Create(path, PcmFormat(8000, 16, 2)), 1);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 20000 * 4 + 1001; // 1.25 s of stereo and a part frame
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    bool bAllWritten = true;
    for (int16_t s : tone)
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

TEST(WaveFile, WhatSoxWritesWeRead) {
    TempHome home;
    struct Variant {
        std::vector<std::string> options;
        bool bStereo;
    } variants[] = {
        {{"-b", "16"}, false},
        {{"-b", "8", "-e", "unsigned"}, false},
        {{"-b", "16", "-c", "2"}, true},
        // A comment makes sox add a LIST chunk the reader must step over.
        {{"-b", "16", "--comment", "odd length"}, false},
    };
    int k = 0;
    for (const Variant& v : variants) {
        std::string path = home.File("sox" + std::to_string(k++) + ".wav");
        std::vector<std::string> argv = {"sox", "-n", "-r", "8000"};
        argv.insert(argv.end(), v.options.begin(), v.options.end());
        for (const char* a : {"synth", "0.5", "sine", "300", "vol", "0.5"})
            argv.push_back(a);
        argv.insert(argv.end() - 6, path);
        ASSERT_EQ(RunProgram(argv), 0);
        CWaveFile f;
        std::vector<int16_t> ours = ReadAll(path, f);
        EXPECT_EQ(ours.size(), 4000u) << path;
        EXPECT_EQ(f.SampleCount(), 4000u);
        std::vector<int16_t> theirs = SoxSamples(path, v.bStereo);
        ASSERT_EQ(theirs.size(), ours.size());
        for (size_t i = 0; i < ours.size(); ++i)
            ASSERT_NEAR(ours[i], theirs[i], v.bStereo ? 3 : 0) << path << " sample " << i;
    }
}

TEST(WaveFile, SkipsUnknownChunksAndHonoursPadBytes) {
    TempHome home;
    std::string data = Samples16({100, -200, 300});
    for (size_t fmtExtra : {0, 2, 4, 24}) {
        std::string file = Riff(Chunk("LIST", "abc") + Chunk("fmt ", FmtBody(1, 16, fmtExtra)) +
                                Chunk("fact", std::string(4, '\0')) + Chunk("cue ", "12345") +
                                Chunk("data", data) + Chunk("LIST", "trailing"));
        WriteBinaryFile(home.File("c.wav"), file);
        CWaveFile f;
        EXPECT_EQ(ReadAll(home.File("c.wav"), f), (std::vector<int16_t>{100, -200, 300}))
            << "format chunk of " << 16 + fmtExtra << " bytes";
    }
}

TEST(WaveFile, EightBitAndStereoSamplesReadAsDesigned) {
    TempHome home;
    WriteBinaryFile(home.File("u8.wav"), Riff(Chunk("fmt ", FmtBody(1, 8)) +
                                              Chunk("data", std::string("\x80\xff\x00", 3))));
    CWaveFile f;
    EXPECT_EQ(ReadAll(home.File("u8.wav"), f), (std::vector<int16_t>{0, 32512, -32768}));
    WriteBinaryFile(home.File("st.wav"),
                    Riff(Chunk("fmt ", FmtBody(2, 16)) + Chunk("data", Samples16({1000, 3000}))));
    EXPECT_EQ(ReadAll(home.File("st.wav"), f), (std::vector<int16_t>{2000}));
    EXPECT_EQ(f.Left(), 1000);
    EXPECT_EQ(f.Right(), 3000);
    int16_t x;
    EXPECT_FALSE(f.ReadSample(x)); // nothing past the data chunk
}

TEST(WaveFile, RepairsDataSizesOfCrashedAndCutFiles) {
    TempHome home;
    std::string data = Samples16({1, 2, 3, 4, 5, 6});
    // Size 0: a recorder that died before its first header refresh.
    WriteBinaryFile(home.File("zero.wav"),
                    Riff(Chunk("fmt ", FmtBody(1, 16)) + Chunk("data", data, 0)));
    CWaveFile f;
    EXPECT_EQ(ReadAll(home.File("zero.wav"), f).size(), 6u);
    // A size past the end: a copy that was cut short; an odd half sample at
    // the end is left out.
    std::string cut = Riff(Chunk("fmt ", FmtBody(1, 16)) + Chunk("data", data, 1000000));
    cut.pop_back();
    WriteBinaryFile(home.File("cut.wav"), cut);
    EXPECT_EQ(ReadAll(home.File("cut.wav"), f), (std::vector<int16_t>{1, 2, 3, 4, 5}));
    // A chunk header claiming more than the file has, before the data.
    std::string bogus = Riff(Chunk("fmt ", FmtBody(1, 16)) + Chunk("junk", "ab", 0xFFFFFFF0u));
    WriteBinaryFile(home.File("bogus.wav"), bogus);
    EXPECT_EQ(f.Open(home.File("bogus.wav")), 0);
    EXPECT_NE(f.LastError().find("no data chunk"), std::string::npos) << f.LastError();
}

TEST(WaveFile, RejectsWhatIsNotAWaveFileWithAClearError) {
    TempHome home;
    struct Bad {
        std::string content;
        const char* error;
    } cases[] = {
        {"", "too short"},
        {std::string("RIFX\x10\0\0\0WAVEfmt ", 16), "not a RIFF WAVE"},
        {Riff(Chunk("fmt ", FmtBody(1, 16)), "AVI "), "not a RIFF WAVE"},
        {Riff(Chunk("data", "abcd")), "no format chunk"},
        {Riff(Chunk("fmt ", FmtBody(1, 16))), "no data chunk"},
        {Riff(Chunk("fmt ", "short")), "format chunk too short"},
        {Riff(Chunk("fmt ", FmtBody(3, 16)) + Chunk("data", "ab")), "channels"},
        {Riff(Chunk("fmt ", FmtBody(1, 24)) + Chunk("data", "abc")), "24-bit"},
    };
    for (const Bad& b : cases) {
        WriteBinaryFile(home.File("bad.wav"), b.content);
        CWaveFile f;
        EXPECT_EQ(f.Open(home.File("bad.wav")), 0) << b.error;
        EXPECT_NE(f.LastError().find(b.error), std::string::npos) << f.LastError();
        EXPECT_FALSE(f.IsOpen());
    }
    CWaveFile f;
    EXPECT_EQ(f.Open(home.File("missing.wav")), 0);
    EXPECT_NE(f.LastError().find("cannot open"), std::string::npos);
}

TEST(GsmWave, ConvertedFilesAreGsmToSoxAndDecodeAlike) {
    TempHome home;
    std::vector<int16_t> speech = SpeechSample();
    std::string pcm = home.File("speech.wav");
    CWaveFile w;
    ASSERT_EQ(w.Create(pcm, PcmFormat(8000)), 1);
    ASSERT_TRUE(w.WriteSamples(speech.data(), 1000)); // not a whole block
    ASSERT_TRUE(w.CloseWrite());
    std::string gsm = home.File("speech-gsm.wav");
    ASSERT_TRUE(ConvertToGsm(pcm, gsm));

    std::string info;
    ASSERT_EQ(RunProgram({"soxi", gsm}, &info), 0);
    EXPECT_NE(info.find("GSM"), std::string::npos) << info;
    EXPECT_EQ(Soxi("-r", gsm), "8000");
    EXPECT_EQ(Soxi("-c", gsm), "1");
    CWaveFile r;
    ASSERT_EQ(r.Open(gsm), 1);
    EXPECT_EQ(r.Format(), Gsm610Format());
    EXPECT_EQ(r.DataLength(), 4 * 65u); // 1000 samples fill four blocks
    EXPECT_EQ(r.SampleCount(), 1000u);  // the "fact" chunk keeps the true length
    r.CloseRead();

    std::vector<int16_t> ours;
    WaveFormat fmt;
    std::string err;
    ASSERT_TRUE(ReadWaveSamples(gsm, ours, fmt, err)) << err;
    std::vector<int16_t> theirs = SoxSamples(gsm);
    ASSERT_EQ(ours.size(), 1000u);
    ASSERT_GE(theirs.size(), 1000u);
    theirs.resize(1000);
    EXPECT_EQ(ours, theirs);
    std::vector<int16_t> original(speech.begin(), speech.begin() + 1000);
    EXPECT_GT(SnrDb(original, ours), 5);
}

TEST(GsmWave, ReadsWhatSoxEncodes) {
    TempHome home;
    std::string gsm = home.File("sox-gsm.wav");
    ASSERT_EQ(RunProgram({"sox", "-n", "-r", "8000", "-e", "gsm-full-rate", gsm, "synth", "1",
                          "sine", "1000", "vol", "0.5"}),
              0);
    std::vector<int16_t> ours;
    WaveFormat fmt;
    std::string err;
    ASSERT_TRUE(ReadWaveSamples(gsm, ours, fmt, err)) << err;
    EXPECT_TRUE(fmt.IsGsm());
    std::vector<int16_t> theirs = SoxSamples(gsm);
    ASSERT_EQ(ours.size(), 8000u);
    theirs.resize(ours.size());
    EXPECT_EQ(ours, theirs);
    EXPECT_GT(ToneShare(ours, 1000), 0.8);
}

TEST(GsmWave, FailedConversionLeavesTheTargetAlone) {
    TempHome home;
    WriteBinaryFile(home.File("target.wav"), "precious");
    WriteBinaryFile(home.File("notwav.wav"), "this is not a wave file at all");
    std::string why;
    EXPECT_FALSE(ConvertToGsm(home.File("notwav.wav"), home.File("target.wav"), &why));
    EXPECT_NE(why.find("not a RIFF WAVE"), std::string::npos) << why;
    EXPECT_EQ(ReadBinaryFile(home.File("target.wav")), "precious");
    EXPECT_FALSE(ConvertToGsm(home.File("missing.wav"), home.File("target.wav")));
    EXPECT_EQ(ReadBinaryFile(home.File("target.wav")), "precious");
    // No stray temporary files either.
    std::string listing;
    RunProgram({"ls", "-A", home.Path()}, &listing);
    EXPECT_EQ(listing.find("target.wav."), std::string::npos) << listing;
}

TEST(GsmWave, ConvertsARecordingInPlace) {
    TempHome home;
    std::string path = home.File("rec.wav");
    CWaveFile w;
    ASSERT_EQ(w.Create(path, PcmFormat(8000)), 1);
    std::vector<int16_t> tone = SineWave(1000, 8000, 16000);
    ASSERT_TRUE(w.WriteSamples(tone.data(), tone.size()));
    ASSERT_TRUE(w.CloseWrite());
    ASSERT_TRUE(ConvertToGsm(path, path));
    EXPECT_EQ(Soxi("-s", path), "16000");
    EXPECT_LT(ReadBinaryFile(path).size(), 4000u);
}

TEST(WaveFile, AKilledRecorderLeavesAPlayableFile) {
    TempHome home;
    std::string path = home.File("killed.wav");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        execl(WAV_KILL_HELPER, WAV_KILL_HELPER, path.c_str(), "10", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 60000), 1);
    char buf[16] = {};
    ASSERT_GT(read(fds[0], buf, sizeof buf - 1), 0);
    EXPECT_STREQ(buf, "ready\n");
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_GE(std::stod(Soxi("-D", path)), 7.0);
    std::vector<int16_t> played = SoxSamples(path);
    EXPECT_GE(played.size(), 7u * 8000);
    EXPECT_GT(ToneShare(played, 1000), 0.9);
}
