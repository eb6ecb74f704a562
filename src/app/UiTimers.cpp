#include "app/UiTimers.h"

#include <algorithm>

namespace {
// Tick counts wrap after 49 days: compare by difference.
bool Reached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}
} // namespace

void CUiTimers::Start(int id, uint32_t ms, uint32_t now) {
    m_timers[id] = Timer{ms, now + ms};
}

void CUiTimers::Kill(int id) {
    m_timers.erase(id);
}

std::vector<int> CUiTimers::TakeDue(uint32_t now) {
    std::vector<int> due;
    for (auto& [id, t] : m_timers) {
        if (!Reached(now, t.due))
            continue;
        due.push_back(id);
        t.due += t.period;
        if (Reached(now, t.due))
            t.due = now + t.period;
    }
    return due;
}

std::optional<uint32_t> CUiTimers::MsUntilNext(uint32_t now) const {
    std::optional<uint32_t> next;
    for (const auto& [id, t] : m_timers) {
        uint32_t left = Reached(now, t.due) ? 0 : t.due - now;
        next = next ? std::min(*next, left) : left;
    }
    return next;
}
