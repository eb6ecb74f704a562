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

void StopSound() {
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    p.bStop = true;
    if (p.thread.joinable())
        p.thread.join();
    p.bPlaying = false;
}

bool IsSoundPlaying() {
    return GetPlayer().bPlaying;
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
        GetSoundBackend().OpenPlayback(deviceId, PcmFormat(format.nSamplesPerSec));
    if (!stream) {
        if (sError)
            *sError = StrPrintf("%s: no sound device plays %u samples/s", path.c_str(),
                                format.nSamplesPerSec);
        return false;
    }
    Player& p = GetPlayer();
    std::lock_guard lock(p.mutex);
    p.bStop = false;
    if (!bAsync) {
        PlayAll(*stream, samples, p.bStop);
        return true;
    }
    p.bPlaying = true;
    p.thread = std::thread([&p, s = std::move(stream), data = std::move(samples)]() mutable {
        PlayAll(*s, data, p.bStop);
        s.reset();
        p.bPlaying = false;
    });
    return true;
}
