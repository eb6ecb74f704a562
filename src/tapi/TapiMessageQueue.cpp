#include "tapi/TapiMessageQueue.h"

#include <chrono>
#include <cstdio>

CTapiMessageQueue::CTapiMessageQueue(std::string sOwner, size_t nLimit, LogFn log)
    : m_sOwner(std::move(sOwner)), m_nLimit(nLimit), m_log(std::move(log)) {}

void CTapiMessageQueue::Log(const std::string& text) const {
    const std::string line = m_sOwner + ": " + text;
    if (m_log)
        m_log(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

void CTapiMessageQueue::Open() {
    std::lock_guard lock(m_mutex);
    m_bOpen = true;
}

void CTapiMessageQueue::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_bOpen = false;
        m_queue.clear();
        m_nDroppedNow = 0;
    }
    m_cv.notify_all();
}

bool CTapiMessageQueue::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_bOpen;
}

bool CTapiMessageQueue::Push(const TapiMessage& msg) {
    std::unique_lock lock(m_mutex);
    if (!m_bOpen)
        return false; // nobody reads
    if (m_queue.size() >= m_nLimit) {
        ++m_nDropped;
        if (m_nDroppedNow++ == 0)
            Log("the message queue is full (" + std::to_string(m_nLimit) +
                " messages); newer messages are dropped");
        return false;
    }
    m_queue.push_back(msg);
    // Ended once the reader has caught up by half, so that a lasting flood
    // is not one pair of log lines per message read.
    if (m_nDroppedNow > 0 && m_queue.size() <= m_nLimit / 2) {
        Log("the message queue takes messages again; " + std::to_string(m_nDroppedNow) +
            " were dropped");
        m_nDroppedNow = 0;
    }
    lock.unlock();
    m_cv.notify_all();
    return true;
}

TapiResult CTapiMessageQueue::Get(TapiMessage* pMsg, uint32_t dwTimeoutMs) {
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return !m_bOpen || !m_queue.empty(); };
    if (dwTimeoutMs == kTapiWaitForever)
        m_cv.wait(lock, ready);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), ready))
        return kTapiErrOperationUnavail;
    if (!m_bOpen)
        return kTapiErrInvalAppHandle;
    *pMsg = m_queue.front();
    m_queue.pop_front();
    return 0;
}

size_t CTapiMessageQueue::Size() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

uint64_t CTapiMessageQueue::Dropped() const {
    std::lock_guard lock(m_mutex);
    return m_nDropped;
}
