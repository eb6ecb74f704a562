// Sound devices and the recording thread on the null backend, which behaves
// like a card: timed by the clock, capturing from a source the test sets.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "audio/PlaySound.h"
#include "audio/RecThread.h"
#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr int kDeadlineMs = 60000;

CNullSoundBackend& NullBackend() {
    CNullSoundBackend* b = GetNullSoundBackend();
    EXPECT_NE(b, nullptr) << "tests run with VORELLA_AUDIO=null";
    return *b;
}

// A source playing a tone continuously across reads.
CNullSoundBackend::Source Tone(double hz, double amplitude, uint32_t rate) {
    auto phase = std::make_shared<uint64_t>(0);
    return [=](int16_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i, ++*phase)
            out[i] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * *phase / rate));
    };
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        NullBackend().SetSpeed(20);
        NullBackend().SetRefusedRates({});
        NullBackend().SetCaptureSource(Tone(1000, 8000, 8000));
    }
    void TearDown() override { NullBackend().SetCaptureSource(nullptr); }

    // Records until the options end it (or until `ms` of wall time passes,
    // then stops it).
    void Record(CRecThread& rec, CRecThread::Setup setup, int ms = kDeadlineMs) {
        rec.Start(setup);
        if (!rec.WaitFinished(ms))
            rec.Stop();
        ASSERT_TRUE(rec.WaitFinished(kDeadlineMs));
    }

    TempHome m_home;
};

} // namespace

TEST_F(Recording, CapturesIntoAWavFileSoxPlays) {
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = m_home.File("rec.wav");
    setup.options.bSoftAGC = false;
    setup.options.nMaxDurationMs = 300;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_EQ(rec.EndCode(), 0);
    EXPECT_GT(rec.SamplesWritten(), 8000u);
    std::string out;
    ASSERT_EQ(RunProgram({"soxi", "-s", setup.sFile}, &out), 0);
    EXPECT_EQ(std::stoull(out), rec.SamplesWritten());
    std::vector<int16_t> s;
    WaveFormat f;
    std::string err;
    ASSERT_TRUE(ReadWaveSamples(setup.sFile, s, f, err)) << err;
    EXPECT_GT(ToneShare(s, 1000), 0.95);
}

TEST_F(Recording, FallsBackToEightThousandWhenTheRateIsRefused) {
    NullBackend().SetRefusedRates({7200});
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 7200;
    setup.sFile = m_home.File("rec.wav");
    setup.options.nMaxDurationMs = 100;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_EQ(rec.SampleRate(), 8000u);
    std::string out;
    ASSERT_EQ(RunProgram({"soxi", "-r", setup.sFile}, &out), 0);
    EXPECT_EQ(out, "8000\n"); // the header tells the rate the sound really has

    NullBackend().SetRefusedRates({7200, 8000});
    Record(rec, setup);
    EXPECT_FALSE(rec.Succeeded());
    EXPECT_NE(rec.Error().find("cannot open sound input"), std::string::npos) << rec.Error();
}

TEST_F(Recording, SilenceEndsTheRecordingWithQ) {
    NullBackend().SetCaptureSource(nullptr); // a silent line
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = m_home.File("rec.wav");
    setup.options.bSilenceDetection = true;
    setup.options.iSilenceDetectionSensitivity = 50;
    setup.options.iSilenceDetectionTimeout = 30;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_EQ(rec.EndCode(), 'q');
    // The third quiet window ends it; the sample that completed it is dropped.
    EXPECT_EQ(rec.SamplesWritten(), 8000u + 8001 + 8001 - 1);
}

TEST_F(Recording, DefaultSensitivityKeepsRecordingSpeech) {
    std::vector<int16_t> speech = SpeechSample();
    auto pos = std::make_shared<size_t>(0);
    NullBackend().SetCaptureSource([=](int16_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            out[i] = speech[(*pos)++ % speech.size()];
    });
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = m_home.File("rec.wav");
    setup.options.bSilenceDetection = true;
    setup.options.iSilenceDetectionTimeout = 10; // one second
    setup.options.nMaxDurationMs = 400;          // about eight seconds of sound
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_EQ(rec.EndCode(), 0);
    EXPECT_GT(rec.SamplesWritten(), 3u * 8000);
}

