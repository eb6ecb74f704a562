// The call engine's side of a telephony line in the tests: the messages the
// line posts, kept in order, with a wait for one to arrive.
#pragma once

#include "tapi/MyLine.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

struct PostedMessage {
    int nMessage;
    uintptr_t wParam;
    intptr_t lParam;
};

class CPostedMessages {
public:
    TapiEngineLink Link() {
        TapiEngineLink link;
        link.post = [this](int m, uintptr_t w, intptr_t l) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back({m, w, l});
            m_cv.notify_all();
        };
        link.log = [this](const std::string& text) {
            std::lock_guard lock(m_mutex);
            m_statuses.push_back(text);
        };
        link.handlingCall = [this] { return m_bHandling.load(); };
        link.placingCall = [] { return false; };
        return link;
    }
    // Waits (at most 30 s, never reached when all is well) until message
    // nMessage has been posted nCount times.
    bool WaitFor(int nMessage, size_t nCount = 1) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(30),
                             [&] { return CountLocked(nMessage) >= nCount; });
    }
    size_t Count(int nMessage) const {
        std::lock_guard lock(m_mutex);
        return CountLocked(nMessage);
    }
    // Whether the line reported text as its status at some point (the last
    // status may already be a later call state).
    bool Reported(const std::string& text) const {
        std::lock_guard lock(m_mutex);
        return std::find(m_statuses.begin(), m_statuses.end(), text) != m_statuses.end();
    }
    std::vector<PostedMessage> All() const {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    std::atomic<bool> m_bHandling{false};

private:
    size_t CountLocked(int nMessage) const {
        size_t n = 0;
        for (const auto& m : m_messages)
            n += m.nMessage == nMessage;
        return n;
    }
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<PostedMessage> m_messages;
    std::vector<std::string> m_statuses;
};

// Drops the line's call and waits until the line has let it go.
inline bool DropAndWaitGone(CMyLine& line, CPostedMessages& posted) {
    const size_t gone = posted.Count(kTapiMsgDeallocated);
    line.Drop();
    return posted.WaitFor(kTapiMsgDeallocated, gone + 1);
}
