// Talking at the PC: what the talk path between a call and the sound card
// adds to the conversation's delay, and what a talked call costs.
//
// The card is the null backend at real speed, looped back (its microphone
// hears its speaker); the line is a queue backend driven by a far end that
// delivers and takes 20 ms every 20 ms, as the SIP stack does.
//
// Latency: clicks the far end says come back to it through the speaker and
// the microphone; the round trip, less nothing of the line's own, is both
// directions the path adds (far end to speaker, microphone to far end). It is
// given per direction (half the round trip), in ms and as a ratio to the
// card's period (10 ms), measured with the echo canceller off (it would take
// the clicks out), to which the canceller's frames are added: it gathers the
// microphone's sound 20 ms at a time, half a frame on the microphone's way on
// average. Goal: under 60 ms a direction.
//
// CPU: a talked call with the echo canceller on and a stereo recording to a
// WAV file, as a share of one core, less the same harness with no path (the
// reference, measured in the same run). Goal: under 3 % of a core.
#include "BenchFolder.h"

#include "audio/EchoCanceller.h"
#include "audio/QueueSoundBackend.h"
#include "audio/SoundBackend.h"
#include "audio/TalkCard.h"
#include "audio/TalkPath.h"
#include "audio/WaveFile.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kBlock = 160;
constexpr int kIn = 0, kOut = 1;
constexpr double kCardPeriodMs = 10;