TEST_F(Recording, StoresGsmWhenCompressionIsOn) {
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = m_home.File("rec.wav");
    setup.options.bCompressStorage = true;
    setup.options.bSoftAGC = false;
    setup.options.nMaxDurationMs = 800; // more than one batch of 81920 samples
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_GT(rec.SamplesWritten(), CWavNotify::kCompressBatch);
    CWaveFile f;
    ASSERT_EQ(f.Open(setup.sFile), 1) << f.LastError();
    EXPECT_TRUE(f.Format().IsGsm());
    EXPECT_EQ(f.SampleCount(), rec.SamplesWritten());
    f.CloseRead();
    std::string info;
    ASSERT_EQ(RunProgram({"soxi", setup.sFile}, &info), 0);
    EXPECT_NE(info.find("GSM"), std::string::npos);
    std::vector<int16_t> s;
    WaveFormat fmt;
    std::string err;
    ASSERT_TRUE(ReadWaveSamples(setup.sFile, s, fmt, err)) << err;
    EXPECT_GT(ToneShare(s, 1000), 0.8);
}

TEST_F(Recording, MonitorPlaysTheHighBytesAndCanBeSwitchedOff) {
    EXPECT_EQ(MonitorBufferBytes(8000), 2048u);
    uint64_t before = NullBackend().FramesPlayed();
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nSampleRate = 8000;
    setup.sFile = m_home.File("rec.wav");
    setup.options.bEnableSBOutput = true;
    setup.options.bSoftAGC = false;
    setup.options.nMaxDurationMs = 200;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_GE(NullBackend().FramesPlayed() - before, 1024u);
    for (int16_t s : NullBackend().RecentlyPlayed()) {
        auto u = static_cast<uint16_t>(s);
        ASSERT_EQ(u >> 8, u & 0xFF);
    }

    // Switched off while recording: the monitor closes and plays no more.
    setup.options.nMaxDurationMs = 0;
    uint64_t second = NullBackend().FramesPlayed();
    rec.Start(setup);
    while (NullBackend().FramesPlayed() < second + 4096 && !rec.IsFinished())
        SleepMs(5);
    rec.SetMonitor(false);
    uint64_t atSwitch = NullBackend().FramesPlayed();
    SleepMs(100); // two seconds of sound at this speed
    rec.Stop();
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_GT(rec.SamplesWritten(), 8000u);
    // At most the buffer being filled when the switch came.
    EXPECT_LE(NullBackend().FramesPlayed() - atSwitch, MonitorBufferBytes(8000) / 2);
}

TEST_F(Recording, UnwritableFileIsReported) {
    CRecThread rec;
    CRecThread::Setup setup;
    setup.sFile = m_home.File("no/such/folder/rec.wav");
    Record(rec, setup);
    EXPECT_FALSE(rec.Succeeded());
    EXPECT_NE(rec.Error().find("cannot create"), std::string::npos) << rec.Error();
}

namespace {

struct CountingOwner : IWaveOwner {
    int blocks = 0;
    int finished = 0;
    void OnBlockArrived(CWave&, CWaveBlock&) override { ++blocks; }
    void OnPlayFinished(CWave&) override { ++finished; }
};

} // namespace

TEST(WaveDevices, DevicesAreListedAndFoundByName) {
    std::vector<SoundDeviceInfo> in = GetSoundBackend().ListDevices(true);
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(FindSoundDevice(in[0].sName, true), 0);
    EXPECT_EQ(FindSoundDevice(in[0].sDescription, true), 0);
    EXPECT_EQ(FindSoundDevice("no such card", true), -1);
    EXPECT_EQ(FindSoundDevice("", false), -1);
    CWaveInDevice dev;
    EXPECT_TRUE(dev.Open(FindSoundDevice(in[0].sName, true), PcmFormat(8000)));
    EXPECT_FALSE(dev.Open(7, PcmFormat(8000)));
}

TEST(WaveDevices, AnEmptyBufferMakesNoBlock) {
    NullBackend().SetSpeed(0.01); // a buffer takes half a minute to fill
    CWaveInDevice in;
    ASSERT_TRUE(in.Open(-1, PcmFormat(8000)));
    CWave wave;
    CountingOwner owner;
    wave.SetOwner(&owner);
    ASSERT_TRUE(in.CaptureBuffer(wave, 4096, 0)); // nothing captured yet
    EXPECT_EQ(owner.blocks, 0);
    EXPECT_TRUE(wave.Blocks().IsEmpty());
    NullBackend().SetSpeed(100);
    ASSERT_TRUE(in.CaptureBuffer(wave, 512, kDeadlineMs));
    EXPECT_EQ(owner.blocks, 1);
    EXPECT_EQ(wave.Blocks().Blocks().front()->SampleCount(), 256u);
}

