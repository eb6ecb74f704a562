// Cacm: converts between 16-bit PCM and GSM 6.10 as stored in WAV files
// (format tag 0x31: 65-byte blocks of two frames, 320 samples), the
// compressed form recordings can be kept in.
#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>
#include <string>
#include <vector>

struct gsm_state;

class Cacm {
public:
    Cacm() = default;
    ~Cacm() { Close(); }
    Cacm(const Cacm&) = delete;
    Cacm& operator=(const Cacm&) = delete;

    // One of the tags must be 1 (PCM), the other 0x31 (GSM 6.10); the PCM
    // side is mono at nSamplesPerSec. False when the pair is not offered.
    bool Open(uint16_t srcTag, uint16_t dstTag, uint32_t nSamplesPerSec = 8000);
    void Close();
    bool IsOpen() const { return m_pEncoder != nullptr; }
    // The GSM format at the opened rate, for the "fmt " chunk.
    const WaveFormat& CompressedFormat() const { return m_gsmFormat; }

    // PCM to GSM, appended to out. Whole 320-sample blocks are converted; the
    // rest waits for the next call, and the final call pads it with silence
    // to a whole block. Returns the bytes produced.
    size_t ConvertToCompressed(const int16_t* samples, size_t count, std::vector<uint8_t>& out,
                               bool bFinal);
    // GSM to PCM, appended to out. Whole 65-byte blocks are converted; a
    // partial block waits for the next call. Returns the samples produced.
    size_t ConvertToPcm(const uint8_t* bytes, size_t count, std::vector<int16_t>& out);

private:
    void EncodeBlock(const int16_t* block, std::vector<uint8_t>& out);

    gsm_state* m_pEncoder = nullptr;
    gsm_state* m_pDecoder = nullptr;
    WaveFormat m_gsmFormat;
    std::vector<int16_t> m_pendingPcm;
    std::vector<uint8_t> m_pendingGsm;
};

// Converts a PCM WAV file (8 or 16 bits, mono or stereo, mixed to mono) into
// a GSM 6.10 WAV file. The target is replaced only when the whole conversion
// succeeded (source and target may be the same file). False on failure, with
// the reason in *pError when given.
bool ConvertToGsm(const std::string& source, const std::string& target);
bool ConvertToGsm(const std::string& source, const std::string& target, std::string* pError);

// Reads a whole WAV file (PCM or GSM 6.10) as 16-bit mono samples. False,
// with the reason in error, when it cannot be read; at most maxSamples are
// read.
bool ReadWaveSamples(const std::string& path, std::vector<int16_t>& samples, WaveFormat& format,
                     std::string& error, size_t maxSamples = 256u * 1024 * 1024);
