#include "engine/VolumeScale.h"

#include <algorithm>
#include <cmath>

double VolumeFactor(int iVolume, bool bMuted) {
    if (bMuted)
        return 0.0;
    int v = std::clamp(iVolume, 0, 100);
    if (v > 50)
        return v / 50.0;
    if (v < 50)
        return (v + 50) / 100.0;
    return 1.0;
}

void ApplyVolume(std::span<int16_t> samples, double factor) {
    if (factor == 1.0)
        return;
    for (int16_t& s : samples) {
        long v = std::lround(s * factor);
        s = static_cast<int16_t>(std::clamp<long>(v, INT16_MIN, INT16_MAX));
    }
}
