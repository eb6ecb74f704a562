// RIFF WAVE files: the reader and writer recordings, greetings and messages
// go through.
//
// The reader takes PCM of 8 or 16 bits (mono or stereo) and GSM 6.10; it
// skips chunks it does not need, honours the pad byte of odd-sized chunks,
// and reads what a truncated file holds. A data size of 0 or one that runs
// past the end of the file (a recorder that died before closing) is repaired
// from the file length.
//
// The writer buffers its output and, while a recording grows, brings the RIFF
// and data sizes up to date every few seconds of sound, so a recorder that is
// killed leaves a playable file missing at most its last seconds.
#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The RIFF header of a file in format whose data chunk holds nDataBytes
// (and, compressed, nFactSamples samples); the data follows it.
std::vector<uint8_t> WaveHeader(const WaveFormat& format, uint32_t nDataBytes,
                                uint32_t nFactSamples);

class CWaveFile {
public:
    // Seconds of sound written between two header refreshes.
    static constexpr uint32_t kDefaultRefreshSeconds = 2;

    CWaveFile() = default;
    ~CWaveFile();
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // Reading. Open returns 1 on success and 0 on failure (the file closed,
    // LastError() saying why). With bAnyCoding a format other than PCM and
    // GSM 6.10 opens too, for a reader that decodes the raw data itself
    // (ReadData); ReadSample then reads nothing.
    int Open(const std::string& path, bool bAnyCoding = false);
    const WaveFormat& Format() const { return m_format; }
    uint32_t DataLength() const { return m_nDataLength; }
    // The number of sample frames (PCM) or samples (GSM, from the fact chunk
    // or the block count) the data holds.
    uint32_t SampleCount() const;
    // The sample count of the "fact" chunk, when the file has one.
    bool HasFact() const { return m_bHaveFact; }
    uint32_t FactSamples() const { return m_nFactSamples; }
    // One mono sample (stereo frames are mixed: left / 2 + right / 2); false
    // at the end of the data. Left() and Right() keep the last frame's halves.
    bool ReadSample(int16_t& sample);
    int16_t Left() const { return m_nLeft; }
    int16_t Right() const { return m_nRight; }
    // Up to count mono samples; returns how many were read.
    size_t ReadSamples(int16_t* out, size_t count);
    // Raw data bytes (compressed formats); returns how many were read.
    size_t ReadData(uint8_t* out, size_t count);
    // Reading goes on at nOffset bytes into the data (at most its end);
    // false when the file cannot seek there.
    bool SeekData(uint32_t nOffset);
    void CloseRead();

    // Writing. Create returns 1 on success and 0 on failure (nothing left
    // open). A PCM format gets a 16-byte "fmt " chunk; others get 18 bytes
    // plus their extra bytes, and a "fact" chunk with the sample count.
    int Create(const std::string& path, const WaveFormat& format);
    void SetRefreshSeconds(uint32_t seconds) { m_nRefreshSeconds = seconds; }
    bool WriteSample(int16_t sample); // mono, or both channels
    bool WriteStereo(int16_t left, int16_t right);
    bool WriteSamples(const int16_t* samples, size_t count);
    bool WriteData(const uint8_t* data, size_t count);
    // Samples behind compressed data written so far (for the "fact" chunk).
    void AddCompressedSamples(uint32_t count) { m_nFactSamples += count; }
    // Flushes and writes the final sizes; false when anything failed.
    bool CloseWrite();
    // After a write failed (a full disk): its errno, 0 before. The file then
    // keeps the whole frames the disk took, and its sizes say so once closed.
    int WriteErrno() const { return m_nWriteErrno; }
    // Sound bytes in the file being written.
    uint32_t DataWritten() const { return m_nDataWritten; }

    bool IsOpen() const { return m_pFile != nullptr || m_fd >= 0; }
    const std::string& LastError() const { return m_sError; }

private:
    bool Fail(const std::string& message);
    bool ReadByte(uint8_t& b);
    bool Flush();
    void KeepWhatIsOnDisk(size_t nLost);
    bool PutBytes(const uint8_t* data, size_t count);
    bool WriteSizes();

    std::FILE* m_pFile = nullptr; // reading
    int m_fd = -1;                // writing
    std::string m_sPath;
    std::string m_sError;
    WaveFormat m_format;
    bool m_bWriting = false;

    // Reading state.
    uint64_t m_nDataStart = 0;
    uint32_t m_nDataLength = 0;
    uint32_t m_nFactSamples = 0;
    bool m_bHaveFact = false;
    uint32_t m_nReadPos = 0;
    std::vector<uint8_t> m_readBuf;
    size_t m_nReadBufPos = 0;
    int16_t m_nLeft = 0;
    int16_t m_nRight = 0;

    // Writing state.
    std::vector<uint8_t> m_writeBuf;
    uint64_t m_nFactOffset = 0; // 0 when the file has no "fact" chunk
    uint64_t m_nDataSizeOffset = 0;
    uint32_t m_nDataWritten = 0;
    uint32_t m_nSinceRefresh = 0;
    uint32_t m_nRefreshSeconds = kDefaultRefreshSeconds;
    bool m_bWriteFailed = false;
    int m_nWriteErrno = 0;
};
