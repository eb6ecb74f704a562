#include "audio/WaveFile.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kIoBufferSize = 64 * 1024;
constexpr uint32_t kMaxFormatChunk = 4096; // longer "fmt " chunks are not plausible

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x & 0xFF));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>((x >> (8 * i)) & 0xFF));
}
void PutId(std::vector<uint8_t>& v, const char* id) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(id[i]));
}

bool ReadAt(std::FILE* f, uint64_t offset, uint8_t* out, size_t count) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, count, f) == count;
}

bool PwriteAll(int fd, const uint8_t* data, size_t count, uint64_t offset) {
    while (count > 0) {
        ssize_t n = pwrite(fd, data, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        count -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

} // namespace

CWaveFile::~CWaveFile() {
    if (m_bWriting)
        CloseWrite();
    else
        CloseRead();
}

bool CWaveFile::Fail(const std::string& message) {
    m_sError = message;
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_bWriting = false;
    return false;
}

int CWaveFile::Open(const std::string& path, bool bAnyCoding) {
    CloseRead();
    m_sPath = path;
    m_sError.clear();
    m_format = WaveFormat{};
    m_nDataLength = m_nReadPos = m_nFactSamples = 0;
    m_bHaveFact = false;
    m_readBuf.clear();
    m_nReadBufPos = 0;

    m_pFile = std::fopen(path.c_str(), "rb");
    if (!m_pFile)
        return Fail(StrPrintf("cannot open %s: %s", path.c_str(), std::strerror(errno)));
    if (fseeko(m_pFile, 0, SEEK_END) != 0)
        return Fail(path + ": cannot seek");
    auto fileLength = static_cast<uint64_t>(ftello(m_pFile));

    uint8_t head[12];
    if (fileLength < 12 || !ReadAt(m_pFile, 0, head, 12))
        return Fail(path + ": too short for a WAV file");
    if ((std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "LIST", 4) != 0) ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return Fail(path + ": not a RIFF WAVE file");

    bool bHaveFormat = false;
    bool bHaveData = false;
    uint64_t pos = 12;
    while (pos + 8 <= fileLength && !(bHaveFormat && bHaveData)) {
        uint8_t hdr[8];
        if (!ReadAt(m_pFile, pos, hdr, 8))
            break;
        uint32_t size = Get32(hdr + 4);
        uint64_t body = pos + 8;
        uint64_t avail = fileLength - body;
        if (std::memcmp(hdr, "fmt ", 4) == 0) {
            if (size < 16 || avail < 16)
                return Fail(path + ": format chunk too short");
            uint32_t len =
                static_cast<uint32_t>(std::min<uint64_t>({size, avail, kMaxFormatChunk}));
            std::vector<uint8_t> fmt(len);
            if (!ReadAt(m_pFile, body, fmt.data(), len))
                return Fail(path + ": cannot read the format chunk");
            m_format.wFormatTag = Get16(&fmt[0]);
            m_format.nChannels = Get16(&fmt[2]);
            m_format.nSamplesPerSec = Get32(&fmt[4]);
            m_format.nAvgBytesPerSec = Get32(&fmt[8]);
            m_format.nBlockAlign = Get16(&fmt[12]);
            m_format.wBitsPerSample = Get16(&fmt[14]);
            m_format.extra.clear();
            if (len >= 18) {
                size_t cb = std::min<size_t>(Get16(&fmt[16]), len - 18);
                m_format.extra.assign(fmt.begin() + 18, fmt.begin() + 18 + static_cast<long>(cb));
            }
            bHaveFormat = true;
        } else if (std::memcmp(hdr, "fact", 4) == 0 && size >= 4 && avail >= 4) {
            uint8_t v[4];
            if (ReadAt(m_pFile, body, v, 4)) {
                m_nFactSamples = Get32(v);
                m_bHaveFact = true;
            }
        } else if (std::memcmp(hdr, "data", 4) == 0) {
            m_nDataStart = body;
            uint64_t len = size;
            // A recorder that died before closing leaves 0 here, a cut file
            // one that runs past the end: what the file holds is the data.
            if (len == 0 || len > avail)
                len = std::min<uint64_t>(avail, 0xFFFFFFFFu);
            m_nDataLength = static_cast<uint32_t>(len);
            bHaveData = true;
            if (size == 0 || size > avail)
                break; // the data runs to the end of the file
        }
        if (size > avail)
            break;
        pos = body + size + (size & 1);
    }
    if (!bHaveFormat)
        return Fail(path + ": no format chunk");
    if (!bHaveData)
        return Fail(path + ": no data chunk");

    const WaveFormat& f = m_format;
    if (f.IsPcm()) {
        if (f.nChannels < 1 || f.nChannels > 2)
            return Fail(StrPrintf("%s: %u channels are not supported", path.c_str(), f.nChannels));
        if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16)
            return Fail(
                StrPrintf("%s: %u-bit samples are not supported", path.c_str(), f.wBitsPerSample));
    } else if (f.IsGsm()) {
        if (f.nChannels != 1)
            return Fail(path + ": GSM 6.10 with more than one channel is not supported");
    } else if (!bAnyCoding) {
        return Fail(StrPrintf("%s: format tag %u is not supported", path.c_str(), f.wFormatTag));
    }
    if (fseeko(m_pFile, static_cast<off_t>(m_nDataStart), SEEK_SET) != 0)
        return Fail(path + ": cannot seek to the data");
    return 1;
}

uint32_t CWaveFile::SampleCount() const {
    if (m_format.IsGsm()) {
        uint32_t fromBlocks = m_nDataLength / kGsmBlockBytes * kGsmBlockSamples;
        return m_bHaveFact ? std::min(m_nFactSamples, fromBlocks) : fromBlocks;
    }
    uint32_t frame = m_format.nChannels * (m_format.wBitsPerSample / 8u);
    return frame ? m_nDataLength / frame : 0;
}

bool CWaveFile::ReadByte(uint8_t& b) {
    if (m_nReadBufPos >= m_readBuf.size()) {
        if (!m_pFile || m_nReadPos >= m_nDataLength)
            return false;
        size_t want = std::min<size_t>(kIoBufferSize, m_nDataLength - m_nReadPos);
        m_readBuf.resize(want);
        size_t got = std::fread(m_readBuf.data(), 1, want, m_pFile);
        m_readBuf.resize(got);
        m_nReadBufPos = 0;
        if (got == 0) {
            m_nDataLength = m_nReadPos; // the file shrank under us
            return false;
        }
    }
    b = m_readBuf[m_nReadBufPos++];
    ++m_nReadPos;
    return true;
}

bool CWaveFile::ReadSample(int16_t& sample) {
    if (!m_pFile || !m_format.IsPcm())
        return false;
    int16_t ch[2] = {0, 0};
    for (int c = 0; c < m_format.nChannels; ++c) {
        uint8_t lo = 0;
        uint8_t hi = 0;
        if (m_format.wBitsPerSample == 8) {
            if (!ReadByte(lo))
                return false;
            ch[c] = static_cast<int16_t>((lo + 128) * 256); // unsigned 8-bit to signed 16
        } else {
            if (!ReadByte(lo) || !ReadByte(hi))
                return false;
            ch[c] = static_cast<int16_t>(lo | (hi << 8));
        }
    }
    if (m_format.nChannels == 2) {
        m_nLeft = ch[0];
        m_nRight = ch[1];
        sample = static_cast<int16_t>(ch[0] / 2 + ch[1] / 2);
    } else {
        sample = ch[0];
    }
    return true;
}

size_t CWaveFile::ReadSamples(int16_t* out, size_t count) {
    size_t n = 0;
    while (n < count && ReadSample(out[n]))
        ++n;
    return n;
}

size_t CWaveFile::ReadData(uint8_t* out, size_t count) {
    size_t n = 0;
    while (n < count && ReadByte(out[n])) {
        ++n;
        // The rest of the buffer that ReadByte filled, at once.
        const size_t take = std::min(count - n, m_readBuf.size() - m_nReadBufPos);
        std::memcpy(out + n, m_readBuf.data() + m_nReadBufPos, take);
        m_nReadBufPos += take;
        m_nReadPos += static_cast<uint32_t>(take);
        n += take;
    }
    return n;
}

bool CWaveFile::SeekData(uint32_t nOffset) {
    if (!m_pFile)
        return false;
    nOffset = std::min(nOffset, m_nDataLength);
    m_readBuf.clear();
    m_nReadBufPos = 0;
    m_nReadPos = nOffset;
    return fseeko(m_pFile, static_cast<off_t>(m_nDataStart + nOffset), SEEK_SET) == 0;
}

void CWaveFile::CloseRead() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

std::vector<uint8_t> WaveHeader(const WaveFormat& format, uint32_t nDataBytes,
                                uint32_t nFactSamples) {
    const bool bCompressed = !format.IsPcm();
    const size_t fmtBytes = bCompressed ? 18 + format.extra.size() : 16;
    const uint64_t nRiffBytes = 4 + 8 + fmtBytes + (fmtBytes & 1) + (bCompressed ? 12 : 0) + 8 +
                                uint64_t{nDataBytes} + (nDataBytes & 1);
    std::vector<uint8_t> h;
    h.reserve(64 + format.extra.size());
    PutId(h, "RIFF");
    Put32(h, static_cast<uint32_t>(std::min<uint64_t>(0xFFFFFFFFu, nRiffBytes)));
    PutId(h, "WAVE");
    PutId(h, "fmt ");
    const auto fmtLen = static_cast<uint32_t>(fmtBytes);
    Put32(h, fmtLen);
    Put16(h, format.wFormatTag);
    Put16(h, format.nChannels);
    Put32(h, format.nSamplesPerSec);
    Put32(h, format.nAvgBytesPerSec);
    Put16(h, format.nBlockAlign);
    Put16(h, format.wBitsPerSample);
    if (bCompressed) {
        Put16(h, static_cast<uint16_t>(format.extra.size()));
        h.insert(h.end(), format.extra.begin(), format.extra.end());
        if (fmtLen & 1)
            h.push_back(0);
        PutId(h, "fact");
        Put32(h, 4);
        Put32(h, nFactSamples);
    }
    PutId(h, "data");
    Put32(h, nDataBytes);
    return h;
}

int CWaveFile::Create(const std::string& path, const WaveFormat& format) {
    if (m_bWriting)
        CloseWrite();
    CloseRead();
    m_sPath = path;
    m_sError.clear();
    m_format = format;
    m_writeBuf.clear();
    m_writeBuf.reserve(kIoBufferSize);
    m_nDataWritten = m_nSinceRefresh = m_nFactSamples = 0;
    m_nFactOffset = 0;
    m_bWriteFailed = false;
    m_nWriteErrno = 0;

    if (format.IsPcm() && format.wBitsPerSample != 8 && format.wBitsPerSample != 16) {
        Fail(path + ": only 8 and 16-bit PCM can be written");
        return 0;
    }
    if (format.extra.size() > 0xFFFF) {
        Fail(path + ": format too large");
        return 0;
    }
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        Fail(StrPrintf("cannot create %s: %s", path.c_str(), std::strerror(errno)));
        return 0;
    }
    m_bWriting = true;

    const std::vector<uint8_t> h = WaveHeader(format, 0, 0);
    m_nDataSizeOffset = h.size() - 4;
    m_nFactOffset = format.IsPcm() ? 0 : m_nDataSizeOffset - 8; // the "fact" value
    if (!PwriteAll(m_fd, h.data(), h.size(), 0) || !WriteSizes() ||
        lseek(m_fd, static_cast<off_t>(h.size()), SEEK_SET) < 0) {
        Fail(StrPrintf("cannot write %s: %s", path.c_str(), std::strerror(errno)));
        unlink(path.c_str());
        return 0;
    }
    return 1;
}

