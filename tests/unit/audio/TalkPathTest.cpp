// Talking on a call through the sound card: the far end reaches the speaker
// and the microphone the far end at whatever rate the card takes, the
// recording hears both sides, a played sound replaces the microphone, the
// speaker's echo is taken out, and a card that goes away stops the talk.
// The line is a queue backend driven at its own pace by a far end on a test
// thread, as the SIP stack drives it; the card is the null backend.
#include "audio/TalkPath.h"
#include "AudioTestUtil.h"
#include "WaitUntil.h"
#include "audio/QueueSoundBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

namespace {

constexpr double kSpeed = 2; // the card's clock and the line's, times real time
constexpr int kIn = 0, kOut = 1;

std::vector<int16_t> Last(const std::vector<int16_t>& s, size_t n) {
    return {s.end() - static_cast<long>(std::min(n, s.size())), s.end()};
}

// One channel of a stereo recording.
std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, size_t c) {
    std::vector<int16_t> one;
    for (size_t i = c; i < stereo.size(); i += 2)
        one.push_back(stereo[i]);
    return one;
}

// The share of the 50 ms pieces of s that are the tone hz and little else:
// a machine this busy may leave a gap now and then between two clocks.
double CleanShare(const std::vector<int16_t>& s, double hz, double rate = 8000) {
    const size_t piece = static_cast<size_t>(rate / 20);
    size_t clean = 0, pieces = 0;
    for (size_t at = 0; at + piece <= s.size(); at += piece, ++pieces)
        clean += ToneShare(
                     {s.begin() + static_cast<long>(at), s.begin() + static_cast<long>(at + piece)},
                     hz, rate) > 0.9;
    return pieces ? double(clean) / double(pieces) : 0;
}

// The call's far end: says `voice` into the line and keeps what it hears,
// 20 ms at a time.
class CFarEnd {
public:
    using Voice = std::function<int16_t(size_t)>;
    CFarEnd(CQueueSoundBackend& line, Voice voice) : m_line(line), m_voice(std::move(voice)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~CFarEnd() {
        m_bStop = true;
        m_thread.join();
    }
    void Say(Voice voice) {
        std::lock_guard lock(m_mutex);
        m_voice = std::move(voice);
    }
    std::vector<int16_t> Heard() const {
        std::lock_guard lock(m_mutex);
        return m_heard;
    }
    // Waits until it has heard `ms` more of the call.
    void Listen(int ms) {
        const size_t until = Heard().size() + static_cast<size_t>(ms) * 8;
        ASSERT_TRUE(WaitUntil([&] { return Heard().size() >= until; }));
    }

private:
    void Run() {
        auto next = std::chrono::steady_clock::now();
        std::vector<int16_t> block(160);
        for (size_t at = 0; !m_bStop; at += block.size()) {
            {
                std::lock_guard lock(m_mutex);
                for (size_t i = 0; i < block.size(); ++i)
                    block[i] = m_voice(at + i);
            }
            m_line.Deliver(kIn, block.data(), block.size());
            m_line.Take(kOut, block.data(), block.size());
            {
                std::lock_guard lock(m_mutex);
                m_heard.insert(m_heard.end(), block.begin(), block.end());
            }
            next += std::chrono::microseconds(static_cast<long>(20000 / kSpeed));
            std::this_thread::sleep_until(next);
        }
    }
    CQueueSoundBackend& m_line;
    mutable std::mutex m_mutex;
    Voice m_voice;
    std::vector<int16_t> m_heard;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

CFarEnd::Voice Tone(double hz, double amplitude) {
    return [=](size_t i) {
        return static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / 8000)));
    };
}

