#include "engine/ThreadMessages.h"

#include <chrono>

bool CThreadMessageQueue::Post(int message, uintptr_t wParam, intptr_t lParam) {
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        if (m_bClosed || m_queue.size() >= kMaxQueued)
            return false;
        m_queue.push_back({message, wParam, lParam});
        wake = m_wake;
    }
    m_cv.notify_one();
    if (wake)
        wake();
    return true;
}

std::optional<ThreadMessage> CThreadMessageQueue::TryGet() {
    std::lock_guard lock(m_mutex);
    if (m_queue.empty())
        return std::nullopt;
    ThreadMessage m = m_queue.front();
    m_queue.pop_front();
    return m;
}

std::optional<ThreadMessage> CThreadMessageQueue::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [this] { return !m_queue.empty() || m_bClosed; });
    if (m_queue.empty())
        return std::nullopt;
    ThreadMessage m = m_queue.front();
    m_queue.pop_front();
    return m;
}

size_t
CThreadMessageQueue::PumpMessages(const std::function<void(const ThreadMessage&)>& dispatch) {
    // One at a time, so that a handler that throws loses no other message.
    size_t n = Size();
    size_t done = 0;
    for (; done < n; ++done) {
        std::optional<ThreadMessage> m = TryGet();
        if (!m)
            break;
        dispatch(*m);
    }
    return done;
}

void CThreadMessageQueue::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_bClosed = true;
    }
    m_cv.notify_all();
}

size_t CThreadMessageQueue::Size() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void CThreadMessageQueue::SetWakeUp(std::function<void()> wake) {
    std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}
