// The playback volume applied to the samples recorded from and played to the
// line.
#pragma once

#include <cstdint>
#include <span>

// The factor for a volume setting: 1.0 at 50, volume/50 above, (volume+50)/100
// below, 0 when muted. The setting is a slider position; values outside
// 0..100 (a hand-edited file) count as its ends.
double VolumeFactor(int iVolume, bool bMuted);

// Scales the samples in place, saturating instead of wrapping around.
void ApplyVolume(std::span<int16_t> samples, double factor);
