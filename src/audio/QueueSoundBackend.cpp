#include "audio/QueueSoundBackend.h"

#include "audio/AudioLog.h"
#include "audio/SampleRing.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// How long count frames last at the line's rate.
std::chrono::milliseconds Duration(size_t count) {
    return std::chrono::milliseconds(count * 1000 / CQueueSoundBackend::kRate);
}

} // namespace

class CQueueSoundBackend::Device {
public:
    Device(std::string sBackend, int id, std::string sName, size_t nFrames)
        : m_sBackend(std::move(sBackend)), m_nId(id), m_sName(std::move(sName)), m_heard(nFrames),
          m_toSend(nFrames) {}

    const std::string& Name() const { return m_sName; }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bCaptureOpen = false; // under m_mutex
    bool m_bPlaybackOpen = false;
    size_t m_nReaderWants = 0; // what a waiting Read waits for (0: none waits)

    // Under m_mutex: pushes into ring and counts what a full ring drops.
    void PushCounted(CSampleRing& ring, bool& bDropping, const int16_t* frames, size_t count,
                     const char* what) {
        const size_t dropped = ring.Push(frames, count);
        if (dropped == 0) {
            bDropping = false;
            return;
        }
        m_nDropped += dropped;
        if (!bDropping)
            AudioError(StrPrintf("%s sound device %d (%s): the %s queue is full, the oldest sound "
                                 "is dropped (%llu samples so far)\n",
                                 m_sBackend.c_str(), m_nId, m_sName.c_str(), what,
                                 static_cast<unsigned long long>(m_nDropped)));
        bDropping = true;
    }

    const std::string m_sBackend;
    const int m_nId;
    const std::string m_sName;
    CSampleRing m_heard;  // from the stack, to be read by the program
    CSampleRing m_toSend; // from the program, to be taken by the stack
    bool m_bHeardDropping = false;
    bool m_bSendDropping = false;
    uint64_t m_nDropped = 0;
};

namespace {

using Device = CQueueSoundBackend::Device;

class CQueueCapture : public ICaptureStream {
public:
    explicit CQueueCapture(Device& d) : m_d(d) {}
    ~CQueueCapture() override {
        std::lock_guard lock(m_d.m_mutex);
        m_d.m_bCaptureOpen = false;
        m_d.m_heard.Clear();
    }

    // Like a card, hands over a whole buffer once it has come; what has
    // come when the time is up otherwise.
    long Read(int16_t* frames, size_t count, int timeoutMs) override {
        std::unique_lock lock(m_d.m_mutex);
        const size_t wanted = std::min(count, m_d.m_heard.Capacity());
        m_d.m_nReaderWants = wanted;
        m_d.m_cv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                          [&] { return m_d.m_heard.Size() >= wanted; });
        m_d.m_nReaderWants = 0;
        return static_cast<long>(m_d.m_heard.Pop(frames, count));
    }

private:
    Device& m_d;
};

class CQueuePlayback : public IPlaybackStream {
public:
    explicit CQueuePlayback(Device& d) : m_d(d) {}
    ~CQueuePlayback() override {
        std::lock_guard lock(m_d.m_mutex);
        m_d.m_bPlaybackOpen = false;
    }

    // Waits for room as long as the stack would take to make it; a stack
    // that takes nothing (no sound flowing yet) costs the oldest samples
    // instead of a hang.
    bool Write(const int16_t* frames, size_t count) override {
        std::unique_lock lock(m_d.m_mutex);
        m_d.m_cv.wait_for(lock, Duration(count) + kSlack,
                          [&] { return m_d.m_toSend.Room() >= count; });
        m_d.PushCounted(m_d.m_toSend, m_d.m_bSendDropping, frames, count, "playback");
        return true;
    }
    void Drain() override {
        std::unique_lock lock(m_d.m_mutex);
        m_d.m_cv.wait_for(lock, Duration(m_d.m_toSend.Size()) + kSlack,
                          [&] { return m_d.m_toSend.Size() == 0; });
    }
    void Reset() override {
        std::lock_guard lock(m_d.m_mutex);
        m_d.m_toSend.Clear();
    }

private:
    // Beyond the sound's own length: the stack takes a packet's worth at a time.
    static constexpr std::chrono::milliseconds kSlack{100};
    Device& m_d;
};