class TalkPathTest : public ::testing::Test {
protected:
    TalkPathTest() { m_card.SetSpeed(kSpeed); }
    // The microphone hears a tone (at the card's rate).
    void Speak(double hz, double amplitude, uint32_t rate) {
        m_card.SetCaptureSource([=, at = size_t{0}](int16_t* frames, size_t count) mutable {
            for (size_t i = 0; i < count; ++i, ++at)
                frames[i] = static_cast<int16_t>(
                    std::lround(amplitude * std::sin(2 * M_PI * hz * double(at) / rate)));
        });
    }
    // Reads n frames of a recording.
    static std::vector<int16_t> Record(ICaptureStream& in, size_t n, int channels) {
        std::vector<int16_t> got(n * channels);
        size_t have = 0;
        while (have < n) {
            long r = in.Read(got.data() + have * channels, n - have, 1000);
            EXPECT_GE(r, 0);
            if (r < 0)
                break;
            have += static_cast<size_t>(r);
        }
        return got;
    }
    CNullSoundBackend m_card;
    CQueueSoundBackend m_line{"sip", {"wave/in", "wave/out"}};
    TalkSettings m_settings;
};

struct RateCase {
    std::vector<uint32_t> refused;
    uint32_t rate;
    uint16_t channels; // of the recording
};

class TalkPathRates : public TalkPathTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(TalkPathRates, BridgesBothWaysAndRecordsTheConversation) {
    const RateCase& c = GetParam();
    m_card.SetRefusedRates(c.refused);
    Speak(440, 8000, c.rate);
    CFarEnd farEnd(m_line, Tone(1000, 8000));
    CTalkPath path(m_line, kIn, kOut, m_card, m_settings);
    std::string why;
    ASSERT_TRUE(path.Start(&why)) << why;
    EXPECT_EQ(path.CardRate(), c.rate);
    auto recording = path.CallSound().OpenCapture(kIn, PcmFormat(8000, 16, c.channels));
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(path.CallSound().OpenCapture(kIn, PcmFormat(8000)), nullptr); // one at a time
    // Each way carries its voice, and the recording both. On a busy machine
    // the first blocks may come late; what counts is that the sound settles.
    EXPECT_TRUE(WaitUntil([&] { return CleanShare(Last(farEnd.Heard(), 4000), 440) > 0.5; }));
    EXPECT_TRUE(WaitUntil([&] {
        return CleanShare(Last(m_card.RecentlyPlayed(), c.rate / 10), 1000, c.rate) > 0.5;
    }));
    auto bothVoices = [&] {
        const std::vector<int16_t> half = Record(*recording, 4000, c.channels);
        if (c.channels == 1)
            return ToneShare(half, 1000) > 0.3 && ToneShare(half, 440) > 0.3;
        return CleanShare(Channel(half, 0), 1000) > 0.5 && CleanShare(Channel(half, 1), 440) > 0.5;
    };
    EXPECT_TRUE(WaitUntil(bothVoices));
    // The recording ends with the talk.
    path.Stop();
    std::vector<int16_t> rest(8000 * c.channels);
    long r = 0;
    while ((r = recording->Read(rest.data(), 8000, 1000)) > 0) {
    }
    EXPECT_EQ(r, -1);
}

INSTANTIATE_TEST_SUITE_P(Rates, TalkPathRates,
                         ::testing::Values(RateCase{{}, 8000, 1}, RateCase{{8000}, 48000, 2},
                                           RateCase{{8000, 48000}, 44100, 1},
                                           RateCase{{8000, 48000, 44100}, 16000, 2}));

TEST_F(TalkPathTest, VolumeMuteAndAPlayedSoundInPlaceOfTheMicrophone) {
    Speak(440, 8000, 8000);
    CFarEnd farEnd(m_line, Tone(1000, 8000));
    CTalkPath path(m_line, kIn, kOut, m_card, m_settings);
    ASSERT_TRUE(path.Start(nullptr));
    path.SetVolume(50);
    EXPECT_TRUE(
        WaitUntil([&] { return std::abs(Rms(Last(m_card.RecentlyPlayed(), 800)) - 2828) < 300; }));
    // The speaker's volume is the listener's: a recording hears the far end as it came.
    auto recording = path.CallSound().OpenCapture(kIn, PcmFormat(8000, 16, 2));
    ASSERT_NE(recording, nullptr);
    EXPECT_NEAR(Rms(Channel(Record(*recording, 1600, 2), 0)), 5657, 300);
    path.SetMute(true);
    EXPECT_TRUE(WaitUntil([&] { return Rms(Last(farEnd.Heard(), 800)) < 50; }));

    // A notice plays to the far end, muted or not; then the microphone again.
    auto notice = path.CallSound().OpenPlayback(kOut, PcmFormat(8000));
    ASSERT_NE(notice, nullptr);
    const std::vector<int16_t> tone = SineWave(2000, 8000, 4000);
    ASSERT_TRUE(notice->Write(tone.data(), tone.size()));
    EXPECT_TRUE(WaitUntil([&] { return ToneShare(Last(farEnd.Heard(), 800), 2000) > 0.9; }));
    notice->Drain();
    path.SetMute(false);
    EXPECT_TRUE(WaitUntil([&] { return ToneShare(Last(farEnd.Heard(), 800), 440) > 0.9; }));
    EXPECT_TRUE(path.Running());
    path.Stop();
    EXPECT_FALSE(notice->Write(tone.data(), tone.size()));
}

