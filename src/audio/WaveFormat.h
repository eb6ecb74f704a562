// The format of a wave file or buffer, as in a RIFF "fmt " chunk.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatGsm610 = 0x31; // 49

struct WaveFormat {
    uint16_t wFormatTag = kWaveFormatPcm;
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 8000;
    uint32_t nAvgBytesPerSec = 16000;
    uint16_t nBlockAlign = 2;
    uint16_t wBitsPerSample = 16;
    std::vector<uint8_t> extra; // the bytes after cbSize in an 18+ byte format

    bool IsPcm() const { return wFormatTag == kWaveFormatPcm; }
    bool IsGsm() const { return wFormatTag == kWaveFormatGsm610; }
    bool operator==(const WaveFormat&) const = default;
};

// 16-bit mono PCM at the given rate.
WaveFormat PcmFormat(uint32_t nSamplesPerSec, uint16_t bits = 16, uint16_t channels = 1);
// GSM 6.10 in WAV: 8000 samples/s, 1625 bytes/s, 65-byte blocks of 320 samples.
WaveFormat Gsm610Format();
constexpr uint32_t kGsmBlockBytes = 65;
constexpr uint32_t kGsmBlockSamples = 320;
