// Captured sound in memory: a format and a list of blocks as the sound card
// delivers them.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One buffer of sample bytes, owned by the block.
class CWaveBlock {
public:
    CWaveBlock() = default;
    // Allocates size bytes (zeroed); the size stays 0 when that fails.
    explicit CWaveBlock(uint32_t nSize);
    // Takes the bytes over.
    CWaveBlock(std::vector<uint8_t> bytes, uint32_t nSamples);

    uint8_t* Data() { return m_data.data(); }
    const uint8_t* Data() const { return m_data.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(m_data.size()); }
    uint32_t SampleCount() const { return m_nSamples; }
    void SetSampleCount(uint32_t n) { m_nSamples = n; }

private:
    std::vector<uint8_t> m_data;
    uint32_t m_nSamples = 0;
};

class CWaveBlockList {
public:
    void AddTail(std::unique_ptr<CWaveBlock> block) { m_blocks.push_back(std::move(block)); }
    // Removes every block from the head and destroys it.
    void RemoveAll() { m_blocks.clear(); }
    size_t GetCount() const { return m_blocks.size(); }
    bool IsEmpty() const { return m_blocks.empty(); }
    const std::list<std::unique_ptr<CWaveBlock>>& Blocks() const { return m_blocks; }

private:
    std::list<std::unique_ptr<CWaveBlock>> m_blocks;
};

class CWave;

// Told about a wave's blocks as they arrive and when its playback ends.
class IWaveOwner {
public:
    virtual ~IWaveOwner() = default;
    virtual void OnBlockArrived(CWave& wave, CWaveBlock& block) = 0;
    virtual void OnPlayFinished(CWave&) {}
};

class CWave {
public:
    CWave() = default;
    virtual ~CWave() = default;
    CWave(const CWave&) = delete;
    CWave& operator=(const CWave&) = delete;

    // Format fields of a PCM wave format.
    uint16_t m_wFormatTag = 1;
    uint16_t m_nChannels = 1;
    uint32_t m_nSamplesPerSec = 11025;
    uint32_t m_nAvgBytesPerSec = 11025;
    uint16_t m_nBlockAlign = 1;
    uint16_t m_wBitsPerSample = 8;

    // Sets a mono PCM format and clears the blocks; with nBytes > 0 adds one
    // block of bits x nBytes / 8 bytes. Returns 0 for bit depths other than 8
    // and 16, else 1. The average bytes per second are the samples per
    // second; the sound-card path sets both from the device format.
    int SetFormat(uint32_t nSamplesPerSec, int nBits, uint32_t nBytes = 0);

    // Appends a block and tells the owner.
    void AddBlock(std::unique_ptr<CWaveBlock> block);
    void Clear() { m_blocks.RemoveAll(); }
    const CWaveBlockList& Blocks() const { return m_blocks; }

    void SetOwner(IWaveOwner* pOwner) { m_pOwner = pOwner; }
    IWaveOwner* Owner() const { return m_pOwner; }

    // Playback bookkeeping: buffers of this wave still playing.
    void AddPlaying() { ++m_nPlayCount; }
    // Called when a buffer finished playing; at 0 the owner hears of it.
    void PlayDone();
    int PlayCount() const { return m_nPlayCount; }

private:
    CWaveBlockList m_blocks;
    IWaveOwner* m_pOwner = nullptr;
    int m_nPlayCount = 0;
};
