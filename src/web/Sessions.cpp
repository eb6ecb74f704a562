#include "web/Sessions.h"

#include "web/Password.h"

#include <algorithm>

CSessions::CSessions(SessionPolicy policy, Clock clock)
    : m_policy(policy), m_clock(clock ? std::move(clock) : Clock(SteadyMs)) {}

CSessions::Session CSessions::Create() {
    Session session{RandomToken(), RandomToken()};
    std::lock_guard lock(m_mutex);
    const int64_t now = m_clock();
    if (m_sessions.size() >= m_policy.nMaxSessions) {
        auto oldest = std::min_element(m_sessions.begin(), m_sessions.end(),
                                       [](const auto& a, const auto& b) {
                                           return a.second.nLastUsed < b.second.nLastUsed;
                                       });
        m_sessions.erase(oldest);
    }
    m_sessions[session.sId] = {session.sCsrf, now, now};
    return session;
}

std::optional<CSessions::Session> CSessions::Find(const std::string& sId) {
    if (sId.empty())
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    const int64_t now = m_clock();
    std::erase_if(m_sessions, [&](const auto& entry) {
        return now - entry.second.nLastUsed > m_policy.nIdleMs ||
               now - entry.second.nCreated > m_policy.nLifeMs;
    });
    auto it = m_sessions.find(sId);
    if (it == m_sessions.end())
        return std::nullopt;
    it->second.nLastUsed = now;
    return Session{it->first, it->second.sCsrf};
}

void CSessions::End(const std::string& sId) {
    std::lock_guard lock(m_mutex);
    m_sessions.erase(sId);
}
