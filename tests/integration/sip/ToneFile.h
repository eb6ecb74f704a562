// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files as a far end or a greeting says them in the SIP tests (16-bit
// mono WAV).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Sine tones at 8000 of full scale one after the other: {hz, ms} each.
std::vector<int16_t> Tones(const std::vector<std::pair<double, int>>& tones, int rate = 8000);
// False when the file could not be written.
bool WriteSound(const std::string& path, const std::vector<int16_t>& samples, int rate = 8000);
