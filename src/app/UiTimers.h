// The hidden window's timers on a loop without a window system: each timer
// has a period and the tick it is next due; the loop asks which are due and
// how long it may sleep.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class CUiTimers {
public:
    // (Re)starts timer id with period ms, first due ms after now.
    void Start(int id, uint32_t ms, uint32_t now);
    void Kill(int id);
    bool IsRunning(int id) const { return m_timers.count(id) != 0; }

    // The timers due at now, each moved on by its period (a timer that fell
    // far behind fires once, not once per missed period).
    std::vector<int> TakeDue(uint32_t now);
    // Milliseconds until the next timer is due; nullopt with no timer.
    std::optional<uint32_t> MsUntilNext(uint32_t now) const;

private:
    struct Timer {
        uint32_t period;
        uint32_t due;
    };
    std::map<int, Timer> m_timers;
};
