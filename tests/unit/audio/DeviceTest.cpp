// Sound devices and the recording thread on the null backend, which behaves
// like a card: timed by the clock, capturing from a source the test sets.
#include "AudioTestUtil.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "audio/AlsaBackend.h"
#include "audio/AudioLog.h"
#include "audio/PlaySound.h"
#include "audio/RecThread.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <tuple>

namespace {

constexpr int kDeadlineMs = 60000;

CNullSoundBackend& NullBackend() {
    CNullSoundBackend* b = GetNullSoundBackend();
    EXPECT_NE(b, nullptr) << "tests run with VORELLA_AUDIO=null";
    return *b;
}

// A source playing the samples over and over across reads.
CNullSoundBackend::Source Looped(std::vector<int16_t> samples) {
    auto pos = std::make_shared<size_t>(0);
    return [=](int16_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            out[i] = samples[(*pos)++ % samples.size()];
    };
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override {
        NullBackend().SetSpeed(20);
        NullBackend().SetRefusedRates({});
        NullBackend().SetCaptureSource(Looped(SineWave(1000, 8000, 8000)));
    }
    void TearDown() override { NullBackend().SetCaptureSource(nullptr); }

    // 8000 samples/s into rec.wav, no level normalising, at most maxMs of
    // wall time (0: until stopped).
    CRecThread::Setup Setup(uint32_t maxMs) const {
        CRecThread::Setup setup;
        setup.nSampleRate = 8000;
        setup.sFile = m_home.File("rec.wav");
        setup.options.bSoftAGC = false;
        setup.options.nMaxDurationMs = maxMs;
        return setup;
    }
    // Records until the options end it (or until the deadline, then stops it).
    void Record(CRecThread& rec, const CRecThread::Setup& setup) {
        rec.Start(setup);
        if (!rec.WaitFinished(kDeadlineMs))
            rec.Stop();
        ASSERT_TRUE(rec.WaitFinished(kDeadlineMs));
    }

    TempHome m_home;
};

} // namespace

TEST_F(Recording, CapturesIntoAWavFileSoxPlaysAsPcmOrGsm) {
    for (bool bGsm : {false, true}) {
        SCOPED_TRACE(bGsm ? "GSM" : "PCM");
        CRecThread rec;
        CRecThread::Setup setup = Setup(bGsm ? 800 : 300); // GSM: more than one batch
        setup.options.bCompressStorage = bGsm;
        Record(rec, setup);
        ASSERT_TRUE(rec.Succeeded()) << rec.Error();
        EXPECT_EQ(rec.EndCode(), 0);
        EXPECT_GT(rec.SamplesWritten(), bGsm ? CWavNotify::kCompressBatch : 8000u);
        if (!bGsm) {
            EXPECT_EQ(Soxi("-s", setup.sFile), std::to_string(rec.SamplesWritten()));
        }
        EXPECT_EQ(RunProgram({"soxi", setup.sFile}).out.find("GSM") != std::string::npos, bGsm);
        CWaveFile f;
        ASSERT_EQ(f.Open(setup.sFile), 1) << f.LastError();
        EXPECT_EQ(f.Format().IsGsm(), bGsm);
        EXPECT_EQ(f.SampleCount(), rec.SamplesWritten());
        f.CloseRead();
        EXPECT_GT(ToneShare(ReadWav(setup.sFile), 1000), bGsm ? 0.8 : 0.95);
    }
}

TEST_F(Recording, FallsBackToEightThousandWhenTheRateIsRefused) {
    NullBackend().SetRefusedRates({7200});
    CRecThread rec;
    CRecThread::Setup setup = Setup(100);
    setup.nSampleRate = 7200;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_EQ(rec.SampleRate(), 8000u);
    EXPECT_EQ(Soxi("-r", setup.sFile), "8000"); // the header tells the rate the sound really has

    NullBackend().SetRefusedRates({7200, 8000});
    Record(rec, setup);
    EXPECT_FALSE(rec.Succeeded());
    EXPECT_NE(rec.Error().find("cannot open sound input"), std::string::npos) << rec.Error();
}

TEST_F(Recording, SilenceEndsTheRecordingWithQ) {
    NullBackend().SetCaptureSource(nullptr); // a silent line
    for (uint16_t channels : {1, 2}) {
        SCOPED_TRACE(channels);
        CRecThread rec;
        CRecThread::Setup setup = Setup(0);
        setup.nChannels = channels;    // a conversation is cut as one voice is
        setup.options.bSoftAGC = true; // the user's default
        setup.options.bSilenceDetection = true;
        setup.options.iSilenceDetectionSensitivity = 50;
        setup.options.iSilenceDetectionTimeout = 30;
        Record(rec, setup);
        ASSERT_TRUE(rec.Succeeded()) << rec.Error();
        EXPECT_EQ(rec.EndCode(), 'q');
        // The third quiet window ends it; the sample that completed it is dropped.
        EXPECT_EQ(rec.SamplesWritten(), 8000u + 8001 + 8001 - 1);
        EXPECT_EQ(Soxi("-c", setup.sFile), std::to_string(channels));
    }
}

