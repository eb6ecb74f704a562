#include "web/WebStreams.h"

#include "web/ByteRange.h"
#include "web/MediaSource.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// One byte range of a recording's served form.
class CRecordingBody : public IHttpBody {
public:
    CRecordingBody(std::unique_ptr<CMediaSource> pSource, const ByteRange& range)
        : m_pSource(std::move(pSource)), m_range(range) {}
    std::optional<uint64_t> Size() const override { return m_range.nLength; }
    int64_t Read(uint64_t pos, char* out, size_t n) override {
        if (pos >= m_range.nLength)
            return kEnd;
        n = static_cast<size_t>(std::min<uint64_t>(n, m_range.nLength - pos));
        const std::optional<size_t> got =
            m_pSource->Read(m_range.nFirst + pos, reinterpret_cast<uint8_t*>(out), n);
        // A recording that became shorter than its length breaks off.
        return got && *got > 0 ? static_cast<int64_t>(*got) : kError;
    }

private:
    std::unique_ptr<CMediaSource> m_pSource;
    ByteRange m_range;
};

// One page's stream of frames. The hub may wake it once more after it has
// let go of the page, so its wake lives apart from it.
class CEventBody : public IHttpBody {
public:
    CEventBody(CEventHub& hub, const std::function<std::string()>& firstFrame)
        : m_hub(hub), m_pWake(std::make_shared<WakeSlot>()) {
        m_nId = m_hub.Connect([wake = m_pWake] { wake->Call(); });
        m_sPending = firstFrame(); // the page knows at once where the line is
    }
    ~CEventBody() override { m_hub.Disconnect(m_nId); }
    std::optional<uint64_t> Size() const override { return std::nullopt; }
    void SetWake(std::function<void()> wake) override {
        std::lock_guard lock(m_pWake->mutex);
        m_pWake->wake = std::move(wake);
    }
    int64_t Read(uint64_t, char* out, size_t n) override {
        if (m_sPending.empty() && !m_hub.Take(m_nId, m_sPending))
            return kEnd;
        if (m_sPending.empty())
            return 0;
        n = std::min(n, m_sPending.size());
        std::memcpy(out, m_sPending.data(), n);
        m_sPending.erase(0, n);
        return static_cast<int64_t>(n);
    }

private:
    struct WakeSlot {
        std::mutex mutex;
        std::function<void()> wake;
        void Call() {
            std::function<void()> copy;
            {
                std::lock_guard lock(mutex);
                copy = wake;
            }
            if (copy)
                copy();
        }
    };
    CEventHub& m_hub;
    std::shared_ptr<WakeSlot> m_pWake;
    int m_nId = 0;
    std::string m_sPending;
};

} // namespace

HttpResponse RecordingResponse(const std::string& sPath, const std::string& sRangeHeader) {
    std::string error;
    std::unique_ptr<CMediaSource> pSource = CMediaSource::Open(sPath, &error);
    if (!pSource)
        return HttpResponse::Text(404, "The recording cannot be played: " + error);
    const ByteRange range = ParseByteRange(sRangeHeader, pSource->Size());
    HttpResponse response;
    response.nStatus = range.Status();
    response.sContentType = "audio/wav";
    response.headers.emplace_back("Accept-Ranges", "bytes");
    if (!range.ContentRange().empty())
        response.headers.emplace_back("Content-Range", range.ContentRange());
    if (range.kind != ByteRange::Kind::Unsatisfiable)
        response.pBody = std::make_shared<CRecordingBody>(std::move(pSource), range);
    return response;
}

CLiveUpdates::CLiveUpdates(CCallEventPublisher* pEvents) {
    if (pEvents)
        m_hub.Start(*pEvents);
    m_heartbeat = std::thread([this] { Beat(); });
}

CLiveUpdates::~CLiveUpdates() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    m_heartbeat.join();
    m_hub.Stop();
}

void CLiveUpdates::Beat() {
    std::unique_lock lock(m_mutex);
    while (!m_cv.wait_for(lock, kHeartbeat, [this] { return m_bStop; })) {
        lock.unlock();
        m_hub.Heartbeat();
        lock.lock();
    }
}

HttpResponse CLiveUpdates::Open(const std::function<std::string()>& firstFrame) {
    HttpResponse response;
    response.sContentType = "text/event-stream; charset=utf-8";
    response.pBody = std::make_shared<CEventBody>(m_hub, firstFrame);
    return response;
}
