#include "audio/TalkCallSound.h"

#include "audio/AudioLog.h"
#include "audio/SampleRing.h"
#include "audio/Saturate.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

constexpr uint32_t kRate = 8000;
constexpr size_t kRecordFrames = kRate;          // a second of conversation waits for its reader
constexpr size_t kPlayFrames = kRate / 2;        // half a second of sound waits to be sent
constexpr std::chrono::milliseconds kSlack{100}; // beyond a sound's length, for a writer

std::chrono::milliseconds Duration(size_t frames) {
    return std::chrono::milliseconds(frames * 1000 / kRate);
}

} // namespace

class CTalkCallSound::State {
public:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    uint64_t m_nTalk = 0; // which talk the streams belong to
    bool m_bEnded = true;
    bool m_bCaptureOpen = false;
    bool m_bPlaybackOpen = false;
    size_t m_nReaderWants = 0;
    CSampleRing m_heard{2 * kRecordFrames}; // far end and near end, frame by frame
    CSampleRing m_toSend{kPlayFrames};
    uint64_t m_nDropped = 0;

    // Under m_mutex: the stream of talk nTalk is still live.
    bool Live(uint64_t nTalk) const { return !m_bEnded && nTalk == m_nTalk; }
};

namespace {

using State = CTalkCallSound::State;

class CTalkCapture : public ICaptureStream {
public:
    CTalkCapture(std::shared_ptr<State> s, int channels)
        : m_s(std::move(s)), m_nTalk(m_s->m_nTalk), m_nChannels(channels) {}
    ~CTalkCapture() override {
        std::lock_guard lock(m_s->m_mutex);
        if (m_nTalk == m_s->m_nTalk) {
            m_s->m_bCaptureOpen = false;
            m_s->m_heard.Clear();
        }
    }

    long Read(int16_t* frames, size_t count, int timeoutMs) override {
        std::unique_lock lock(m_s->m_mutex);
        const size_t wanted = std::min(count, kRecordFrames);
        m_s->m_nReaderWants = wanted;
        m_s->m_cv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)), [&] {
            return !m_s->Live(m_nTalk) || m_s->m_heard.Size() / 2 >= wanted;
        });
        m_s->m_nReaderWants = 0;
        if (m_nTalk != m_s->m_nTalk)
            return -1;
        const size_t n = std::min(count, m_s->m_heard.Size() / 2);
        if (n == 0 && m_s->m_bEnded)
            return -1;
        for (size_t i = 0; i < n; ++i) {
            int16_t pair[2];
            m_s->m_heard.Pop(pair, 2);
            if (m_nChannels == 2) {
                frames[2 * i] = pair[0];
                frames[2 * i + 1] = pair[1];
            } else {
                frames[i] = Saturate(pair[0] + pair[1]);
            }
        }
        return static_cast<long>(n);
    }

private:
    std::shared_ptr<State> m_s;
    const uint64_t m_nTalk;
    const int m_nChannels;
};

class CTalkPlayback : public IPlaybackStream {
public:
    explicit CTalkPlayback(std::shared_ptr<State> s) : m_s(std::move(s)), m_nTalk(m_s->m_nTalk) {}
    ~CTalkPlayback() override {
        std::lock_guard lock(m_s->m_mutex);
        if (m_nTalk == m_s->m_nTalk) {
            m_s->m_bPlaybackOpen = false;
            m_s->m_toSend.Clear();
        }
    }

    // Waits for room about as long as the sound lasts; a talk that takes
    // nothing costs the oldest samples instead of a hang.
    bool Write(const int16_t* frames, size_t count) override {
        std::unique_lock lock(m_s->m_mutex);
        while (count > 0) {
            const size_t n = std::min(count, kPlayFrames);
            m_s->m_cv.wait_for(lock, Duration(n) + kSlack,
                               [&] { return !m_s->Live(m_nTalk) || m_s->m_toSend.Room() >= n; });
            if (!m_s->Live(m_nTalk))
                return false;
            m_s->m_nDropped += m_s->m_toSend.Push(frames, n);
            frames += n;
            count -= n;
        }
        return true;
    }
    void Drain() override {
        std::unique_lock lock(m_s->m_mutex);
        m_s->m_cv.wait_for(lock, Duration(m_s->m_toSend.Size()) + kSlack,
                           [&] { return !m_s->Live(m_nTalk) || m_s->m_toSend.Size() == 0; });
    }
    void Reset() override {
        std::lock_guard lock(m_s->m_mutex);
        if (m_s->Live(m_nTalk))
            m_s->m_toSend.Clear();
    }

private:
    std::shared_ptr<State> m_s;
    const uint64_t m_nTalk;
};

} // namespace

