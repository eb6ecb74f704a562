#include "adapter/GenericAdapterLayer.h"

#include "adapter/AdapterEvents.h"
#include "adapter/AdapterInputs.h"
#include "audio/SoundBackend.h"
#include "linesig/LineSignalDetector.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <linux/input.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

constexpr size_t kChunk = 160;     // 20 ms at 8000 samples/s
constexpr int kReadTimeoutMs = 100; // how soon a closing layer's threads notice
constexpr size_t kMaxTeed = 8000 * 60;

struct InputRow {
    unsigned nKey;
    int nEvent;
    int nParam;
};

constexpr InputRow kInputKeys[] = {
    {KEY_NUMERIC_0, kAdEvKey, 0},          {KEY_NUMERIC_1, kAdEvKey, 1},
    {KEY_NUMERIC_2, kAdEvKey, 2},          {KEY_NUMERIC_3, kAdEvKey, 3},
    {KEY_NUMERIC_4, kAdEvKey, 4},          {KEY_NUMERIC_5, kAdEvKey, 5},
    {KEY_NUMERIC_6, kAdEvKey, 6},          {KEY_NUMERIC_7, kAdEvKey, 7},
    {KEY_NUMERIC_8, kAdEvKey, 8},          {KEY_NUMERIC_9, kAdEvKey, 9},
    {KEY_NUMERIC_A, kAdEvKey, 10},         {KEY_NUMERIC_B, kAdEvKey, 11},
    {KEY_NUMERIC_C, kAdEvKey, 12},         {KEY_NUMERIC_D, kAdEvKey, 13},
    {KEY_NUMERIC_STAR, kAdEvKey, 14},      {KEY_NUMERIC_POUND, kAdEvKey, 15},
    {KEY_PICKUP_PHONE, kAdEvLocalOffHook, 0}, {KEY_HANGUP_PHONE, kAdEvLocalOnHook, 0},
    {KEY_PHONE, kAdEvIncomingCall, 0},
};

class CTeeCapture;

// The recorders listening to the line. Shared with them, so that a recorder
// the worker still holds after the layer has gone reads an end, not freed
// memory.
struct TeeHub {
    std::mutex mutex;
    std::set<CTeeCapture*> tees;
    bool bEnded = false;
};

// A recorder's view of the line: the listening thread hands it every chunk
// it hears, so the card is opened once for listening and recording alike.
class CTeeCapture : public ICaptureStream {
public:
    explicit CTeeCapture(std::shared_ptr<TeeHub> hub);
    ~CTeeCapture() override;
    long Read(int16_t* frames, size_t count, int timeoutMs) override;
    void Push(const int16_t* frames, size_t count);
    void End();

private:
    std::shared_ptr<TeeHub> m_hub;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<int16_t> m_queue;
    bool m_bEnded = false;
};

class CGenericLayer;

class CTeeSound : public ISoundBackend {
public:
    explicit CTeeSound(CGenericLayer& layer) : m_layer(layer) {}
    std::string Name() const override { return "adapter line"; }
    std::vector<SoundDeviceInfo> ListDevices(bool) override { return {{"line", "Adapter line"}}; }
    std::unique_ptr<ICaptureStream> OpenCapture(int id, const WaveFormat& f) override;
    std::unique_ptr<IPlaybackStream> OpenPlayback(int id, const WaveFormat& f) override;

private:
    CGenericLayer& m_layer;
};

class CGenericLayer : public IAdapterDeviceLayer {
public:
    explicit CGenericLayer(const GenericAdapterConfig& c)
        : m_config(c), m_sound(*this),
          m_detector([this](const LineSignal& s) { OnLineSignal(s); }) {}

    ~CGenericLayer() override {
        Close();
        if (m_config.inputFd >= 0)
            ::close(m_config.inputFd);
    }

    void SetSink(IAdapterEventSink* pSink) override {
        std::lock_guard lock(m_sinkMutex);
        m_pSink = pSink;
    }