bool IsLineFormat(const WaveFormat& f) {
    return f.IsPcm() && f.wBitsPerSample == 16 && f.nChannels == 1 &&
           f.nSamplesPerSec == CQueueSoundBackend::kRate;
}

} // namespace

CQueueSoundBackend::CQueueSoundBackend(std::string sName, std::vector<std::string> deviceNames,
                                       size_t nQueueFrames)
    : m_sName(std::move(sName)) {
    for (size_t i = 0; i < deviceNames.size(); ++i)
        m_devices.push_back(std::make_unique<Device>(m_sName, static_cast<int>(i),
                                                     std::move(deviceNames[i]), nQueueFrames));
}

CQueueSoundBackend::~CQueueSoundBackend() = default;

CQueueSoundBackend::Device* CQueueSoundBackend::Find(int id) const {
    return id >= 0 && static_cast<size_t>(id) < m_devices.size() ? m_devices[id].get() : nullptr;
}

std::vector<SoundDeviceInfo> CQueueSoundBackend::ListDevices(bool) {
    std::vector<SoundDeviceInfo> list;
    for (const auto& d : m_devices)
        list.push_back({d->Name(), d->Name()});
    return list;
}

std::unique_ptr<ICaptureStream> CQueueSoundBackend::OpenCapture(int deviceId,
                                                                const WaveFormat& format) {
    Device* d = Find(deviceId);
    if (!d || !IsLineFormat(format)) {
        AudioError(StrPrintf("%s sound device %d: no capture at %u samples/s, %u bits, %u "
                             "channels (only 8000, 16, 1)\n",
                             m_sName.c_str(), deviceId, format.nSamplesPerSec,
                             format.wBitsPerSample, format.nChannels));
        return nullptr;
    }
    std::lock_guard lock(d->m_mutex);
    if (d->m_bCaptureOpen) {
        AudioError(StrPrintf("%s sound device %d: already recording\n", m_sName.c_str(), deviceId));
        return nullptr;
    }
    d->m_bCaptureOpen = true;
    d->m_heard.Clear();
    return std::make_unique<CQueueCapture>(*d);
}

std::unique_ptr<IPlaybackStream> CQueueSoundBackend::OpenPlayback(int deviceId,
                                                                  const WaveFormat& format) {
    Device* d = Find(deviceId);
    if (!d || !IsLineFormat(format)) {
        AudioError(StrPrintf("%s sound device %d: no playback at %u samples/s, %u bits, %u "
                             "channels (only 8000, 16, 1)\n",
                             m_sName.c_str(), deviceId, format.nSamplesPerSec,
                             format.wBitsPerSample, format.nChannels));
        return nullptr;
    }
    std::lock_guard lock(d->m_mutex);
    if (d->m_bPlaybackOpen) {
        AudioError(StrPrintf("%s sound device %d: already playing\n", m_sName.c_str(), deviceId));
        return nullptr;
    }
    d->m_bPlaybackOpen = true;
    return std::make_unique<CQueuePlayback>(*d);
}

void CQueueSoundBackend::Deliver(int id, const int16_t* frames, size_t count) {
    Device* d = Find(id);
    if (!d || count == 0)
        return;
    std::lock_guard lock(d->m_mutex);
    if (!d->m_bCaptureOpen)
        return;
    d->PushCounted(d->m_heard, d->m_bHeardDropping, frames, count, "capture");
    // The reader is woken once its buffer is full, not for every packet.
    if (d->m_nReaderWants != 0 && d->m_heard.Size() >= d->m_nReaderWants)
        d->m_cv.notify_all();
}

size_t CQueueSoundBackend::Take(int id, int16_t* frames, size_t count) {
    size_t n = 0;
    if (Device* d = Find(id)) {
        std::lock_guard lock(d->m_mutex);
        n = d->m_toSend.Pop(frames, count);
        if (n > 0)
            d->m_cv.notify_all();
    }
    std::memset(frames + n, 0, (count - n) * sizeof *frames);
    return n;
}

void CQueueSoundBackend::Clear(int id) {
    if (Device* d = Find(id)) {
        std::lock_guard lock(d->m_mutex);
        d->m_heard.Clear();
        d->m_toSend.Clear();
        d->m_cv.notify_all();
    }
}

uint64_t CQueueSoundBackend::Dropped(int id) const {
    Device* d = Find(id);
    if (!d)
        return 0;
    std::lock_guard lock(d->m_mutex);
    return d->m_nDropped;
}