CTalkCallSound::CTalkCallSound(ISoundBackend& line, int nLineIn, int nLineOut)
    : m_line(line), m_nLineIn(nLineIn), m_nLineOut(nLineOut), m_pState(std::make_shared<State>()) {}

CTalkCallSound::~CTalkCallSound() {
    End();
}

std::string CTalkCallSound::Name() const {
    return m_line.Name();
}

std::vector<SoundDeviceInfo> CTalkCallSound::ListDevices(bool bCapture) {
    return m_line.ListDevices(bCapture);
}

std::unique_ptr<ICaptureStream> CTalkCallSound::OpenCapture(int deviceId,
                                                            const WaveFormat& format) {
    if (deviceId != m_nLineIn || !format.IsPcm() || format.wBitsPerSample != 16 ||
        format.nSamplesPerSec != kRate || (format.nChannels != 1 && format.nChannels != 2)) {
        AudioError(StrPrintf("the talked call's sound: no recording on device %d at %u "
                             "samples/s, %u bits, %u channels (only %d at 8000, 16, 1 or 2)\n",
                             deviceId, format.nSamplesPerSec, format.wBitsPerSample,
                             format.nChannels, m_nLineIn));
        return nullptr;
    }
    std::lock_guard lock(m_pState->m_mutex);
    if (m_pState->m_bEnded || m_pState->m_bCaptureOpen) {
        AudioError(m_pState->m_bEnded ? "the talked call's sound: not talking now\n"
                                      : "the talked call's sound: already recording\n");
        return nullptr;
    }
    m_pState->m_bCaptureOpen = true;
    m_pState->m_heard.Clear();
    return std::make_unique<CTalkCapture>(m_pState, format.nChannels);
}

std::unique_ptr<IPlaybackStream> CTalkCallSound::OpenPlayback(int deviceId,
                                                              const WaveFormat& format) {
    if (deviceId != m_nLineOut || !format.IsPcm() || format.wBitsPerSample != 16 ||
        format.nSamplesPerSec != kRate || format.nChannels != 1) {
        AudioError(StrPrintf("the talked call's sound: no playback on device %d at %u "
                             "samples/s, %u bits, %u channels (only %d at 8000, 16, 1)\n",
                             deviceId, format.nSamplesPerSec, format.wBitsPerSample,
                             format.nChannels, m_nLineOut));
        return nullptr;
    }
    std::lock_guard lock(m_pState->m_mutex);
    if (m_pState->m_bEnded || m_pState->m_bPlaybackOpen) {
        AudioError(m_pState->m_bEnded ? "the talked call's sound: not talking now\n"
                                      : "the talked call's sound: already playing\n");
        return nullptr;
    }
    m_pState->m_bPlaybackOpen = true;
    return std::make_unique<CTalkPlayback>(m_pState);
}

void CTalkCallSound::Begin() {
    std::lock_guard lock(m_pState->m_mutex);
    ++m_pState->m_nTalk;
    m_pState->m_bEnded = false;
    m_pState->m_bCaptureOpen = m_pState->m_bPlaybackOpen = false;
    m_pState->m_heard.Clear();
    m_pState->m_toSend.Clear();
    m_pState->m_cv.notify_all();
}

void CTalkCallSound::Heard(const int16_t* farEnd, const int16_t* nearEnd, size_t count) {
    std::lock_guard lock(m_pState->m_mutex);
    if (!m_pState->m_bCaptureOpen || m_pState->m_bEnded)
        return;
    for (size_t i = 0; i < count; ++i) {
        const int16_t pair[2] = {farEnd[i], nearEnd[i]};
        m_pState->m_nDropped += m_pState->m_heard.Push(pair, 2) / 2;
    }
    if (m_pState->m_nReaderWants != 0 && m_pState->m_heard.Size() / 2 >= m_pState->m_nReaderWants)
        m_pState->m_cv.notify_all();
}

size_t CTalkCallSound::TakePlayed(int16_t* frames, size_t count) {
    std::lock_guard lock(m_pState->m_mutex);
    const size_t n = m_pState->m_toSend.Pop(frames, count);
    if (n > 0)
        m_pState->m_cv.notify_all();
    return n;
}

void CTalkCallSound::End() {
    std::lock_guard lock(m_pState->m_mutex);
    m_pState->m_bEnded = true;
    m_pState->m_cv.notify_all();
}
