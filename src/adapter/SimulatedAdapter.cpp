#include "adapter/SimulatedAdapter.h"

#include "audio/SoundBackend.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace {

// The most sound kept of what was played: ten minutes.
constexpr size_t kMaxPlayed = 8000 * 600;

class CSimLayer : public IAdapterDeviceLayer {
public:
    explicit CSimLayer(std::shared_ptr<CSimulatedAdapter> sim) : m_sim(std::move(sim)) {}
    // Takes back only its own sink: a newer layer over the same adapter
    // may have set one since.
    ~CSimLayer() override { m_sim->ClearSink(m_pSink); }

    void SetSink(IAdapterEventSink* pSink) override {
        m_pSink = pSink;
        m_sim->SetSink(pSink);
    }
    bool Open() override { return m_sim->Op("open"); }
    bool OpenFallback() override { return m_sim->Op("open-fallback"); }
    void Close() override { m_sim->Op("close"); }
    bool OffHook() override { return m_sim->Op("off-hook"); }
    bool OnHook() override { return m_sim->Op("on-hook"); }
    void StopPlay() override { m_sim->Op("stop-play"); }
    void StopRecord() override { m_sim->Op("stop-record"); }
    int WaveOutId() override { return m_sim->Present() ? 0 : -1; }
    int WaveInId() override { return m_sim->Present() ? 0 : -1; }
    ISoundBackend& SoundBackend() override { return m_sim->Sound(); }

private:
    std::shared_ptr<CSimulatedAdapter> m_sim;
    IAdapterEventSink* m_pSink = nullptr;
};

// The streams keep the adapter alive: the worker may hold one longer than
// the layer it came from.
class CSimCapture : public ICaptureStream {
public:
    explicit CSimCapture(std::shared_ptr<CSimulatedAdapter> sim) : m_sim(std::move(sim)) {}
    long Read(int16_t* frames, size_t count, int timeoutMs) override {
        return m_sim->ReadLine(frames, count, timeoutMs);
    }

private:
    std::shared_ptr<CSimulatedAdapter> m_sim;
};

// As the adapter's wave-out device, it takes sound at the line's rate: a
// write waits while more than a short queue of it is still to be sent, so
// a play lasts as long as its sound and the line's events reach it.
class CSimPlayback : public IPlaybackStream {
public:
    explicit CSimPlayback(std::shared_ptr<CSimulatedAdapter> sim) : m_sim(std::move(sim)) {}
    bool Write(const int16_t* frames, size_t count) override {
        if (m_nWritten == 0)
            m_start = std::chrono::steady_clock::now();
        m_nWritten += count;
        if (m_nWritten > kQueueFrames)
            std::this_thread::sleep_until(DueAt(m_nWritten - kQueueFrames));
        return m_sim->WriteLine(frames, count);
    }
    void Drain() override { std::this_thread::sleep_until(DueAt(m_nWritten)); }
    void Reset() override {}

private:
    static constexpr uint64_t kQueueFrames = 1600; // 200 ms

    // When the line will have taken the first n frames.
    std::chrono::steady_clock::time_point DueAt(uint64_t n) const {
        return m_start + std::chrono::microseconds(n * 1000000 / 8000);
    }

    std::shared_ptr<CSimulatedAdapter> m_sim;
    std::chrono::steady_clock::time_point m_start;
    uint64_t m_nWritten = 0;
};

// The adapter's own sound device: one line, 8000 samples/s mono.
class CSimSound : public ISoundBackend {
public:
    explicit CSimSound(CSimulatedAdapter& sim) : m_sim(sim) {}
    std::string Name() const override { return "simulated adapter"; }
    std::vector<SoundDeviceInfo> ListDevices(bool) override {
        return {{"line", "Simulated adapter line"}};
    }
    std::unique_ptr<ICaptureStream> OpenCapture(int deviceId, const WaveFormat& format) override {
        if (!Fits(deviceId, format))
            return nullptr;
        return std::make_unique<CSimCapture>(m_sim.shared_from_this());
    }
    std::unique_ptr<IPlaybackStream> OpenPlayback(int deviceId,
                                                  const WaveFormat& format) override {
        if (!Fits(deviceId, format))
            return nullptr;
        return std::make_unique<CSimPlayback>(m_sim.shared_from_this());
    }

private:
    bool Fits(int deviceId, const WaveFormat& f) const {
        return (deviceId == 0 || deviceId == -1) && m_sim.Present() && f.IsPcm() &&
               f.nChannels == 1 && f.wBitsPerSample == 16 && f.nSamplesPerSec == 8000;
    }
    CSimulatedAdapter& m_sim;
};

} // namespace

