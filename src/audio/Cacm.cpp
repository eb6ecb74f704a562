#include "audio/Cacm.h"

#include "audio/WaveFile.h"
#include "platform/TextUtil.h"

#include <gsm.h>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kFrameSamples = 160;
constexpr size_t kWav49First = 32; // the first frame of a block leaves half a byte
constexpr size_t kWav49Second = 33;

gsm_state* MakeWav49Coder() {
    gsm_state* g = gsm_create();
    if (g) {
        int one = 1;
        gsm_option(g, GSM_OPT_WAV49, &one);
    }
    return g;
}

} // namespace

bool Cacm::Open(uint16_t srcTag, uint16_t dstTag, uint32_t nSamplesPerSec) {
    Close();
    bool bPair = (srcTag == kWaveFormatPcm && dstTag == kWaveFormatGsm610) ||
                 (srcTag == kWaveFormatGsm610 && dstTag == kWaveFormatPcm);
    if (!bPair || nSamplesPerSec < 1000 || nSamplesPerSec > 96000)
        return false;
    m_pEncoder = MakeWav49Coder();
    m_pDecoder = MakeWav49Coder();
    if (!m_pEncoder || !m_pDecoder) {
        Close();
        return false;
    }
    m_gsmFormat = Gsm610Format();
    m_gsmFormat.nSamplesPerSec = nSamplesPerSec;
    // 65 bytes per 320 samples, rounded: 1625 bytes/s at 8000 samples/s.
    m_gsmFormat.nAvgBytesPerSec =
        (nSamplesPerSec * kGsmBlockBytes + kGsmBlockSamples / 2) / kGsmBlockSamples;
    return true;
}

void Cacm::Close() {
    if (m_pEncoder)
        gsm_destroy(m_pEncoder);
    if (m_pDecoder)
        gsm_destroy(m_pDecoder);
    m_pEncoder = m_pDecoder = nullptr;
    m_pendingPcm.clear();
    m_pendingGsm.clear();
}

void Cacm::EncodeBlock(const int16_t* block, std::vector<uint8_t>& out) {
    gsm_signal frame[kFrameSamples];
    gsm_byte bytes[kWav49Second];
    std::memcpy(frame, block, sizeof frame);
    gsm_encode(m_pEncoder, frame, bytes);
    out.insert(out.end(), bytes, bytes + kWav49First);
    std::memcpy(frame, block + kFrameSamples, sizeof frame);
    gsm_encode(m_pEncoder, frame, bytes);
    out.insert(out.end(), bytes, bytes + kWav49Second);
}

size_t Cacm::ConvertToCompressed(const int16_t* samples, size_t count, std::vector<uint8_t>& out,
                                 bool bFinal) {
    if (!m_pEncoder)
        return 0;
    size_t before = out.size();
    size_t i = 0;
    // Finish a block begun by the last call.
    if (!m_pendingPcm.empty()) {
        size_t take = std::min(count, kGsmBlockSamples - m_pendingPcm.size());
        m_pendingPcm.insert(m_pendingPcm.end(), samples, samples + take);
        i = take;
        if (m_pendingPcm.size() == kGsmBlockSamples) {
            EncodeBlock(m_pendingPcm.data(), out);
            m_pendingPcm.clear();
        }
    }
    for (; i + kGsmBlockSamples <= count; i += kGsmBlockSamples)
        EncodeBlock(samples + i, out);
    m_pendingPcm.insert(m_pendingPcm.end(), samples + i, samples + count);
    if (bFinal && !m_pendingPcm.empty()) {
        m_pendingPcm.resize(kGsmBlockSamples, 0);
        EncodeBlock(m_pendingPcm.data(), out);
        m_pendingPcm.clear();
    }
    return out.size() - before;
}

