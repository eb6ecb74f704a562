#include "platform/Event.h"

#include <chrono>
#include <map>
#include <memory>

void ManualResetEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    m_cv.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_bSet;
}

bool ManualResetEvent::Wait(int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    if (timeoutMs < 0) {
        m_cv.wait(lock, [this] { return m_bSet; });
        return true;
    }
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_bSet; });
}

ManualResetEvent& NamedEvent(const std::string& name, bool bInitiallySet) {
    // Events live until the process ends, like the named events they replace;
    // references handed out stay valid because each is allocated on its own.
    // Never destroyed: a thread still running while the process exits (a
    // modem detection the wizard did not wait for) may still use them.
    static auto& mutex = *new std::mutex;
    static auto& events = *new std::map<std::string, std::unique_ptr<ManualResetEvent>>;
    std::lock_guard lock(mutex);
    auto& slot = events[name];
    if (!slot)
        slot = std::make_unique<ManualResetEvent>(bInitiallySet);
    return *slot;
}