std::shared_ptr<CSimulatedAdapter> CSimulatedAdapter::Create() {
    return std::shared_ptr<CSimulatedAdapter>(new CSimulatedAdapter());
}

CSimulatedAdapter::CSimulatedAdapter() : m_pSound(std::make_unique<CSimSound>(*this)) {}

CSimulatedAdapter::~CSimulatedAdapter() = default;

std::unique_ptr<IAdapterDeviceLayer> CSimulatedAdapter::Connect() {
    if (!Present())
        return nullptr;
    return std::make_unique<CSimLayer>(shared_from_this());
}

std::function<std::unique_ptr<IAdapterDeviceLayer>(std::string*)> CSimulatedAdapter::Factory() {
    std::weak_ptr<CSimulatedAdapter> weak = weak_from_this();
    return [weak](std::string*) -> std::unique_ptr<IAdapterDeviceLayer> {
        auto sim = weak.lock();
        return sim ? sim->Connect() : nullptr;
    };
}

void CSimulatedAdapter::SetPresent(bool bPresent) {
    std::lock_guard lock(m_mutex);
    m_bPresent = bPresent;
}

void CSimulatedAdapter::SetOpenWorks(bool bOpen, bool bFallback) {
    std::lock_guard lock(m_mutex);
    m_bOpenWorks = bOpen;
    m_bFallbackWorks = bFallback;
}

void CSimulatedAdapter::Vanish() {
    {
        std::lock_guard lock(m_mutex);
        m_bPresent = false;
        m_bOpen = false;
        m_bOffHook = false;
    }
    m_soundCv.notify_all();
}

bool CSimulatedAdapter::Event(int code, int param) {
    std::lock_guard lock(m_sinkMutex);
    if (!m_pSink || !Present())
        return false;
    m_pSink->OnShortEvent(code, param);
    return true;
}

bool CSimulatedAdapter::TextEvent(int code, int param, std::string_view text) {
    std::lock_guard lock(m_sinkMutex);
    if (!m_pSink || !Present())
        return false;
    m_pSink->OnTextEvent(code, param, text);
    return true;
}

std::vector<std::string> CSimulatedAdapter::Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

bool CSimulatedAdapter::IsOffHook() const {
    std::lock_guard lock(m_mutex);
    return m_bOffHook;
}

bool CSimulatedAdapter::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_bOpen;
}

void CSimulatedAdapter::QueueLineSound(const std::vector<int16_t>& sound) {
    {
        std::lock_guard lock(m_mutex);
        m_lineSound.insert(m_lineSound.end(), sound.begin(), sound.end());
    }
    m_soundCv.notify_all();
}

std::vector<int16_t> CSimulatedAdapter::TakePlayed() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_played, {});
}

ISoundBackend& CSimulatedAdapter::Sound() {
    return *m_pSound;
}

bool CSimulatedAdapter::Op(const char* name, bool bResult) {
    std::lock_guard lock(m_mutex);
    m_calls.emplace_back(name);
    if (!m_bPresent)
        return false;
    std::string_view op = name;
    if (op == "open")
        bResult = m_bOpen = m_bOpenWorks;
    else if (op == "open-fallback")
        bResult = m_bOpen = m_bFallbackWorks;
    else if (op == "close")
        m_bOpen = m_bOffHook = false;
    else if (op == "off-hook")
        bResult = m_bOffHook = m_bOpen;
    else if (op == "on-hook")
        m_bOffHook = false;
    return bResult;
}

bool CSimulatedAdapter::Present() const {
    std::lock_guard lock(m_mutex);
    return m_bPresent;
}

void CSimulatedAdapter::SetSink(IAdapterEventSink* pSink) {
    std::lock_guard lock(m_sinkMutex);
    m_pSink = pSink;
}

void CSimulatedAdapter::ClearSink(IAdapterEventSink* pSink) {
    std::lock_guard lock(m_sinkMutex);
    if (m_pSink == pSink)
        m_pSink = nullptr;
}

long CSimulatedAdapter::ReadLine(int16_t* frames, size_t count, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    m_soundCv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                       [this] { return !m_lineSound.empty() || !m_bPresent; });
    if (!m_bPresent)
        return -1;
    size_t n = std::min(count, m_lineSound.size());
    std::copy_n(m_lineSound.begin(), n, frames);
    m_lineSound.erase(m_lineSound.begin(), m_lineSound.begin() + static_cast<long>(n));
    return static_cast<long>(n);
}

bool CSimulatedAdapter::WriteLine(const int16_t* frames, size_t count) {
    std::lock_guard lock(m_mutex);
    if (!m_bPresent)
        return false;
    size_t room = kMaxPlayed - std::min(kMaxPlayed, m_played.size());
    m_played.insert(m_played.end(), frames, frames + std::min(count, room));
    return true;
}
