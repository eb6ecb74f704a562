// A sum of 16-bit samples brought back into 16 bits: what overflows clips.
#pragma once

#include <algorithm>
#include <cstdint>

inline int16_t Saturate(int v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}