// The far end: says voice(i) and keeps what it hears, at the line's pace.
class CFarEnd {
public:
    CFarEnd(CQueueSoundBackend& line, std::function<int16_t(size_t)> voice, size_t samples)
        : m_line(line), m_voice(std::move(voice)), m_nSamples(samples) {}
    void Run() {
        auto next = Clock::now();
        std::vector<int16_t> block(kBlock);
        for (size_t at = 0; at < m_nSamples; at += kBlock) {
            for (size_t i = 0; i < kBlock; ++i)
                block[i] = m_voice(at + i);
            m_line.Deliver(kIn, block.data(), kBlock);
            m_line.Take(kOut, block.data(), kBlock);
            m_heard.insert(m_heard.end(), block.begin(), block.end());
            next += std::chrono::milliseconds(20);
            std::this_thread::sleep_until(next);
        }
    }
    const std::vector<int16_t>& Heard() const { return m_heard; }

private:
    CQueueSoundBackend& m_line;
    std::function<int16_t(size_t)> m_voice;
    size_t m_nSamples;
    std::vector<int16_t> m_heard;
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The rates a card refuses that opens at `rate`.
std::vector<uint32_t> RefusedFor(uint32_t rate) {
    std::vector<uint32_t> refused;
    for (uint32_t r : kTalkCardRates)
        if (r != rate)
            refused.push_back(r);
    return refused;
}

struct Trip {
    double dLeast = -1; // ms; negative when no click came back
    double dMedian = -1;
};

// The round trips of clicks.
Trip RoundTrip(uint32_t rate) {
    constexpr size_t kEvery = 4000, kClicks = 12;
    CNullSoundBackend card;
    card.SetRefusedRates(RefusedFor(rate));
    card.SetEcho(0, 1.0);
    CQueueSoundBackend line("bench", {"wave/in", "wave/out"});
    CFarEnd farEnd(
        line, [](size_t i) { return int16_t(i % kEvery < 8 ? 16000 : 0); }, kEvery * (kClicks + 1));
    TalkSettings settings;
    settings.bEchoCancel = false;
    CTalkPath path(line, kIn, kOut, card, settings);
    std::string why;
    if (!path.Start(&why)) {
        std::fprintf(stderr, "talk path: %s\n", why.c_str());
        return {};
    }
    farEnd.Run();
    path.Stop();
    std::vector<double> trips;
    const std::vector<int16_t>& heard = farEnd.Heard();
    for (size_t click = kEvery; click + kEvery <= heard.size(); click += kEvery)
        for (size_t i = click; i < click + kEvery; ++i)
            if (std::abs(heard[i]) > 4000) {
                trips.push_back(double(i - click) * 1000 / 8000);
                break;
            }
    if (trips.empty())
        return {};
    std::sort(trips.begin(), trips.end());
    return {trips.front(), trips[trips.size() / 2]};
}

// CPU seconds per second of a talked call (bTalk) or of the harness alone.
double CallCost(uint32_t rate, bool bTalk, const std::string& folder) {
    constexpr size_t kSeconds = 10;
    CNullSoundBackend card;
    card.SetRefusedRates(RefusedFor(rate));
    card.SetEcho(rate * 20 / 1000, 0.3);
    CQueueSoundBackend line("bench", {"wave/in", "wave/out"});
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 2000);
    CFarEnd farEnd(
        line, [&](size_t) { return int16_t(std::lround(noise(rng))); }, 8000 * kSeconds);
    const double start = CpuSeconds();
    if (!bTalk) {
        // The card runs as it would, the line is driven: all but the path.
        std::atomic<bool> bStop{false};
        std::thread cardThread([&] {
            auto mic = card.OpenCapture(-1, PcmFormat(rate));
            auto speaker = card.OpenPlayback(-1, PcmFormat(rate));
            std::vector<int16_t> period(rate / 100);
            while (!bStop && mic->Read(period.data(), period.size(), 200) >= 0)
                speaker->Write(period.data(), period.size());
        });
        auto in = line.OpenCapture(kIn, PcmFormat(8000));
        std::thread lineThread([&] {
            std::vector<int16_t> block(kBlock);
            while (!bStop)
                in->Read(block.data(), kBlock, 100);
        });
        farEnd.Run();
        bStop = true;
        cardThread.join();
        lineThread.join();
        return (CpuSeconds() - start) / kSeconds;
    }
    CTalkPath path(line, kIn, kOut, card, TalkSettings{});
    std::string why;
    if (!path.Start(&why)) {
        std::fprintf(stderr, "talk path: %s\n", why.c_str());
        return -1;
    }
    auto recording = path.CallSound().OpenCapture(kIn, PcmFormat(8000, 16, 2));
    CWaveFile file;
    file.Create(folder + "talk.wav", PcmFormat(8000, 16, 2));
    std::thread recorder([&] {
        std::vector<int16_t> frames(2 * 800);
        long n = 0;
        while ((n = recording->Read(frames.data(), 800, 1000)) >= 0)
            file.WriteData(reinterpret_cast<const uint8_t*>(frames.data()), size_t(n) * 4);
    });
    farEnd.Run();
    path.Stop();
    recorder.join();
    file.CloseWrite();
    return (CpuSeconds() - start) / kSeconds;
}

} // namespace

int main() {
    const std::string folder = MakeBenchFolder();
    std::printf("talk path, mouth to ear, each direction: the least and the median of a "
                "dozen clicks (goal: under 60 ms)\n");
    for (uint32_t rate : {8000u, 48000u, 44100u}) {
        const Trip trip = RoundTrip(rate);
        if (trip.dLeast < 0)
            return 1;
        // The canceller's frames, on the microphone's way only: a quarter
        // of one on the mean of the two ways.
        const double echo = CEchoCanceller::kFrame * 1000.0 / 8000 / 4;
        const double least = trip.dLeast / 2 + echo, median = trip.dMedian / 2 + echo;
        std::printf("  card at %5u: %5.1f ms (%.1f card periods), median %5.1f ms (%.1f)\n", rate,
                    least, least / kCardPeriodMs, median, median / kCardPeriodMs);
    }
    std::printf("talked call with echo cancellation and a stereo recording (goal: under 3 %% "
                "of a core):\n");
    for (uint32_t rate : {8000u, 48000u}) {
        const double reference = CallCost(rate, false, folder);
        const double talk = CallCost(rate, true, folder);
        if (talk < 0)
            return 1;
        std::printf("  card at %5u: %.2f %% of a core (harness alone %.2f %%, the path %.2f %%)\n",
                    rate, 100 * talk, 100 * reference, 100 * (talk - reference));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
