// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToneFile.h"

#include "audio/WaveFile.h"
#include "audio/WaveFormat.h"

#include <cmath>

std::vector<int16_t> Tones(const std::vector<std::pair<double, int>>& tones, int rate) {
    std::vector<int16_t> s;
    for (const auto& [hz, ms] : tones)
        for (int i = 0; i < rate / 1000 * ms; ++i)
            s.push_back(static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

bool WriteSound(const std::string& path, const std::vector<int16_t>& samples, int rate) {
    CWaveFile wav;
    if (wav.Create(path, PcmFormat(static_cast<uint32_t>(rate))) != 1)
        return false;
    wav.WriteSamples(samples.data(), samples.size());
    return wav.CloseWrite();
}