// Two voices, one on each channel, are quiet only together, and one gain
// raises both so that they keep their balance.
TEST_F(Recording, TwoChannelsAreQuietTogetherAndKeepTheirBalance) {
    for (double left : {0.0, 2.0}) { // times the right voice
        CWaveFile file;
        ASSERT_TRUE(file.Create(m_home.File("talk.wav"), PcmFormat(8000, 16, 2)));
        RecordingOptions options; // the level normalised, as by default
        options.bSilenceDetection = true;
        options.iSilenceDetectionTimeout = 30; // under the four seconds fed
        CLevelNormalizer normalizer;
        const std::atomic<bool> stop{false};
        CWavNotify notify(options, &normalizer, file, stop);
        ASSERT_TRUE(notify.Begin(PcmFormat(8000, 16, 2)));
        std::vector<uint8_t> bytes;
        for (int16_t v : SineWave(440, 1000, 32000))
            for (auto s : {int16_t(v * left), v})
                bytes.insert(bytes.end(), {uint8_t(s & 0xFF), uint8_t(uint16_t(s) >> 8)});
        CWave wave;
        CWaveBlock block(std::move(bytes), 64000);
        notify.OnBlockArrived(wave, block);
        ASSERT_TRUE(notify.Finish() && file.CloseWrite());
        EXPECT_EQ(notify.EndCode(), 0) << left;
        const std::vector<int16_t> both = SoxSamples(m_home.File("talk.wav"));
        double sum[2] = {};
        for (size_t i = 0; i < both.size(); ++i)
            sum[i % 2] += double(both[i]) * both[i];
        EXPECT_NEAR(std::sqrt(sum[0] / sum[1]), left, 0.02);
        EXPECT_GT(sum[1], 32000 * 8e6) << "raised from 1000 to at least 4000";
    }
}

TEST_F(Recording, MonitorPlaysTheHighBytesAndCanBeSwitchedOff) {
    EXPECT_EQ(MonitorBufferBytes(8000), 2048u);
    uint64_t before = NullBackend().FramesPlayed();
    CRecThread rec;
    CRecThread::Setup setup = Setup(200);
    setup.options.bEnableSBOutput = true;
    Record(rec, setup);
    ASSERT_TRUE(rec.Succeeded()) << rec.Error();
    EXPECT_GE(NullBackend().FramesPlayed() - before, 1024u);
    for (int16_t s : NullBackend().RecentlyPlayed()) {
        auto u = static_cast<uint16_t>(s);
        ASSERT_EQ(u >> 8, u & 0xFF);
    }

    // Switched off while recording: the monitor closes and plays no more.
    auto captured = std::make_shared<std::atomic<uint64_t>>(0);
    NullBackend().SetCaptureSource(
        [captured, tone = Looped(SineWave(1000, 8000, 8000))](int16_t* out, size_t n) {
            tone(out, n);
            *captured += n;
        });
    setup.options.nMaxDurationMs = 0;
    uint64_t second = NullBackend().FramesPlayed();
    rec.Start(setup);
    ASSERT_TRUE(WaitUntil([&] { return NullBackend().FramesPlayed() >= second + 4096; }));
    rec.SetMonitor(false);
    const uint64_t atSwitch = NullBackend().FramesPlayed(), capturedAtSwitch = *captured;
    // Two more seconds of sound captured, none of it monitored.
    ASSERT_TRUE(WaitUntil([&] { return *captured >= capturedAtSwitch + 16000; }));
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
    std::vector<int16_t> tone = SineWave(500, 3000, 800);
    for (int i = 0; i < 5; ++i) {
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
    WriteWav(home.File("ring.wav"), SineWave(440, 5000, 40000));
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

// The sound card through ALSA, here a null PCM of the test's own: periods
// of 10 ms, played sound heard within four of them and started after the
// first, the reader woken each period; the log says so.
TEST(AlsaBackend, OpensTheCardWithShortPeriods) {
    TempHome home;
    WriteBytes(home.File("alsa.conf"), "pcm.default { type null }\n");
    setenv("ALSA_CONFIG_PATH", home.File("alsa.conf").c_str(), 1);
    std::vector<std::string> log;
    SetAudioLogSink([&](const std::string& line, AudioLogKind) { log.push_back(line); });
    std::unique_ptr<ISoundBackend> alsa = MakeAlsaBackend();
    for (uint32_t rate : {8000u, 44100u, 48000u}) {
        SCOPED_TRACE(rate);
        auto out = alsa->OpenPlayback(-1, PcmFormat(rate));
        auto in = alsa->OpenCapture(-1, PcmFormat(rate, 16, 2));
        ASSERT_TRUE(out && in);
        const std::optional<AlsaSetup> play = AlsaSetupOf(*out), rec = AlsaSetupOf(*in);
        ASSERT_TRUE(play && rec);
        const unsigned long period = rate / 100;
        EXPECT_EQ(std::tuple(play->nPeriod, play->nBuffer, play->nStartThreshold, play->nAvailMin),
                  std::tuple(period, 4 * period, period, period));
        EXPECT_EQ(std::tuple(rec->nPeriod, rec->nBuffer, rec->nAvailMin),
                  std::tuple(period, 10 * period, period));
    }
    SetAudioLogSink(nullptr);
    unsetenv("ALSA_CONFIG_PATH");
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "sound card default (playback): 48000 Hz, period 480, buffer 1920\n"),
              log.end());
}

TEST(WaveBuffers, AFormatGetsItsBlockSizes) {
    CWave wave;
    EXPECT_EQ(wave.SetFormat(8000, 12), 0);
    ASSERT_EQ(wave.SetFormat(8000, 16, 100), 1);
    EXPECT_EQ(wave.m_nAvgBytesPerSec, 8000u); // as designed: not times the block align
    EXPECT_EQ(wave.m_nBlockAlign, 2);
    ASSERT_EQ(wave.Blocks().GetCount(), 1u);
    EXPECT_EQ(wave.Blocks().Blocks().front()->Size(), 200u);
}
