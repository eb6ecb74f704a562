#include "adapter/SocketAdapterLayer.h"

#include "adapter/AdapterWire.h"
#include "audio/SoundBackend.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// How long an operation waits for the simulator's answer.
constexpr auto kReplyTimeout = std::chrono::seconds(5);
// The line's sound kept while nobody records: a minute.
constexpr size_t kMaxHeard = 8000 * 60;

class CSocketLink;

// The streams share the link, so that one the worker still holds after the
// layer has gone fails cleanly instead of reaching freed memory.
class CSocketCapture : public ICaptureStream {
public:
    explicit CSocketCapture(std::shared_ptr<CSocketLink> link) : m_link(std::move(link)) {}
    long Read(int16_t* frames, size_t count, int timeoutMs) override;

private:
    std::shared_ptr<CSocketLink> m_link;
};

class CSocketPlayback : public IPlaybackStream {
public:
    explicit CSocketPlayback(std::shared_ptr<CSocketLink> link) : m_link(std::move(link)) {}
    bool Write(const int16_t* frames, size_t count) override;
    void Drain() override {}
    void Reset() override {}

private:
    std::shared_ptr<CSocketLink> m_link;
};

class CSocketSound : public ISoundBackend {
public:
    explicit CSocketSound(std::shared_ptr<CSocketLink> link) : m_link(std::move(link)) {}
    std::string Name() const override { return "adapter simulator"; }
    std::vector<SoundDeviceInfo> ListDevices(bool) override {
        return {{"line", "Adapter simulator line"}};
    }
    std::unique_ptr<ICaptureStream> OpenCapture(int id, const WaveFormat& f) override {
        return Fits(id, f) ? std::make_unique<CSocketCapture>(m_link) : nullptr;
    }
    std::unique_ptr<IPlaybackStream> OpenPlayback(int id, const WaveFormat& f) override {
        return Fits(id, f) ? std::make_unique<CSocketPlayback>(m_link) : nullptr;
    }

private:
    static bool Fits(int id, const WaveFormat& f) {
        return id == 0 && f.IsPcm() && f.nChannels == 1 && f.wBitsPerSample == 16 &&
               f.nSamplesPerSec == 8000;
    }
    std::shared_ptr<CSocketLink> m_link;
};

// The connection: requests, the reader thread, the line's sound heard.
class CSocketLink {
public:
    explicit CSocketLink(int fd) : m_fd(fd) {
        m_reader = std::thread([this] { ReadLoop(); });
    }

    ~CSocketLink() {
        Shutdown();
        ::close(m_fd);
    }

    // Ends the connection and its reader; afterwards nothing reaches the sink.
    void Shutdown() {
        if (!m_reader.joinable())
            return;
        ::shutdown(m_fd, SHUT_RDWR);
        m_reader.join();
        SetSink(nullptr);
    }

    void SetSink(IAdapterEventSink* pSink) {
        std::lock_guard lock(m_sinkMutex);
        m_pSink = pSink;
    }

    long ReadHeard(int16_t* frames, size_t count, int timeoutMs) {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                      [this] { return !m_heard.empty() || m_bGone; });
        if (m_heard.empty() && m_bGone)
            return -1;
        size_t n = std::min(count, m_heard.size());
        std::copy_n(m_heard.begin(), n, frames);
        m_heard.erase(m_heard.begin(), m_heard.begin() + static_cast<long>(n));
        return static_cast<long>(n);
    }

    bool Play(const int16_t* frames, size_t count) {
        std::lock_guard lock(m_writeMutex);
        for (size_t i = 0; i < count; i += kWireSoundChunk) {
            if (!WriteWire(m_fd, WireSound("play", frames + i, std::min(kWireSoundChunk,
                                                                        count - i))))
                return false;
        }
        return true;
    }

    bool Connected() {
        std::lock_guard lock(m_mutex);
        return !m_bGone;
    }

    bool Request(const char* op) {
        std::lock_guard requestLock(m_requestMutex); // one request in flight
        {
            std::lock_guard lock(m_mutex);
            if (m_bGone)
                return false;
            m_reply.reset();
        }
        {
            std::lock_guard lock(m_writeMutex);
            if (!WriteWire(m_fd, std::string(op) + "\n"))
                return false;
        }
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, kReplyTimeout, [this] { return m_reply || m_bGone; }))
            return false;
        return m_reply.value_or(false);
    }