size_t Cacm::ConvertToPcm(const uint8_t* bytes, size_t count, std::vector<int16_t>& out) {
    if (!m_pDecoder)
        return 0;
    size_t before = out.size();
    m_pendingGsm.insert(m_pendingGsm.end(), bytes, bytes + count);
    size_t blocks = m_pendingGsm.size() / kGsmBlockBytes;
    gsm_byte frame[kWav49Second];
    gsm_signal pcm[kFrameSamples];
    for (size_t b = 0; b < blocks; ++b) {
        const uint8_t* p = m_pendingGsm.data() + b * kGsmBlockBytes;
        // Decoding takes the block as 33 bytes then 32.
        std::memcpy(frame, p, kWav49Second);
        bool ok = gsm_decode(m_pDecoder, frame, pcm) >= 0;
        if (ok)
            out.insert(out.end(), pcm, pcm + kFrameSamples);
        std::memcpy(frame, p + kWav49Second, kWav49First);
        frame[kWav49First] = 0;
        if (gsm_decode(m_pDecoder, frame, pcm) >= 0 && ok)
            out.insert(out.end(), pcm, pcm + kFrameSamples);
    }
    m_pendingGsm.erase(m_pendingGsm.begin(),
                       m_pendingGsm.begin() + static_cast<long>(blocks * kGsmBlockBytes));
    return out.size() - before;
}

bool ConvertToGsm(const std::string& source, const std::string& target) {
    return ConvertToGsm(source, target, nullptr);
}

bool ConvertToGsm(const std::string& source, const std::string& target, std::string* pError) {
    auto fail = [&](const std::string& why) {
        if (pError)
            *pError = why;
        return false;
    };
    CWaveFile in;
    if (!in.Open(source))
        return fail(in.LastError());
    if (!in.Format().IsPcm())
        return fail(source + ": not a PCM WAV file");
    Cacm acm;
    if (!acm.Open(kWaveFormatPcm, kWaveFormatGsm610, in.Format().nSamplesPerSec))
        return fail(StrPrintf("%s: %u samples/s cannot be stored as GSM 6.10", source.c_str(),
                              in.Format().nSamplesPerSec));

    // Written beside the target and renamed over it at the end, so a failure
    // (or a crash) never leaves half a file where the recording was.
    std::string temp = target + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return fail(
            StrPrintf("cannot create a file beside %s: %s", target.c_str(), std::strerror(errno)));
    fchmod(fd, 0644); // mkstemp makes it private; a recording is an ordinary file
    close(fd);
    temp.assign(name.data());

    CWaveFile out;
    if (!out.Create(temp, acm.CompressedFormat())) {
        unlink(temp.c_str());
        return fail(out.LastError());
    }
    // The same batch size as the recorder uses.
    constexpr size_t kBatch = 81920;
    std::vector<int16_t> pcm(kBatch);
    std::vector<uint8_t> gsm;
    bool ok = true;
    for (;;) {
        size_t n = in.ReadSamples(pcm.data(), pcm.size());
        bool bFinal = n < pcm.size();
        gsm.clear();
        acm.ConvertToCompressed(pcm.data(), n, gsm, bFinal);
        out.AddCompressedSamples(static_cast<uint32_t>(n));
        if (!gsm.empty() && !out.WriteData(gsm.data(), gsm.size())) {
            ok = false;
            break;
        }
        if (bFinal)
            break;
    }
    in.CloseRead();
    std::string writeError = out.LastError();
    ok = out.CloseWrite() && ok;
    if (!ok) {
        unlink(temp.c_str());
        return fail(writeError.empty() ? "cannot write " + target : writeError);
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::string why = StrPrintf("cannot replace %s: %s", target.c_str(), std::strerror(errno));
        unlink(temp.c_str());
        return fail(why);
    }
    return true;
}

bool ReadWaveSamples(const std::string& path, std::vector<int16_t>& samples, WaveFormat& format,
                     std::string& error, size_t maxSamples) {
    samples.clear();
    CWaveFile in;
    if (!in.Open(path)) {
        error = in.LastError();
        return false;
    }
    format = in.Format();
    if (format.IsPcm()) {
        size_t n = std::min<size_t>(in.SampleCount(), maxSamples);
        samples.resize(n);
        samples.resize(in.ReadSamples(samples.data(), n));
        return true;
    }
    Cacm acm;
    if (!acm.Open(kWaveFormatGsm610, kWaveFormatPcm, format.nSamplesPerSec)) {
        error = path + ": cannot decode this GSM 6.10 file";
        return false;
    }
    std::vector<uint8_t> buf(64 * kGsmBlockBytes);
    size_t want = in.SampleCount();
    while (samples.size() < std::min(want, maxSamples)) {
        size_t n = in.ReadData(buf.data(), buf.size());
        if (n == 0)
            break;
        acm.ConvertToPcm(buf.data(), n, samples);
    }
    samples.resize(std::min({samples.size(), want, maxSamples}));
    return true;
}
