#include "audio/SoundBackend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Played sound no capture has heard yet is kept up to this much.
constexpr size_t kMaxEcho = 48000;

// Paces a stream by the clock: frames become due at `rate` per second
// (times the backend's speed) from the moment the stream opened.
class CPacer {
public:
    CPacer(CNullSoundBackend& backend, uint32_t rate)
        : m_backend(backend), m_nRate(rate ? rate : 8000), m_start(Clock::now()) {}

    // Frames due by now that have not been taken yet.
    uint64_t Due() const {
        double secs = std::chrono::duration<double>(Clock::now() - m_start).count();
        auto due = static_cast<uint64_t>(secs * m_nRate * m_backend.Speed());
        return due > m_nTaken ? due - m_nTaken : 0;
    }
    // The time at which `frames` more frames will be due.
    Clock::time_point WhenDue(uint64_t frames) const {
        double secs = static_cast<double>(m_nTaken + frames) / (m_nRate * m_backend.Speed());
        return m_start +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(secs));
    }
    void Take(uint64_t frames) { m_nTaken += frames; }

private:
    CNullSoundBackend& m_backend;
    uint32_t m_nRate;
    Clock::time_point m_start;
    uint64_t m_nTaken = 0;
};

class CNullCapture : public ICaptureStream {
public:
    CNullCapture(CNullSoundBackend& backend, const WaveFormat& format)
        : m_backend(backend), m_pacer(backend, format.nSamplesPerSec),
          m_nChannels(format.nChannels ? format.nChannels : 1) {}

    long Read(int16_t* frames, size_t count, int timeoutMs) override {
        if (m_backend.Unplugged())
            return -1;
        if (count == 0)
            return 0;
        // Like a card, hand over a whole buffer once it has been captured.
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        Clock::time_point when = m_pacer.WhenDue(count);
        if (when > deadline) {
            std::this_thread::sleep_until(deadline);
            return 0;
        }
        std::this_thread::sleep_until(when);
        std::vector<int16_t> mono(count);
        m_backend.Fill(mono.data(), count);
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < m_nChannels; ++c)
                frames[i * m_nChannels + c] = mono[i];
        m_pacer.Take(count);
        return static_cast<long>(count);
    }

private:
    CNullSoundBackend& m_backend;
    CPacer m_pacer;
    int m_nChannels;
};

class CNullPlayback : public IPlaybackStream {
public:
    CNullPlayback(CNullSoundBackend& backend, const WaveFormat& format)
        : m_backend(backend), m_pacer(backend, format.nSamplesPerSec),
          m_nChannels(format.nChannels ? format.nChannels : 1) {}

    bool Write(const int16_t* frames, size_t count) override {
        if (m_backend.Unplugged())
            return false;
        // A device queue of kQueueFrames: wait while it is fuller than that.
        m_nQueued += count;
        uint64_t played = m_pacer.Due();
        uint64_t limit = kQueueFrames;
        if (m_nQueued > played + limit)
            std::this_thread::sleep_until(m_pacer.WhenDue(m_nQueued - limit));
        std::vector<int16_t> mono(count);
        for (size_t i = 0; i < count; ++i)
            mono[i] = frames[i * m_nChannels];
        m_backend.AddPlayed(mono.data(), count);
        return true;
    }
    void Drain() override { std::this_thread::sleep_until(m_pacer.WhenDue(m_nQueued)); }
    void Reset() override {}

private:
    static constexpr uint64_t kQueueFrames = 4000;
    CNullSoundBackend& m_backend;
    CPacer m_pacer;
    int m_nChannels;
    uint64_t m_nQueued = 0;
};

ISoundBackend* ChooseBackend() {
    const char* env = std::getenv("VORELLA_AUDIO");
    std::string choice = env ? env : "";
    if (choice != "null" && (choice == "alsa" || AlsaHasSoundCard())) {
        if (std::unique_ptr<ISoundBackend> alsa = MakeAlsaBackend())
            return alsa.release();
    }
    return new CNullSoundBackend();
}

} // namespace

std::vector<SoundDeviceInfo> CNullSoundBackend::ListDevices(bool bCapture) {
    return {{"null", bCapture ? "Silent capture device" : "Silent playback device"}};
}

