// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToneFile.h"

#include "audio/WaveFile.h"
#include "audio/WaveFormat.h"

#include <cmath>
#include <cstdint>

bool WriteToneFile(const std::string& path, double hz, double seconds) {
    constexpr double kPi = 3.14159265358979323846;
    CWaveFile wav;
    if (wav.Create(path, PcmFormat(8000)) != 1)
        return false;
    const auto n = static_cast<size_t>(seconds * 8000);
    for (size_t i = 0; i < n; ++i)
        wav.WriteSample(
            static_cast<int16_t>(8000 * std::sin(2 * kPi * hz * static_cast<double>(i) / 8000)));
    return wav.CloseWrite();
}
