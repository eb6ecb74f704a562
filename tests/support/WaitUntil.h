// SPDX-License-Identifier: GPL-3.0-or-later
// Waits for a condition another thread or process brings about, looking
// every 20 ms; false when it has not come within timeoutMs.
#pragma once

#include "platform/TickCount.h"

#include <cstdint>
#include <functional>

inline bool WaitUntil(const std::function<bool()>& done, uint32_t timeoutMs = 30000) {
    const uint32_t start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        SleepMs(20);
    }
    return true;
}
