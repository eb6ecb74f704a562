// The logged-in browsers: a random 256-bit session id in a cookie, and with
// each session its own form token, which every change must carry. A session
// ends after an idle while, after a longest life, or at logout.
#pragma once

#include "web/LoginGuard.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

struct SessionPolicy {
    int64_t nIdleMs = 30 * 60 * 1000;
    int64_t nLifeMs = 12 * 60 * 60 * 1000;
    size_t nMaxSessions = 64;
};

class CSessions {
public:
    using Clock = CLoginGuard::Clock;
    explicit CSessions(SessionPolicy policy = {}, Clock clock = {});

    struct Session {
        std::string sId;
        std::string sCsrf;
    };
    // A new session; the oldest goes when there are too many.
    Session Create();
    // The live session of that id (its idle time starts again).
    std::optional<Session> Find(const std::string& sId);
    void End(const std::string& sId);

private:
    struct Entry {
        std::string sCsrf;
        int64_t nCreated = 0;
        int64_t nLastUsed = 0;
    };
    SessionPolicy m_policy;
    Clock m_clock;
    std::mutex m_mutex;
    std::map<std::string, Entry> m_sessions;
};
