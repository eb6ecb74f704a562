#include "web/EventStream.h"

#include "engine/CallProgram.h"
#include "platform/JsonText.h"

#include <algorithm>
#include <filesystem>
#include <type_traits>
#include <vector>

namespace {

// The most of a caller's text or a file name a page is told.
constexpr size_t kMaxValue = 512;

// A recording as the pages name it: its folder's name and its own.
void AddFile(CJsonObject& json, const std::string& path) {
    const std::filesystem::path p(path);
    json.AddString("folder", p.parent_path().filename().string());
    json.AddString("file", p.filename().string());
}

const char* StateWord(DeviceState s) {
    switch (s) {
    case DeviceState::Open:
        return "open";
    case DeviceState::OpenFailed:
        return "open-failed";
    case DeviceState::Lost:
        return "lost";
    case DeviceState::NotResponding:
        return "not-responding";
    case DeviceState::Unavailable:
        return "unavailable";
    }
    return "";
}

} // namespace

std::string SseFrame(std::string_view name, std::string_view data) {
    std::string frame = "event: ";
    for (char c : name)
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')
            frame += c;
    frame += '\n';
    for (size_t i = 0;;) {
        const size_t end = data.find_first_of("\r\n", i);
        frame += "data: ";
        frame.append(data.substr(i, end == std::string_view::npos ? end : end - i));
        frame += '\n';
        if (end == std::string_view::npos)
            break;
        const bool bCrLf = data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n';
        i = end + (bCrLf ? 2 : 1);
    }
    return frame + "\n";
}

std::string SseHeartbeat() {
    return ": heartbeat\n\n";
}

std::string CallEventFrame(const CallEvent& event) {
    CJsonObject json(kMaxValue);
    const char* name = std::visit(
        [&json](const auto& e) -> const char* {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, CallRinging>) {
                json.AddNumber("rings", e.nRings);
                return "ringing";
            } else if constexpr (std::is_same_v<T, CallerIdentified>) {
                json.AddString("number", e.sNumber)
                    .AddString("display", e.sDisplayNumber)
                    .AddString("name", e.sName)
                    .AddString("memo", e.sMemo)
                    .AddString("network", e.sNetworkName);
                return "caller";
            } else if constexpr (std::is_same_v<T, CallScreened>) {
                json.AddString("decision", ScreenActionWord(e.action))
                    .AddString("rule", e.sRule)
                    .AddNumber("contact", e.nContactId)
                    .AddBool("challengeFailed", e.bChallengeFailed);
                return "screened";
            } else if constexpr (std::is_same_v<T, CallAnswered>) {
                json.AddString("by", e.by == AnsweredBy::Machine ? "machine" : "user");
                return "answered";
            } else if constexpr (std::is_same_v<T, RecordingStarted>) {
                AddFile(json, e.sFile);
                json.AddBool("message", e.bMessage);
                return "recording";
            } else if constexpr (std::is_same_v<T, RecordingStored>) {
                AddFile(json, e.sFile);
                json.AddNumber("seconds", e.nSeconds)
                    .AddBool("message", e.bMessage)
                    .AddString("problem", e.sProblem);
                return "stored";
            } else if constexpr (std::is_same_v<T, CallEnded>) {
                return "ended";
            } else if constexpr (std::is_same_v<T, LineLost>) {
                json.AddString("state", StateWord(e.state))
                    .AddString("kind", DeviceKindName(e.kind))
                    .AddString("device", e.sDevice)
                    .AddString("reason", e.sReason);
                return "line-lost";
            } else if constexpr (std::is_same_v<T, LineBack>) {
                json.AddString("kind", DeviceKindName(e.kind)).AddString("device", e.sDevice);
                return "line-back";
            } else {
                return nullptr; // CallsForNotice: for the mail, not the pages
            }
        },
        event);
    return name ? SseFrame(name, json.Text()) : "";
}

CEventHub::CEventHub(size_t nQueueFrames) : m_nQueueFrames(std::max<size_t>(nQueueFrames, 1)) {}

CEventHub::~CEventHub() {
    Stop();
}

void CEventHub::Start(CCallEventPublisher& events) {
    if (m_pEvents)
        return;
    m_pEvents = &events;
    m_nSubscription = events.Subscribe("web pages", [this](const CallEvent& event) {
        if (std::string frame = CallEventFrame(event); !frame.empty())
            Broadcast(frame);
    });
}

void CEventHub::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription);
    m_pEvents = nullptr;
}

int CEventHub::Connect(Wake wake) {
    std::lock_guard lock(m_mutex);
    const int id = m_nNextId++;
    m_pages[id].wake = std::move(wake);
    return id;
}

void CEventHub::Disconnect(int id) {
    std::lock_guard lock(m_mutex);
    m_pages.erase(id);
}

void CEventHub::Broadcast(const std::string& frame) {
    Queue(std::make_shared<const std::string>(frame), false);
}

void CEventHub::Heartbeat() {
    static const auto heartbeat = std::make_shared<const std::string>(SseHeartbeat());
    Queue(heartbeat, true);
}

void CEventHub::Queue(const std::shared_ptr<const std::string>& frame, bool bOnlyIdle) {
    std::vector<Wake> wakes;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [id, page] : m_pages) {
            if (bOnlyIdle && !page.frames.empty())
                continue;
            if (page.frames.size() >= m_nQueueFrames) {
                page.frames.pop_front();
                ++page.nDropped;
                ++page.nUntold;
                ++m_nTotalDropped;
            }
            page.frames.push_back(frame);
            if (page.frames.size() == 1 && page.wake)
                wakes.push_back(page.wake);
        }
    }
    for (const Wake& wake : wakes)
        wake();
}

bool CEventHub::Take(int id, std::string& out, size_t maxBytes) {
    std::lock_guard lock(m_mutex);
    const auto it = m_pages.find(id);
    if (it == m_pages.end())
        return false;
    Page& page = it->second;
    if (page.nUntold > 0) {
        out +=
            SseFrame("dropped",
                     CJsonObject().AddNumber("frames", static_cast<int64_t>(page.nUntold)).Text());
        page.nUntold = 0;
    }
    size_t taken = 0;
    while (!page.frames.empty() &&
           (taken == 0 || taken + page.frames.front()->size() <= maxBytes)) {
        taken += page.frames.front()->size();
        out += *page.frames.front();
        page.frames.pop_front();
    }
    return true;
}

size_t CEventHub::Pages() const {
    std::lock_guard lock(m_mutex);
    return m_pages.size();
}

uint64_t CEventHub::Dropped(int id) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_pages.find(id);
    return it == m_pages.end() ? 0 : it->second.nDropped;
}

uint64_t CEventHub::TotalDropped() const {
    std::lock_guard lock(m_mutex);
    return m_nTotalDropped;
}
