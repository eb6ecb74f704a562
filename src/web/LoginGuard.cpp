#include "web/LoginGuard.h"

#include <algorithm>
#include <chrono>

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CLoginGuard::CLoginGuard(LoginPolicy policy, Clock clock)
    : m_policy(policy), m_clock(std::move(clock)) {
    if (!m_clock)
        m_clock = SteadyMs;
}

int64_t CLoginGuard::WaitMs(const std::string& sClient) {
    std::lock_guard lock(m_mutex);
    auto it = m_clients.find(sClient);
    if (it == m_clients.end())
        return 0;
    return std::max<int64_t>(0, it->second.nNotBefore - m_clock());
}

void CLoginGuard::Failed(const std::string& sClient) {
    std::lock_guard lock(m_mutex);
    const int64_t now = m_clock();
    if (m_clients.size() >= kMaxClients && !m_clients.count(sClient)) {
        // Forget the addresses free to try again; the locked ones stay.
        std::erase_if(m_clients, [now](const auto& entry) { return entry.second.nNotBefore <= now; });
        if (m_clients.size() >= kMaxClients)
            return;
    }
    Record& record = m_clients[sClient];
    ++record.nFailures;
    int64_t wait = m_policy.nFirstDelayMs;
    for (int i = 1; i < record.nFailures && wait < m_policy.nMaxDelayMs; ++i)
        wait *= 2;
    wait = std::min(wait, m_policy.nMaxDelayMs);
    if (record.nFailures >= m_policy.nLockAfter) {
        wait = m_policy.nLockMs;
        record.nFailures = 0;
    }
    record.nNotBefore = now + wait;
}

void CLoginGuard::Succeeded(const std::string& sClient) {
    std::lock_guard lock(m_mutex);
    m_clients.erase(sClient);
}