bool CWaveFile::Flush() {
    if (m_writeBuf.empty())
        return !m_bWriteFailed;
    const uint8_t* p = m_writeBuf.data();
    size_t left = m_writeBuf.size();
    while (left > 0 && !m_bWriteFailed) {
        ssize_t n = write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_nWriteErrno = n == 0 ? ENOSPC : errno;
            m_sError =
                StrPrintf("cannot write %s: %s", m_sPath.c_str(), std::strerror(m_nWriteErrno));
            m_bWriteFailed = true;
            KeepWhatIsOnDisk(left);
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    m_writeBuf.clear();
    return !m_bWriteFailed;
}

void CWaveFile::KeepWhatIsOnDisk(size_t nLost) {
    // The sound ends with the last whole frame (or block) the disk took;
    // the sizes written at the close then tell what the file holds.
    m_nDataWritten -= static_cast<uint32_t>(std::min<size_t>(nLost, m_nDataWritten));
    const uint32_t align = std::max<uint32_t>(m_format.nBlockAlign, 1);
    m_nDataWritten -= m_nDataWritten % align;
    // Should the cut fail, the sizes still say no more than the disk took.
    if (ftruncate(m_fd, static_cast<off_t>(m_nDataSizeOffset + 4 + m_nDataWritten)) != 0)
        m_sError += StrPrintf(" (and cannot be cut to its sound: %s)", std::strerror(errno));
}

bool CWaveFile::WriteSizes() {
    uint32_t pad = m_nDataWritten & 1;
    auto riff = static_cast<uint32_t>(m_nDataSizeOffset + 4 + m_nDataWritten + pad - 8);
    std::vector<uint8_t> v;
    Put32(v, riff);
    bool ok = PwriteAll(m_fd, v.data(), 4, 4);
    v.clear();
    Put32(v, m_nDataWritten);
    ok = ok && PwriteAll(m_fd, v.data(), 4, m_nDataSizeOffset);
    if (m_nFactOffset) {
        v.clear();
        Put32(v, m_nFactSamples);
        ok = ok && PwriteAll(m_fd, v.data(), 4, m_nFactOffset);
    }
    return ok;
}

bool CWaveFile::PutBytes(const uint8_t* data, size_t count) {
    if (m_fd < 0 || m_bWriteFailed)
        return false;
    // Stay inside what 32-bit RIFF sizes can describe.
    if (count > 0xFFFFFFF0u - m_nDataSizeOffset - m_nDataWritten) {
        m_sError = m_sPath + ": file would exceed 4 GB";
        m_nWriteErrno = EFBIG;
        return false;
    }
    while (count > 0) {
        size_t room = kIoBufferSize - m_writeBuf.size();
        size_t n = std::min(room, count);
        m_writeBuf.insert(m_writeBuf.end(), data, data + n);
        data += n;
        count -= n;
        m_nDataWritten += static_cast<uint32_t>(n);
        m_nSinceRefresh += static_cast<uint32_t>(n);
        if (m_writeBuf.size() >= kIoBufferSize && !Flush())
            return false;
    }
    // Counting sound written rather than wall time keeps the refresh cheap
    // and the same whatever the pace of the source.
    uint64_t refreshBytes =
        static_cast<uint64_t>(std::max<uint32_t>(m_format.nAvgBytesPerSec, 1)) * m_nRefreshSeconds;
    if (m_nSinceRefresh >= refreshBytes) {
        m_nSinceRefresh = 0;
        if (!Flush() || !WriteSizes())
            return false;
    }
    return true;
}

bool CWaveFile::WriteSamples(const int16_t* samples, size_t count) {
    if (!m_format.IsPcm())
        return false;
    uint8_t tmp[512];
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < m_format.nChannels; ++c) {
            if (m_format.wBitsPerSample == 8) {
                tmp[n++] = static_cast<uint8_t>((samples[i] >> 8) + 128);
            } else {
                auto u = static_cast<uint16_t>(samples[i]);
                tmp[n++] = static_cast<uint8_t>(u & 0xFF);
                tmp[n++] = static_cast<uint8_t>(u >> 8);
            }
        }
        if (n + 4 > sizeof tmp) {
            if (!PutBytes(tmp, n))
                return false;
            n = 0;
        }
    }
    return PutBytes(tmp, n);
}