TEST(WaveDevices, PlaysEveryBlockAndTellsTheOwnerOnce) {
    NullBackend().SetSpeed(50);
    CWave wave;
    ASSERT_EQ(wave.SetFormat(8000, 16), 1);
    for (int i = 0; i < 5; ++i) {
        std::vector<int16_t> tone = SineWave(500, 3000, 800);
        std::vector<uint8_t> bytes(tone.size() * 2);
        std::memcpy(bytes.data(), tone.data(), bytes.size());
        wave.AddBlock(std::make_unique<CWaveBlock>(std::move(bytes), 800));
    }
    CountingOwner owner;
    wave.SetOwner(&owner);
    uint64_t before = NullBackend().FramesPlayed();
    CWaveOutDevice out;
    ASSERT_TRUE(out.Open(-1, PcmFormat(8000)));
    ASSERT_TRUE(out.Play(wave));
    out.WaitDone();
    EXPECT_EQ(NullBackend().FramesPlayed() - before, 4000u);
    EXPECT_EQ(owner.finished, 1);
    EXPECT_EQ(out.Playing(), 0);
    EXPECT_FALSE(out.IsOpen()); // closed when the last buffer finished
}

TEST(WaveDevices, PlaySoundSyncAsyncAndStop) {
    TempHome home;
    NullBackend().SetSpeed(50);
    CWaveFile f;
    ASSERT_EQ(f.Create(home.File("ring.wav"), PcmFormat(8000)), 1);
    std::vector<int16_t> tone = SineWave(440, 5000, 40000);
    ASSERT_TRUE(f.WriteSamples(tone.data(), tone.size()));
    ASSERT_TRUE(f.CloseWrite());

    uint64_t before = NullBackend().FramesPlayed();
    ASSERT_TRUE(PlaySoundFile(home.File("ring.wav"), false));
    EXPECT_EQ(NullBackend().FramesPlayed() - before, 40000u);
    EXPECT_FALSE(IsSoundPlaying());

    NullBackend().SetSpeed(1); // five real seconds: long enough to stop it midway
    before = NullBackend().FramesPlayed();
    ASSERT_TRUE(PlaySoundFile(home.File("ring.wav"), true));
    StopSound();
    EXPECT_FALSE(IsSoundPlaying());
    EXPECT_LT(NullBackend().FramesPlayed() - before, 40000u);

    EXPECT_FALSE(PlaySoundFile(home.File("missing.wav"), true));
}

TEST(WaveBuffers, FormatSerialisationAndBadInput) {
    CWave wave;
    EXPECT_EQ(wave.m_nSamplesPerSec, 11025u);
    EXPECT_EQ(wave.m_wBitsPerSample, 8);
    EXPECT_EQ(wave.SetFormat(8000, 12), 0);
    ASSERT_EQ(wave.SetFormat(8000, 16, 100), 1);
    EXPECT_EQ(wave.m_nAvgBytesPerSec, 8000u); // as designed: not times the block align
    EXPECT_EQ(wave.m_nBlockAlign, 2);
    ASSERT_EQ(wave.Blocks().GetCount(), 1u);
    EXPECT_EQ(wave.Blocks().Blocks().front()->Size(), 200u);
    wave.AddBlock(std::make_unique<CWaveBlock>(std::vector<uint8_t>{1, 2, 3, 4}, 2));

    std::string bytes;
    wave.Serialize(bytes);
    CWave copy;
    ASSERT_TRUE(copy.Deserialize(bytes));
    EXPECT_EQ(copy.m_nSamplesPerSec, 8000u);
    ASSERT_EQ(copy.Blocks().GetCount(), 2u);
    EXPECT_EQ(copy.Blocks().Blocks().back()->SampleCount(), 2u);
    EXPECT_EQ(copy.Blocks().Blocks().back()->Data()[3], 4);

    // Cut anywhere, or with a block claiming more bytes than follow: refused,
    // and the wave keeps what it had.
    for (size_t cut = 0; cut < bytes.size(); cut += 7)
        EXPECT_FALSE(copy.Deserialize(std::string_view(bytes).substr(0, cut))) << cut;
    std::string lying = bytes;
    lying[16] = '\x7f'; // block count
    EXPECT_FALSE(copy.Deserialize(lying));
    EXPECT_EQ(copy.Blocks().GetCount(), 2u);
}
