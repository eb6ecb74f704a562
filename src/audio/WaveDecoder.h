// Reading a whole WAV file as 16-bit mono samples, whatever coding it is in:
// PCM of 8 or 16 bits, GSM 6.10, G.711 A-law and mu-law, IMA ADPCM and
// Microsoft ADPCM, mono or stereo (stereo is mixed to mono). These are the
// files the program writes and those users bring as greetings or want to
// listen to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedWave {
    std::vector<int16_t> samples;
    uint32_t nSamplesPerSec = 8000;
    uint16_t wFormatTag = 1; // the file's coding
};

// False with the reason in *pError (missing, unreadable, not a WAV file, a
// coding this program cannot decode, longer than maxSamples); out is then
// empty. A file cut short yields what it holds.
bool DecodeWaveFile(const std::string& path, DecodedWave& out, std::string* pError,
                    size_t maxSamples = 256u * 1024 * 1024);