    bool Open() override {
        if (m_bOpen)
            return true;
        Close(); // the threads of a card that failed by itself
        m_pCapture = m_config.pBackend->OpenCapture(m_config.nCaptureId, PcmFormat(8000));
        if (!m_pCapture)
            return false;
        m_detector.Reset();
        m_hub = std::make_shared<TeeHub>();
        m_bOpen = true;
        m_listener = std::thread([this] { Listen(); });
        if (m_config.inputFd >= 0)
            m_input = std::thread([this] { ReadInput(); });
        return true;
    }
    // There is one way of opening a sound card.
    bool OpenFallback() override { return Open(); }

    void Close() override {
        m_bOpen = false;
        if (m_listener.joinable())
            m_listener.join();
        if (m_input.joinable())
            m_input.join();
        m_pCapture.reset();
        EndTees();
    }

    bool OffHook() override { return m_bOpen; }
    bool OnHook() override { return m_bOpen; }
    // Playing and recording streams belong to the worker, which ends them.
    void StopPlay() override {}
    void StopRecord() override {}
    int WaveOutId() override { return m_bOpen ? 0 : -1; }
    int WaveInId() override { return m_bOpen ? 0 : -1; }
    ISoundBackend& SoundBackend() override { return m_sound; }

    bool IsOpen() const { return m_bOpen; }
    ISoundBackend& Card() { return *m_config.pBackend; }
    int PlaybackId() const { return m_config.nPlaybackId; }
    std::shared_ptr<TeeHub> Hub() const { return m_hub; }

private:
    void EndTees() {
        if (!m_hub)
            return;
        std::lock_guard lock(m_hub->mutex);
        m_hub->bEnded = true;
        for (CTeeCapture* t : m_hub->tees)
            t->End();
    }

    void Listen() {
        int16_t buf[kChunk];
        while (m_bOpen) {
            long n = m_pCapture->Read(buf, kChunk, kReadTimeoutMs);
            if (n < 0) {
                // The card went away: a recording ends now, and the worker
                // finds the device failing when it next uses it.
                m_bOpen = false;
                EndTees();
                break;
            }
            if (n == 0)
                continue;
            m_detector.Feed(buf, static_cast<size_t>(n));
            std::lock_guard lock(m_hub->mutex);
            for (CTeeCapture* t : m_hub->tees)
                t->Push(buf, static_cast<size_t>(n));
        }
    }

    void ReadInput() {
        auto onEvent = [this](unsigned type, unsigned code, int value) {
            AdapterEventOf e = AdapterEventOfInput(type, code, value);
            if (e.nCode != 0)
                Short(e.nCode, e.nParam);
        };
        while (m_bOpen) {
            pollfd p{m_config.inputFd, POLLIN, 0};
            int r = ::poll(&p, 1, kReadTimeoutMs);
            if (r == 0 || (r < 0 && errno == EINTR))
                continue;
            if (r < 0 || ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLIN)))
                return; // the input device was unplugged: its events are absent
            if (!ReadInputEvents(m_config.inputFd, onEvent))
                return;
        }
    }

    void OnLineSignal(const LineSignal& s) {
        switch (s.kind) {
        case LineSignalKind::Key:
            if (int p = AdapterKeyParam(s.cKey); p >= 0)
                Short(kAdEvKey, p);
            break;
        case LineSignalKind::DialTone:
            Short(kAdEvDialTone, 0);
            break;
        case LineSignalKind::BusyTone:
            Short(kAdEvBusy, 0);
            break;
        case LineSignalKind::FaxCallingTone:
            Short(kAdEvFaxTone, 0);
            break;
        case LineSignalKind::CallerIdMessage: {
            std::lock_guard lock(m_sinkMutex);
            if (m_pSink)
                m_pSink->OnTextEvent(kAdTextCallerId, 0, s.sData);
            break;
        }
        case LineSignalKind::CallerIdDigits:
            // A number sent as keys is no raw message the decoder reads;
            // its keys were not reported as keys either, so it is dropped.
            break;
        }
    }

    void Short(int code, int param) {
        std::lock_guard lock(m_sinkMutex);
        if (m_pSink)
            m_pSink->OnShortEvent(code, param);
    }

    GenericAdapterConfig m_config;
    CTeeSound m_sound;
    CLineSignalDetector m_detector;
    std::unique_ptr<ICaptureStream> m_pCapture;
    std::atomic<bool> m_bOpen{false};
    std::thread m_listener;
    std::thread m_input;
    std::mutex m_sinkMutex;
    IAdapterEventSink* m_pSink = nullptr;
    std::shared_ptr<TeeHub> m_hub;
};