bool CWaveFile::WriteSample(int16_t sample) {
    return WriteSamples(&sample, 1);
}

bool CWaveFile::WriteStereo(int16_t left, int16_t right) {
    if (m_format.nChannels != 2 || !m_format.IsPcm())
        return false;
    uint8_t tmp[4];
    size_t n = 0;
    for (int16_t s : {left, right}) {
        if (m_format.wBitsPerSample == 8) {
            tmp[n++] = static_cast<uint8_t>((s >> 8) + 128);
        } else {
            auto u = static_cast<uint16_t>(s);
            tmp[n++] = static_cast<uint8_t>(u & 0xFF);
            tmp[n++] = static_cast<uint8_t>(u >> 8);
        }
    }
    return PutBytes(tmp, n);
}

bool CWaveFile::WriteData(const uint8_t* data, size_t count) {
    return PutBytes(data, count);
}

bool CWaveFile::CloseWrite() {
    if (m_fd < 0)
        return false;
    bool ok = Flush();
    if (ok && (m_nDataWritten & 1)) {
        const uint8_t zero = 0;
        ok = write(m_fd, &zero, 1) == 1;
    }
    ok = WriteSizes() && ok;
    ok = (close(m_fd) == 0) && ok;
    m_fd = -1;
    m_bWriting = false;
    return ok && !m_bWriteFailed;
}