private:
    void ReadLoop() {
        CWireLineReader lines;
        char buf[4096];
        for (;;) {
            ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || !lines.Add(buf, static_cast<size_t>(n)))
                break;
            while (auto line = lines.Next())
                Handle(*line);
        }
        std::lock_guard lock(m_mutex);
        m_bGone = true;
        m_cv.notify_all();
    }

    void Handle(const std::string& line) {
        std::optional<WireMessage> m = ParseWireLine(line);
        if (!m)
            return; // not ours to guess at; the simulator logs what it sends
        switch (m->kind) {
        case WireMessage::Kind::Reply: {
            std::lock_guard lock(m_mutex);
            m_reply = m->bOk;
            m_cv.notify_all();
            break;
        }
        case WireMessage::Kind::Event: {
            std::lock_guard lock(m_sinkMutex);
            if (m_pSink)
                m_pSink->OnShortEvent(m->nCode, m->nParam);
            break;
        }
        case WireMessage::Kind::Text: {
            std::lock_guard lock(m_sinkMutex);
            if (m_pSink)
                m_pSink->OnTextEvent(m->nCode, m->nParam, m->sBytes);
            break;
        }
        case WireMessage::Kind::Sound: {
            std::lock_guard lock(m_mutex);
            m_heard.insert(m_heard.end(), m->sound.begin(), m->sound.end());
            if (m_heard.size() > kMaxHeard)
                m_heard.erase(m_heard.begin(),
                              m_heard.begin() + static_cast<long>(m_heard.size() - kMaxHeard));
            m_cv.notify_all();
            break;
        }
        case WireMessage::Kind::Request:
        case WireMessage::Kind::Play:
            break; // the simulator's words, not ours
        }
    }

    int m_fd;
    std::thread m_reader;
    std::mutex m_requestMutex;
    std::mutex m_writeMutex;
    std::mutex m_mutex; // m_reply, m_bGone, m_heard
    std::condition_variable m_cv;
    std::optional<bool> m_reply;
    bool m_bGone = false;
    std::deque<int16_t> m_heard;
    std::mutex m_sinkMutex; // held while an event is delivered
    IAdapterEventSink* m_pSink = nullptr;
};

class CSocketLayer : public IAdapterDeviceLayer {
public:
    explicit CSocketLayer(int fd) : m_link(std::make_shared<CSocketLink>(fd)), m_sound(m_link) {}
    ~CSocketLayer() override { m_link->Shutdown(); }

    void SetSink(IAdapterEventSink* pSink) override { m_link->SetSink(pSink); }
    bool Open() override { return m_link->Request("open"); }
    bool OpenFallback() override { return m_link->Request("open-fallback"); }
    void Close() override { m_link->Request("close"); }
    bool OffHook() override { return m_link->Request("off-hook"); }
    bool OnHook() override { return m_link->Request("on-hook"); }
    void StopPlay() override { m_link->Request("stop-play"); }
    void StopRecord() override { m_link->Request("stop-record"); }
    int WaveOutId() override { return m_link->Connected() ? 0 : -1; }
    int WaveInId() override { return m_link->Connected() ? 0 : -1; }
    ISoundBackend& SoundBackend() override { return m_sound; }

private:
    std::shared_ptr<CSocketLink> m_link;
    CSocketSound m_sound;
};

long CSocketCapture::Read(int16_t* frames, size_t count, int timeoutMs) {
    return m_link->ReadHeard(frames, count, timeoutMs);
}

bool CSocketPlayback::Write(const int16_t* frames, size_t count) {
    return m_link->Play(frames, count);
}

} // namespace

std::unique_ptr<IAdapterDeviceLayer> ConnectSocketAdapter(const std::string& socketPath,
                                                          std::string* error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof addr.sun_path) {
        if (error)
            *error = "socket path too long: " + socketPath;
        return nullptr;
    }
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (error)
            *error = "cannot reach the adapter simulator at " + socketPath + ": " +
                     std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return std::make_unique<CSocketLayer>(fd);
}