std::unique_ptr<ICaptureStream> CNullSoundBackend::OpenCapture(int deviceId,
                                                               const WaveFormat& format) {
    if (deviceId > 0 || !format.IsPcm() || format.wBitsPerSample != 16 ||
        Refuses(format.nSamplesPerSec) || Unplugged())
        return nullptr;
    return std::make_unique<CNullCapture>(*this, format);
}

std::unique_ptr<IPlaybackStream> CNullSoundBackend::OpenPlayback(int deviceId,
                                                                 const WaveFormat& format) {
    if (deviceId > 0 || !format.IsPcm() || format.wBitsPerSample != 16 ||
        Refuses(format.nSamplesPerSec) || Unplugged())
        return nullptr;
    return std::make_unique<CNullPlayback>(*this, format);
}

void CNullSoundBackend::SetCaptureSource(Source source) {
    std::lock_guard lock(m_mutex);
    m_source = std::move(source);
}

void CNullSoundBackend::SetSpeed(double speed) {
    std::lock_guard lock(m_mutex);
    m_dSpeed = speed > 0 ? speed : 1.0;
}

double CNullSoundBackend::Speed() const {
    std::lock_guard lock(m_mutex);
    return m_dSpeed;
}

void CNullSoundBackend::SetEcho(size_t delayFrames, double gain) {
    std::lock_guard lock(m_mutex);
    m_dEchoGain = gain;
    m_echo.assign(gain != 0 ? delayFrames : 0, 0);
}

void CNullSoundBackend::SetUnplugged(bool bUnplugged) {
    std::lock_guard lock(m_mutex);
    m_bUnplugged = bUnplugged;
}

bool CNullSoundBackend::Unplugged() const {
    std::lock_guard lock(m_mutex);
    return m_bUnplugged;
}

void CNullSoundBackend::SetRefusedRates(std::vector<uint32_t> rates) {
    std::lock_guard lock(m_mutex);
    m_refused = std::move(rates);
}

bool CNullSoundBackend::Refuses(uint32_t rate) const {
    std::lock_guard lock(m_mutex);
    for (uint32_t r : m_refused)
        if (r == rate)
            return true;
    return false;
}

void CNullSoundBackend::Fill(int16_t* frames, size_t count) {
    std::lock_guard lock(m_mutex);
    if (m_source)
        m_source(frames, count);
    else
        std::memset(frames, 0, count * sizeof *frames);
    for (size_t i = 0; i < count && m_dEchoGain != 0; ++i) {
        // Silence when the echo has not come yet.
        const int heard = m_echo.empty() ? 0 : m_echo.front();
        if (!m_echo.empty())
            m_echo.pop_front();
        frames[i] = static_cast<int16_t>(std::clamp(frames[i] + heard, -32768, 32767));
    }
}

void CNullSoundBackend::AddPlayed(const int16_t* frames, size_t count) {
    std::lock_guard lock(m_mutex);
    m_nPlayed += count;
    for (size_t i = 0; i < count && m_dEchoGain != 0; ++i)
        if (m_echo.size() < kMaxEcho)
            m_echo.push_back(static_cast<int16_t>(
                std::clamp(std::lround(frames[i] * m_dEchoGain), -32768L, 32767L)));
    m_recent.insert(m_recent.end(), frames, frames + count);
    if (m_recent.size() > 8000)
        m_recent.erase(m_recent.begin(), m_recent.end() - 8000);
}

uint64_t CNullSoundBackend::FramesPlayed() const {
    std::lock_guard lock(m_mutex);
    return m_nPlayed;
}

std::vector<int16_t> CNullSoundBackend::RecentlyPlayed() const {
    std::lock_guard lock(m_mutex);
    return m_recent;
}

ISoundBackend& GetSoundBackend() {
    // Made once, kept for the life of the process (devices may be in use
    // until the very end).
    static ISoundBackend* s_pBackend = ChooseBackend();
    return *s_pBackend;
}

int FindSoundDevice(const std::string& name, bool bCapture) {
    if (name.empty())
        return -1;
    std::vector<SoundDeviceInfo> list = GetSoundBackend().ListDevices(bCapture);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].sName == name || list[i].sDescription == name)
            return static_cast<int>(i);
    return -1;
}

CNullSoundBackend* GetNullSoundBackend() {
    return dynamic_cast<CNullSoundBackend*>(&GetSoundBackend());
}
