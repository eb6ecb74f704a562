// The call-progress tones the line signal detector knows: the dial and busy
// tones of common countries, one row each.
#pragma once

#include "linesig/LineSignal.h"

#include <span>

struct CallProgressTone {
    LineSignalKind kind; // DialTone or BusyTone
    const char* szName;  // where it is used, for logs and tests
    int nFreq1;          // Hz
    int nFreq2;          // Hz; 0 for a single tone
    // Cadence in milliseconds: the tone's on and off times. A dial tone is
    // continuous (nOffMs 0) and counts once it has lasted nOnMs.
    int nOnMs;
    int nOffMs;
    // How many on/off cycles make a busy tone certain.
    int nCycles;
};

std::span<const CallProgressTone> CallProgressTones();

// How far a measured on or off time may stray from the table's, in percent:
// exchanges are not exact and the receiver measures in 16 ms steps.
inline constexpr int kCadenceTolerancePercent = 20;
