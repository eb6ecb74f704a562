// The greeting recorder's logic: takes recorded from the null sound card or
// by a stand-in worker, played back, kept or discarded; the old greeting
// stays as it was until a take is kept.
#include "app/GreetingRecorder.h"
#include "audio/WaveDecoder.h"
#include "engine/CallState.h"

#include "FakeGreetingLine.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

namespace fs = std::filesystem;

std::string SpeechFile() {
    return SourceFile("tests/data/audio/speech.wav");
}

class GreetingRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("wave/greet.wav", kOldGreeting);
        setup.sFile = "./wave/greet.wav";
        setup.nMaxRecordMs = 1000;
    }
    static bool WaitIdle(CGreetingRecorder& rec) {
        return WaitUntil([&] { return !rec.Poll(); }, 60000);
    }
    std::string Greeting() const { return home.Read("wave/greet.wav"); }
    std::string TakeFile() const { return home.File("wave/greet.take.wav"); }

    static constexpr const char* kOldGreeting = "the old greeting, not touched";
    TempHome home;
    // The recorder thread records through the process's backend: the null
    // one in the tests.
    CNullSoundBackend& backend = ToneCard();
    CFakeGreetingLine line;
    CGreetingRecorder::Setup setup;
};

TEST_F(GreetingRecorderTest, ASoundCardTakeIsKeptOnlyWhenAskedAndDiscardLeavesTheOldGreeting) {
    CGreetingRecorder rec(backend, &line, setup);
    EXPECT_EQ(rec.GreetingPath(), home.File("wave/greet.wav"));

    ASSERT_TRUE(rec.RecordFromSoundCard(-1)) << rec.LastError();
    EXPECT_FALSE(rec.Listen()); // one request at a time
    ASSERT_TRUE(WaitIdle(rec));
    EXPECT_EQ(rec.LastError(), "");
    ASSERT_TRUE(rec.HasTake());
    // The length limit (on the clock; the null card runs faster) ended it.
    EXPECT_GE(rec.TakeMs(), 1000u);
    EXPECT_EQ(Greeting(), kOldGreeting);

    // Listening plays the take, whole.
    const uint64_t before = backend.FramesPlayed();
    ASSERT_TRUE(rec.Listen()) << rec.LastError();
    ASSERT_TRUE(WaitIdle(rec));
    EXPECT_EQ(backend.FramesPlayed() - before, rec.TakeMs() * 8u);

    rec.Discard();
    EXPECT_FALSE(rec.HasTake());
    EXPECT_EQ(Greeting(), kOldGreeting);
    EXPECT_FALSE(fs::exists(TakeFile()));

    ASSERT_TRUE(rec.RecordFromSoundCard(-1));
    ASSERT_TRUE(WaitIdle(rec));
    const uint32_t keptMs = rec.TakeMs();
    ASSERT_TRUE(rec.Keep()) << rec.LastError();
    EXPECT_FALSE(fs::exists(TakeFile()));
    DecodedWave wave;
    std::string error;
    ASSERT_TRUE(DecodeWaveFile(home.File("wave/greet.wav"), wave, &error)) << error;
    EXPECT_EQ(wave.samples.size(), keptMs * 8u);
}

