// The generic adapter: line sound made by spandsp's transmitters comes in
// through a stand-in sound card and is heard as caller ID, keys and busy
// tone; the local phone's hook, keypad and ring come from input events
// through a pipe; a recorder gets the same line sound.
#include "AdapterTestWorker.h"
#include "InputEvents.h"
#include "WaitUntil.h"
#include "adapter/GenericAdapterLayer.h"
#include "adapter/HiPhoneDev.h"
#include "audio/SoundBackend.h"
#include "linesig/LineAudioSynth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <linux/input.h>
#include <thread>
#include <unistd.h>

namespace {

// A sound card whose capture hands out what the test pushes.
class CPushedCard : public ISoundBackend {
public:
    std::string Name() const override { return "pushed"; }
    std::vector<SoundDeviceInfo> ListDevices(bool) override { return {{"card", "Card"}}; }
    std::unique_ptr<ICaptureStream> OpenCapture(int, const WaveFormat&) override {
        return std::make_unique<Capture>(*this);
    }
    std::unique_ptr<IPlaybackStream> OpenPlayback(int, const WaveFormat&) override {
        return nullptr;
    }
    // The card fails (unplugged) or works again.
    void SetFailing(bool b) {
        std::lock_guard lock(m_mutex);
        m_bFailing = b;
        m_cv.notify_all();
    }
    void Push(const std::vector<int16_t>& s) {
        std::lock_guard lock(m_mutex);
        m_queue.insert(m_queue.end(), s.begin(), s.end());
        m_cv.notify_all();
    }

private:
    struct Capture : ICaptureStream {
        explicit Capture(CPushedCard& c) : card(c) {}
        long Read(int16_t* frames, size_t count, int timeoutMs) override {
            std::unique_lock lock(card.m_mutex);
            card.m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return !card.m_queue.empty() || card.m_bFailing; });
            if (card.m_bFailing)
                return -1;
            size_t n = std::min(count, card.m_queue.size());
            std::copy_n(card.m_queue.begin(), n, frames);
            card.m_queue.erase(card.m_queue.begin(), card.m_queue.begin() + static_cast<long>(n));
            return static_cast<long>(n);
        }
        CPushedCard& card;
    };
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<int16_t> m_queue;
    bool m_bFailing = false;
};

class GenericAdapterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::pipe(pipeFds), 0); }
    void TearDown() override {
        if (pipeFds[1] >= 0)
            ::close(pipeFds[1]);
        if (!bInputHandedOver)
            ::close(pipeFds[0]);
    }
    // With bInput the layer gets (and owns) the pipe's reading end.
    CHiPhoneDev::LayerFactory Layers(bool bInput) {
        return [this, bInput](std::string*) {
            GenericAdapterConfig c;
            c.pBackend = &card;
            c.nCaptureId = c.nPlaybackId = 0;
            if (bInput) {
                c.inputFd = pipeFds[0];
                bInputHandedOver = true;
            }
            return MakeGenericAdapterLayer(c);
        };
    }
    bool bInputHandedOver = false;

    int pipeFds[2] = {-1, -1};
    CPushedCard card;
    CTestAdapterWorker worker;
};

TEST_F(GenericAdapterTest, CallerIdKeysAndBusyToneAreHeardInTheLineSound) {
    CHiPhoneDev dev(Layers(false), worker);
    ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened);
    auto recorder = dev.OpenLineCapture();
    ASSERT_TRUE(recorder);

    std::string message = std::string("\x80\x00", 2) + std::string("\x02\x07" "5551234", 9) +
                          std::string("\x07\x03" "Ann", 5);
    std::vector<int16_t> line = SynthesiseLineAudio({
        LineAudioStep::Silence(300),
        LineAudioStep::CallerIdFsk(message, FskForm::EtsiV23),
        LineAudioStep::Silence(300),
        LineAudioStep::Keys("5#"),
        LineAudioStep::Silence(300),
        LineAudioStep::Tone("Europe busy", 3000),
        LineAudioStep::Silence(500),
    });
    card.Push(line);

    std::vector<ThreadMessage> got = worker.TakeUpTo(Key('b'));
    EXPECT_EQ(got, (std::vector<ThreadMessage>{
                       {kMsgCallerIdReady, 0, 0}, Key('5'), Key('#'), Key('b')}));
    std::string raw = dev.LastRawCallerId();
    EXPECT_NE(raw.find("5551234"), std::string::npos);
    EXPECT_NE(raw.find("Ann"), std::string::npos);

    // The recorder heard the same sound, sample for sample.
    std::vector<int16_t> heard;
    int16_t buf[800];
    while (heard.size() < line.size()) {
        long n = recorder->Read(buf, 800, 10000);
        ASSERT_GT(n, 0);
        heard.insert(heard.end(), buf, buf + n);
    }
    EXPECT_EQ(heard, line);

    dev.Close();
    EXPECT_EQ(recorder->Read(buf, 800, 10000), -1); // ended, not hanging
}

