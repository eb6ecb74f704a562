#include "audio/Wave.h"

#include <new>

namespace {

void Put16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Bounded little-endian reads from a byte string.
class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}
    bool Get16(uint16_t& v) {
        if (m_in.size() - m_pos < 2)
            return false;
        v = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
        m_pos += 2;
        return true;
    }
    bool Get32(uint32_t& v) {
        if (m_in.size() - m_pos < 4)
            return false;
        v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
        m_pos += 4;
        return true;
    }
    bool GetBytes(std::vector<uint8_t>& out, uint32_t n) {
        if (m_in.size() - m_pos < n)
            return false;
        out.assign(m_in.begin() + static_cast<long>(m_pos),
                   m_in.begin() + static_cast<long>(m_pos + n));
        m_pos += n;
        return true;
    }
    size_t Left() const { return m_in.size() - m_pos; }

private:
    uint32_t Byte(size_t k) const { return static_cast<uint8_t>(m_in[m_pos + k]); }
    std::string_view m_in;
    size_t m_pos = 0;
};

} // namespace

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

void CWave::Serialize(std::string& out) const {
    Put16(out, m_wFormatTag);
    Put16(out, m_nChannels);
    Put32(out, m_nSamplesPerSec);
    Put32(out, m_nAvgBytesPerSec);
    Put16(out, m_nBlockAlign);
    Put16(out, m_wBitsPerSample);
    Put32(out, static_cast<uint32_t>(m_blocks.GetCount()));
    for (const auto& b : m_blocks.Blocks()) {
        Put32(out, b->SampleCount());
        Put32(out, b->Size());
        out.append(reinterpret_cast<const char*>(b->Data()), b->Size());
    }
}

bool CWave::Deserialize(std::string_view in) {
    Reader r(in);
    uint16_t tag = 0, channels = 0, align = 0, bits = 0;
    uint32_t rate = 0, avg = 0, count = 0;
    if (!r.Get16(tag) || !r.Get16(channels) || !r.Get32(rate) || !r.Get32(avg) || !r.Get16(align) ||
        !r.Get16(bits) || !r.Get32(count))
        return false;
    // Each block needs at least its 8 header bytes: a count beyond that is a lie.
    if (count > r.Left() / 8)
        return false;
    CWaveBlockList blocks;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t samples = 0, size = 0;
        std::vector<uint8_t> bytes;
        if (!r.Get32(samples) || !r.Get32(size) || !r.GetBytes(bytes, size))
            return false;
        blocks.AddTail(std::make_unique<CWaveBlock>(std::move(bytes), samples));
    }
    m_wFormatTag = tag;
    m_nChannels = channels;
    m_nSamplesPerSec = rate;
    m_nAvgBytesPerSec = avg;
    m_nBlockAlign = align;
    m_wBitsPerSample = bits;
    m_blocks = std::move(blocks);
    return true;
}
