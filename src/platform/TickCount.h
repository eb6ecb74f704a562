// Milliseconds from a monotonic clock, as the tick count the timing rules use.
#pragma once

#include <cstdint>

// Wraps after about 49 days like any 32-bit tick count: compare with
// differences (now - start), never with absolute values.
uint32_t GetTickCount();
void SleepMs(uint32_t ms);