TEST_F(GenericAdapterTest, TheInputDeviceGivesHookKeypadAndRingUntilItGoesAway) {
    CHiPhoneDev dev(Layers(true), worker);
    ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened);
    int in = pipeFds[1];
    SendInput(in, EV_KEY, KEY_PHONE, 1);
    SendInput(in, EV_KEY, KEY_PHONE, 0);
    SendInput(in, EV_KEY, KEY_PICKUP_PHONE, 1);
    SendInput(in, EV_KEY, KEY_NUMERIC_B, 1);
    SendInput(in, EV_KEY, KEY_NUMERIC_B, 2); // auto-repeat: not another key
    SendInput(in, EV_KEY, KEY_NUMERIC_B, 0);
    SendInput(in, EV_SW, SW_HEADPHONE_INSERT, 1);
    SendInput(in, EV_KEY, KEY_A, 1); // no telephone key
    SendInput(in, EV_KEY, KEY_NUMERIC_STAR, 1);
    SendInput(in, EV_KEY, KEY_NUMERIC_POUND, 1);
    EXPECT_EQ(worker.TakeUpTo(Key('#')),
              (std::vector<ThreadMessage>{kRing, Key('B'), Key('*'), Key('#')}));
    EXPECT_TRUE(worker.bHandsetOffHook);

    SendInput(in, EV_KEY, KEY_HANGUP_PHONE, 1);
    ASSERT_TRUE(WaitUntil([&] { return worker.bStopRequest.load(); }));
    EXPECT_FALSE(worker.bHandsetOffHook);

    // Unplugged (the pipe's writer gone): the line sound still works.
    ::close(pipeFds[1]);
    pipeFds[1] = -1;
    card.Push(SynthesiseLineAudio({LineAudioStep::Keys("7"), LineAudioStep::Silence(200)}));
    EXPECT_EQ(worker.TakeUpTo(Key('7')), (std::vector<ThreadMessage>{Key('7')}));
    dev.Close();
}

TEST_F(GenericAdapterTest, ACardThatFailsEndsTheRecordingAndCanBeOpenedAgain) {
    CHiPhoneDev dev(Layers(false), worker);
    ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened);
    auto recorder = dev.OpenLineCapture();
    ASSERT_TRUE(recorder);
    card.SetFailing(true);
    int16_t buf[160];
    EXPECT_EQ(recorder->Read(buf, 160, 10000), -1); // the recording ends
    EXPECT_EQ(dev.OpenLineCapture(), nullptr);
    dev.Close();

    card.SetFailing(false);
    ASSERT_EQ(dev.Open(), AdapterOpenResult::Opened);
    card.Push(SynthesiseLineAudio({LineAudioStep::Keys("3"), LineAudioStep::Silence(200)}));
    EXPECT_EQ(worker.TakeUpTo(Key('3')), (std::vector<ThreadMessage>{Key('3')}));
}

TEST(GenericAdapterOpen, ACardOrInputDeviceThatIsNotThereIsNamedNotStoodInFor) {
    // The tests' sound layer lists one card, "null".
    std::string error;
    EXPECT_EQ(OpenGenericAdapter("hw:CARD=Gone", "", &error), nullptr)
        << "the default card would record the wrong sound";
    EXPECT_EQ(error, "the sound card hw:CARD=Gone is not there");
    error.clear();
    EXPECT_EQ(OpenGenericAdapter("null", "/nonexistent/event9", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/event9"), std::string::npos) << error;
    EXPECT_NE(OpenGenericAdapter("null", "", &error), nullptr);
}

} // namespace