TEST_F(GreetingRecorderTest, TheModemRecordsThroughTheWorkerWithTheChosenSource) {
    line.nLine = 2;
    auto pRec = std::make_unique<CGreetingRecorder>(backend, &line, setup);
    CGreetingRecorder& rec = *pRec;
    EXPECT_TRUE(line.bHeld) << "the worker is held quiet while the recorder is open";
    ASSERT_TRUE(rec.RecordFromModem(1)) << rec.LastError();
    EXPECT_EQ(line.nAction, kActionRecordGreeting);
    EXPECT_EQ(line.nLineDuringAction, 1);
    EXPECT_EQ(line.sFileDuringAction, TakeFile()); // never the greeting itself
    EXPECT_TRUE(rec.Poll());
    rec.Stop();
    EXPECT_TRUE(line.bStopped);

    // The worker records and finishes.
    fs::copy_file(SpeechFile(), line.sPlayFile);
    line.bPending = false;
    EXPECT_FALSE(rec.Poll());
    EXPECT_EQ(line.nLine, 2); // the source is put back
    EXPECT_TRUE(line.bHeld) << "and the worker held again";
    ASSERT_TRUE(rec.HasTake()) << rec.LastError();
    EXPECT_EQ(rec.TakeMs(), 4000u);
    EXPECT_EQ(Greeting(), kOldGreeting);

    // Played through the modem: the take, not the old greeting.
    ASSERT_TRUE(rec.PlayThroughModem(4));
    EXPECT_EQ(line.nAction, kActionPlayGreeting);
    EXPECT_EQ(line.nLineDuringAction, 4);
    EXPECT_EQ(line.sFileDuringAction, TakeFile());
    line.bPending = false;
    EXPECT_FALSE(rec.Poll());
    EXPECT_TRUE(rec.HasTake());
    pRec.reset();
    EXPECT_FALSE(line.bHeld) << "let go when the recorder goes";
}

TEST_F(GreetingRecorderTest, FailuresAreToldAndLoseNothing) {
    {
        // The worker ends without a recording (no modem answered).
        CGreetingRecorder rec(backend, &line, setup);
        ASSERT_TRUE(rec.RecordFromModem(0));
        line.bPending = false;
        EXPECT_FALSE(rec.Poll());
        EXPECT_FALSE(rec.HasTake());
        EXPECT_NE(rec.LastError().find("Nothing was recorded through the modem"), std::string::npos)
            << rec.LastError();
        EXPECT_FALSE(fs::exists(TakeFile()));
        EXPECT_EQ(Greeting(), kOldGreeting);

        line.bReady = false;
        EXPECT_FALSE(rec.RecordFromModem(0));
        EXPECT_NE(rec.LastError().find("not ready"), std::string::npos);
        line.bReady = true;
        EXPECT_FALSE(rec.PlayThroughModem(CGreetingRecorder::kVoiceSourceCount));
        EXPECT_NE(rec.LastError().find("no voice source 6"), std::string::npos);
        EXPECT_EQ(line.nAction, kActionRecordGreeting); // nothing more was asked
    }
    {
        // No worker at all: the modem's paths refuse, the sound card works.
        CGreetingRecorder rec(backend, nullptr, setup);
        EXPECT_FALSE(rec.RecordFromModem(0));
        // A device that refuses every rate.
        backend.SetRefusedRates({8000});
        ASSERT_TRUE(rec.RecordFromSoundCard(-1));
        ASSERT_TRUE(WaitIdle(rec));
        EXPECT_NE(rec.LastError().find("sound card failed"), std::string::npos) << rec.LastError();
        EXPECT_FALSE(rec.HasTake());
        backend.SetRefusedRates({});

        // A target that cannot be replaced: the take stays to try again.
        ASSERT_TRUE(rec.RecordFromSoundCard(-1));
        ASSERT_TRUE(WaitIdle(rec));
        ASSERT_TRUE(rec.HasTake());
        fs::create_directories(home.File("wave/folder.wav/inside"));
        rec.SetFileName("./wave/folder.wav");
        EXPECT_FALSE(rec.Keep());
        EXPECT_NE(rec.LastError().find("folder.wav"), std::string::npos) << rec.LastError();
        EXPECT_TRUE(rec.HasTake());
        rec.SetFileName("");
        EXPECT_FALSE(rec.Listen());
        EXPECT_NE(rec.LastError().find("file name"), std::string::npos);
    }
    // Closing the recorder throws an unkept take away.
    EXPECT_FALSE(fs::exists(TakeFile()));
    EXPECT_EQ(Greeting(), kOldGreeting);
}

} // namespace