CTeeCapture::CTeeCapture(std::shared_ptr<TeeHub> hub) : m_hub(std::move(hub)) {
    std::lock_guard lock(m_hub->mutex);
    m_bEnded = m_hub->bEnded;
    m_hub->tees.insert(this);
}

CTeeCapture::~CTeeCapture() {
    std::lock_guard lock(m_hub->mutex);
    m_hub->tees.erase(this);
}

long CTeeCapture::Read(int16_t* frames, size_t count, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    m_cv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                  [this] { return !m_queue.empty() || m_bEnded; });
    if (m_queue.empty() && m_bEnded)
        return -1;
    size_t n = std::min(count, m_queue.size());
    std::copy_n(m_queue.begin(), n, frames);
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<long>(n));
    return static_cast<long>(n);
}

void CTeeCapture::Push(const int16_t* frames, size_t count) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.insert(m_queue.end(), frames, frames + count);
        if (m_queue.size() > kMaxTeed)
            m_queue.erase(m_queue.begin(),
                          m_queue.begin() + static_cast<long>(m_queue.size() - kMaxTeed));
    }
    m_cv.notify_all();
}

void CTeeCapture::End() {
    {
        std::lock_guard lock(m_mutex);
        m_bEnded = true;
    }
    m_cv.notify_all();
}

std::unique_ptr<ICaptureStream> CTeeSound::OpenCapture(int id, const WaveFormat& f) {
    if (id != 0 || !m_layer.IsOpen() || f != PcmFormat(8000))
        return nullptr;
    return std::make_unique<CTeeCapture>(m_layer.Hub());
}

std::unique_ptr<IPlaybackStream> CTeeSound::OpenPlayback(int id, const WaveFormat& f) {
    if (id != 0 || !m_layer.IsOpen())
        return nullptr;
    return m_layer.Card().OpenPlayback(m_layer.PlaybackId(), f);
}

} // namespace

AdapterEventOf AdapterEventOfInput(unsigned type, unsigned code, int value) {
    if (type != EV_KEY || value != 1) // presses only, not releases or repeats
        return {};
    for (const InputRow& row : kInputKeys) {
        if (row.nKey == code)
            return {row.nEvent, row.nParam};
    }
    return {};
}

std::unique_ptr<IAdapterDeviceLayer> MakeGenericAdapterLayer(const GenericAdapterConfig& config) {
    GenericAdapterConfig c = config;
    if (!c.pBackend)
        c.pBackend = &GetSoundBackend();
    return std::make_unique<CGenericLayer>(c);
}

std::unique_ptr<IAdapterDeviceLayer> OpenGenericAdapter(const std::string& soundCard,
                                                        const std::string& inputPath,
                                                        std::string* error) {
    GenericAdapterConfig c;
    c.pBackend = &GetSoundBackend();
    c.nCaptureId = FindSoundDevice(soundCard, true);
    c.nPlaybackId = FindSoundDevice(soundCard, false);
    // A card chosen by name and not there now is not stood in for by the
    // default card: that would record the wrong sound as the line's.
    if (!soundCard.empty() && (c.nCaptureId < 0 || c.nPlaybackId < 0)) {
        if (error)
            *error = "the sound card " + soundCard + " is not there";
        return nullptr;
    }
    if (!inputPath.empty()) {
        c.inputFd = ::open(inputPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (c.inputFd < 0) {
            if (error)
                *error = "cannot open the adapter's input device " + inputPath + ": " +
                         std::strerror(errno);
            return nullptr;
        }
    }
    return MakeGenericAdapterLayer(c);
}
