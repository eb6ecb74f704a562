#include "audio/PlaySound.h"

#include "audio/Cacm.h"
#include "audio/SoundBackend.h"
#include "platform/TextUtil.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Sounds longer than this are not ring tones or greetings.
constexpr size_t kMaxSamples = 48000u * 60 * 10;
constexpr size_t kChunk = 1024;

struct Player {
    std::mutex mutex;
    std::thread thread;
    std::atomic<bool> bStop{false};
    std::atomic<bool> bPlaying{false};
    uint64_t nPlay = 0; // the last play started, under mutex
};

Player& GetPlayer() {
    static Player* s_pPlayer = new Player; // lives as long as the process
    return *s_pPlayer;
}

void PlayAll(IPlaybackStream& stream, const std::vector<int16_t>& samples,
             const std::atomic<bool>& bStop) {
    for (size_t i = 0; i < samples.size() && !bStop; i += kChunk) {
        if (!stream.Write(samples.data() + i, std::min(kChunk, samples.size() - i)))
            return;
    }
    if (bStop)
        stream.Reset();
    else
        stream.Drain();
}

} // namespace

namespace {

// Under p.mutex.
void StopLocked(Player& p) {
    p.bStop = true;
    if (p.thread.joinable())
        p.thread.join();
    p.bPlaying = false;
}

} // namespace

void StopSound() {
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    StopLocked(p);
}

void StopSoundPlay(uint64_t nPlay) {
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    if (p.nPlay == nPlay)
        StopLocked(p);
}

bool IsSoundPlaying() {
    return GetPlayer().bPlaying;
}

namespace {

std::unique_ptr<IPlaybackStream> OpenStream(const std::string& what, uint32_t rate, int deviceId,
                                            std::string* sError) {
    std::unique_ptr<IPlaybackStream> stream =
        GetSoundBackend().OpenPlayback(deviceId, PcmFormat(rate));
    if (!stream && sError)
        *sError = StrPrintf("%s: no sound device plays %u samples/s", what.c_str(), rate);
    return stream;
}

// Under p.mutex: a sound started meanwhile by another thread is stopped too.
uint64_t StartInBackground(Player& p, std::unique_ptr<IPlaybackStream> stream,
                           std::vector<int16_t> samples) {
    StopLocked(p);
    p.bStop = false;
    p.bPlaying = true;
    p.thread = std::thread([&p, s = std::move(stream), data = std::move(samples)]() mutable {
        PlayAll(*s, data, p.bStop);
        s.reset();
        p.bPlaying = false;
    });
    return ++p.nPlay;
}

} // namespace

uint64_t PlaySoundSamples(std::vector<int16_t> samples, uint32_t rate, int deviceId,
                          std::string* sError) {
    StopSound();
    std::unique_ptr<IPlaybackStream> stream = OpenStream("speech", rate, deviceId, sError);
    if (!stream)
        return 0;
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    return StartInBackground(p, std::move(stream), std::move(samples));
}

bool PlaySoundFile(const std::string& path, bool bAsync, int deviceId, std::string* sError) {
    StopSound();
    std::vector<int16_t> samples;
    WaveFormat format;
    std::string error;
    if (!ReadWaveSamples(path, samples, format, error, kMaxSamples)) {
        if (sError)
            *sError = error;
        return false;
    }
    std::unique_ptr<IPlaybackStream> stream =
        OpenStream(path, format.nSamplesPerSec, deviceId, sError);
    if (!stream)
        return false;
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    if (!bAsync) {
        p.bStop = false;
        ++p.nPlay;
        PlayAll(*stream, samples, p.bStop);
        return true;
    }
    StartInBackground(p, std::move(stream), std::move(samples));
    return true;
}
