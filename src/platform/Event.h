// In-process events, the stand-in for the named manual-reset events that
// threads of this program wait on.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

class ManualResetEvent {
public:
    explicit ManualResetEvent(bool bInitiallySet = false) : m_bSet(bInitiallySet) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is set within timeoutMs (a negative time-out waits
    // for ever).
    bool Wait(int timeoutMs) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    bool m_bSet;
};

// The process-wide event of that name, created on first use in the given
// state; later calls return the same event whatever state they ask for.
ManualResetEvent& NamedEvent(const std::string& name, bool bInitiallySet = false);
