// Failed logins, per client address: each failure makes that address wait
// longer before its next try (doubling from a second), and a number of
// failures in a row locks it out for a while. A success clears its count.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

// The steady clock in milliseconds.
int64_t SteadyMs();

struct LoginPolicy {
    int64_t nFirstDelayMs = 1000;
    int64_t nMaxDelayMs = 30000;
    int nLockAfter = 5;
    int64_t nLockMs = 15 * 60 * 1000;
};

class CLoginGuard {
public:
    using Clock = std::function<int64_t()>; // milliseconds, never going back
    explicit CLoginGuard(LoginPolicy policy = {}, Clock clock = {});

    // 0 when sClient may try now, else the milliseconds it must still wait.
    int64_t WaitMs(const std::string& sClient);
    void Failed(const std::string& sClient);
    void Succeeded(const std::string& sClient);

private:
    struct Record {
        int nFailures = 0;
        int64_t nNotBefore = 0;
    };
    static constexpr size_t kMaxClients = 4096;
    LoginPolicy m_policy;
    Clock m_clock;
    std::mutex m_mutex;
    std::map<std::string, Record> m_clients;
};
