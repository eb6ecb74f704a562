#include "audio/WaveFormat.h"

WaveFormat PcmFormat(uint32_t nSamplesPerSec, uint16_t bits, uint16_t channels) {
    WaveFormat f;
    f.wFormatTag = kWaveFormatPcm;
    f.nChannels = channels;
    f.nSamplesPerSec = nSamplesPerSec;
    f.nBlockAlign = static_cast<uint16_t>(channels * (bits / 8));
    f.nAvgBytesPerSec = nSamplesPerSec * f.nBlockAlign;
    f.wBitsPerSample = bits;
    return f;
}

WaveFormat Gsm610Format() {
    WaveFormat f;
    f.wFormatTag = kWaveFormatGsm610;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.nAvgBytesPerSec = 1625;
    f.nBlockAlign = kGsmBlockBytes;
    f.wBitsPerSample = 0;
    f.extra = {static_cast<uint8_t>(kGsmBlockSamples & 0xFF),
               static_cast<uint8_t>(kGsmBlockSamples >> 8)};
    return f;
}