class TalkPathEcho : public TalkPathTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(TalkPathEcho, TheSpeakersEchoIsTakenOutAndTheTalkerPasses) {
    const uint32_t rate = GetParam();
    m_card.SetRefusedRates(rate == 8000 ? std::vector<uint32_t>{} : std::vector<uint32_t>{8000});
    // The microphone hears the speaker 30 ms later at half its level.
    m_card.SetEcho(rate * 30 / 1000, 0.5);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 3000);
    CFarEnd farEnd(m_line, [&](size_t) { return static_cast<int16_t>(std::lround(noise(rng))); });
    CTalkPath path(m_line, kIn, kOut, m_card, m_settings);
    ASSERT_TRUE(path.Start(nullptr));
    farEnd.Listen(4000);
    const double echo = 0.5 * 3000;
    const double residual = Rms(Last(farEnd.Heard(), 8000));
    EXPECT_GT(20 * std::log10(echo / std::max(residual, 1.0)), 25) << residual;

    Speak(440, 4000, rate);
    farEnd.Listen(1000);
    const std::vector<int16_t> heard = Last(farEnd.Heard(), 4000);
    // The talker's tone comes through at its level, the echo under it.
    const double talker = std::sqrt(ToneShare(heard, 440)) * Rms(heard);
    EXPECT_NEAR(20 * std::log10(talker / (4000 / std::sqrt(2))), 0, 3);
    EXPECT_GT(ToneShare(heard, 440), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Rates, TalkPathEcho, ::testing::Values(8000u, 48000u));

TEST_F(TalkPathTest, ACardThatCannotOpenOrGoesAwaySaysSo) {
    m_card.SetRefusedRates({8000, 48000, 44100, 16000});
    CTalkPath path(m_line, kIn, kOut, m_card, m_settings);
    std::string why;
    EXPECT_FALSE(path.Start(&why));
    EXPECT_EQ(why, "the default sound card cannot record: it opens at none of 8000, 48000, "
                   "44100, 16000 samples/s (mono, 16 bits)");
    EXPECT_FALSE(path.Running());

    m_card.SetRefusedRates({});
    CFarEnd farEnd(m_line, Tone(1000, 8000));
    ASSERT_TRUE(path.Start(&why)) << why;
    auto recording = path.CallSound().OpenCapture(kIn, PcmFormat(8000));
    ASSERT_NE(recording, nullptr);
    farEnd.Listen(200);
    m_card.SetUnplugged(true);
    EXPECT_TRUE(WaitUntil([&] { return !path.Running(); }));
    EXPECT_TRUE(path.Failure().starts_with("the default sound card stopped ")) << path.Failure();
    std::vector<int16_t> rest(8000);
    long r = 0;
    while ((r = recording->Read(rest.data(), rest.size(), 1000)) > 0) {
    }
    EXPECT_EQ(r, -1);

    // Plugged in again, the talk starts afresh; the old recording stays ended.
    m_card.SetUnplugged(false);
    ASSERT_TRUE(path.Start(&why)) << why;
    EXPECT_TRUE(path.Running());
    EXPECT_EQ(path.Failure(), "");
    EXPECT_EQ(recording->Read(rest.data(), rest.size(), 100), -1);
}

} // namespace
