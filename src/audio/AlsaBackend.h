// How the ALSA backend set a sound card's stream up: what its log line
// ("sound card NAME (playback): 48000 Hz, period 480, buffer 1920") says.
#pragma once

#include "audio/SoundBackend.h"

#include <cstdint>
#include <optional>
#include <string>

struct AlsaSetup {
    std::string sName; // the PCM opened
    uint32_t nRate = 0;
    unsigned long nPeriod = 0;         // frames
    unsigned long nBuffer = 0;         // frames
    unsigned long nStartThreshold = 0; // frames queued before playback starts
    unsigned long nAvailMin = 0;       // frames that wake a reader or writer
    bool bLowLatency = false;          // false: the card refused short periods
};

// The set-up of a stream the ALSA backend opened; nullopt for any other.
std::optional<AlsaSetup> AlsaSetupOf(const ICaptureStream& stream);
std::optional<AlsaSetup> AlsaSetupOf(const IPlaybackStream& stream);
