// Minimal RIFF WAVE reading and writing for the simulator's sound sources and
// captures (PCM only). The program's own WAV layer lives in the audio library;
// the simulator keeps its own so that it stays an independent reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modemsim {

struct WavData {
    std::vector<int16_t> samples; // mono; several channels are mixed
    int sampleRate = 8000;
};

// 8-bit and 16-bit PCM. False with *error set for anything else, a truncated
// file, or a file larger than 64 MB.
bool ReadWav(const std::string& path, WavData& out, std::string* error);
bool WriteWav(const std::string& path, const WavData& data, std::string* error);

} // namespace modemsim
