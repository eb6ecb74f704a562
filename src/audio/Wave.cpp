#include "audio/Wave.h"

#include <new>

CWaveBlock::CWaveBlock(uint32_t nSize) {
    try {
        m_data.resize(nSize);
    } catch (const std::bad_alloc&) {
        m_data.clear();
    }
}

CWaveBlock::CWaveBlock(std::vector<uint8_t> bytes, uint32_t nSamples)
    : m_data(std::move(bytes)), m_nSamples(nSamples) {}

int CWave::SetFormat(uint32_t nSamplesPerSec, int nBits, uint32_t nBytes) {
    if (nBits != 8 && nBits != 16)
        return 0;
    Clear();
    if (nBytes > 0) {
        auto block = std::make_unique<CWaveBlock>(static_cast<uint32_t>(nBits) * nBytes / 8);
        m_blocks.AddTail(std::move(block));
    }
    m_wFormatTag = 1;
    m_nChannels = 1;
    m_nSamplesPerSec = nSamplesPerSec;
    m_nBlockAlign = static_cast<uint16_t>(nBits / 8);
    m_nAvgBytesPerSec = nSamplesPerSec;
    m_wBitsPerSample = static_cast<uint16_t>(nBits);
    return 1;
}

void CWave::AddBlock(std::unique_ptr<CWaveBlock> block) {
    CWaveBlock& ref = *block;
    m_blocks.AddTail(std::move(block));
    if (m_pOwner)
        m_pOwner->OnBlockArrived(*this, ref);
}

void CWave::PlayDone() {
    if (m_nPlayCount > 0 && --m_nPlayCount == 0 && m_pOwner)
        m_pOwner->OnPlayFinished(*this);
}
