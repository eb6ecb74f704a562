// Sample rate conversion by linear interpolation: enough for a voice
// greeting played on a line that runs at another rate than the file.
#pragma once

#include <cstdint>
#include <vector>

// in at `from` samples/s as `to` samples/s (in itself when either is 0 or
// they are equal).
std::vector<int16_t> Resample(const std::vector<int16_t>& in, uint32_t from, uint32_t to);
