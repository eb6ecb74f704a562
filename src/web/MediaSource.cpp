#include "web/MediaSource.h"

#include "audio/Cacm.h"
#include "audio/G711.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kTagAlaw = 0x0006;
constexpr uint16_t kTagUlaw = 0x0007;
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 96000;

int16_t Mix(int16_t left, int16_t right) {
    return static_cast<int16_t>(left / 2 + right / 2);
}

} // namespace

CMediaSource::~CMediaSource() = default;

std::unique_ptr<CMediaSource> CMediaSource::Open(const std::string& path, std::string* pError) {
    std::unique_ptr<CMediaSource> s(new CMediaSource);
    auto fail = [&](const std::string& why) -> std::unique_ptr<CMediaSource> {
        if (pError)
            *pError = why;
        return nullptr;
    };
    s->m_sPath = path;
    if (!s->m_file.Open(path, true))
        return fail(s->m_file.LastError());
    const WaveFormat& f = s->m_file.Format();
    s->m_nChannels = f.nChannels;
    s->m_nRate = f.nSamplesPerSec;
    if (f.nSamplesPerSec < kMinRate || f.nSamplesPerSec > kMaxRate)
        return fail(
            StrPrintf("%s: a sample rate of %u cannot be played", path.c_str(), f.nSamplesPerSec));
    uint64_t samples = 0;
    if (f.IsPcm() || f.IsGsm()) {
        s->m_coding = f.IsPcm() ? Coding::Pcm : Coding::Gsm;
        if (f.IsGsm() && f.nBlockAlign != kGsmBlockBytes)
            return fail(StrPrintf("%s: GSM 6.10 blocks of %u bytes are not the 65 of a WAV file",
                                  path.c_str(), f.nBlockAlign));
        samples = s->m_file.SampleCount();
    } else if (f.wFormatTag == kTagAlaw || f.wFormatTag == kTagUlaw) {
        s->m_coding = f.wFormatTag == kTagAlaw ? Coding::Alaw : Coding::Ulaw;
        if (f.nChannels < 1 || f.nChannels > 2)
            return fail(StrPrintf("%s: G.711 with %u channels is not supported", path.c_str(),
                                  f.nChannels));
        samples = s->m_file.DataLength() / f.nChannels;
    } else {
        return fail(StrPrintf("%s: recordings coded with format tag %u cannot be played",
                              path.c_str(), f.wFormatTag));
    }
    // The served file must fit the 32-bit sizes of a WAV file.
    if (samples * 2 > 0xFFFFFFFFu - 64)
        return fail(path + ": too long to play as a WAV file");
    s->m_nSamples = static_cast<uint32_t>(samples);
    s->m_header = WaveHeader(PcmFormat(s->m_nRate), s->m_nSamples * 2, 0);
    return s;
}

bool CMediaSource::Fail(const std::string& why) {
    m_sError = why;
    return false;
}

std::optional<size_t> CMediaSource::Read(uint64_t offset, uint8_t* out, size_t n) {
    n = static_cast<size_t>(
        std::min<uint64_t>({n, kMaxReadBytes, Size() - std::min(offset, Size())}));
    size_t done = 0;
    if (offset < m_header.size()) {
        done = std::min<size_t>(n, m_header.size() - offset);
        std::memcpy(out, m_header.data() + offset, done);
    }
    if (done == n)
        return n;
    // The samples the rest of the bytes belong to, whole.
    const uint64_t dataByte = offset + done - m_header.size();
    const auto first = static_cast<uint32_t>(dataByte / 2);
    const auto last = static_cast<uint32_t>((dataByte + (n - done) - 1) / 2);
    std::vector<int16_t> samples(last - first + 1);
    if (!Samples(first, static_cast<uint32_t>(samples.size()), samples.data()))
        return std::nullopt;
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    std::memcpy(out + done, bytes.data() + (dataByte - 2 * uint64_t{first}), n - done);
    return n;
}

bool CMediaSource::Samples(uint32_t first, uint32_t count, int16_t* out) {
    return m_coding == Coding::Gsm ? GsmSamples(first, count, out)
                                   : FrameSamples(first, count, out);
}

bool CMediaSource::FrameSamples(uint32_t first, uint32_t count, int16_t* out) {
    const uint32_t bytes = m_nChannels * (m_file.Format().wBitsPerSample == 16 ? 2u : 1u);
    const bool bPcm16 = m_coding == Coding::Pcm && bytes == 2 && m_nChannels == 1;
    if (m_coding == Coding::Pcm && !bPcm16) { // 8 bits, or stereo: mixed by the reader
        if (!m_file.SeekData(first * bytes) || m_file.ReadSamples(out, count) != count)
            return Fail(m_sPath + ": the recording was cut short while it was played");
        return true;
    }
    std::vector<uint8_t> codes(size_t{count} * bytes);
    if (!m_file.SeekData(first * bytes) ||
        m_file.ReadData(codes.data(), codes.size()) != codes.size())
        return Fail(m_sPath + ": the recording was cut short while it was played");
    if (bPcm16) {
        for (uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<int16_t>(codes[2 * i] | (codes[2 * i + 1] << 8));
        return true;
    }
    int16_t (*expand)(uint8_t) = m_coding == Coding::Alaw ? AlawToLinear : UlawToLinear;
    for (uint32_t i = 0; i < count; ++i)
        out[i] = m_nChannels == 2 ? Mix(expand(codes[2 * i]), expand(codes[2 * i + 1]))
                                  : expand(codes[i]);
    return true;
}

bool CMediaSource::GsmSamples(uint32_t first, uint32_t count, int16_t* out) {
    constexpr uint32_t kSegmentSamples = kSegmentBlocks * kGsmBlockSamples;
    while (count > 0) {
        const uint32_t segment = first / kSegmentSamples;
        if (m_nSegment != segment && !DecodeSegment(segment))
            return false;
        const uint32_t at = first - segment * kSegmentSamples;
        if (at >= m_segment.size())
            return Fail(m_sPath + ": the recording was cut short while it was played");
        const uint32_t take =
            std::min<uint32_t>(count, static_cast<uint32_t>(m_segment.size()) - at);
        std::copy_n(m_segment.begin() + at, take, out);
        out += take;
        first += take;
        count -= take;
    }
    return true;
}

bool CMediaSource::DecodeSegment(uint32_t segment) {
    m_nSegment.reset();
    m_segment.clear();
    const uint32_t firstBlock = segment * kSegmentBlocks;
    const uint32_t warmUp = std::min(firstBlock, kWarmUpBlocks);
    const uint32_t blocks =
        std::min(kSegmentBlocks, m_file.DataLength() / kGsmBlockBytes - firstBlock) + warmUp;
    std::vector<uint8_t> data(size_t{blocks} * kGsmBlockBytes);
    if (!m_file.SeekData((firstBlock - warmUp) * kGsmBlockBytes) ||
        m_file.ReadData(data.data(), data.size()) != data.size())
        return Fail(m_sPath + ": the recording was cut short while it was played");
    Cacm decoder;
    if (!decoder.Open(kWaveFormatGsm610, kWaveFormatPcm, m_nRate))
        return Fail(m_sPath + ": cannot decode GSM 6.10");
    std::vector<int16_t> pcm;
    pcm.reserve(data.size() / kGsmBlockBytes * kGsmBlockSamples);
    for (size_t b = 0; b < data.size(); b += kGsmBlockBytes) {
        // A block the decoder refuses is silence, so the samples after it
        // stay where they are.
        const size_t before = pcm.size();
        if (decoder.ConvertToPcm(data.data() + b, kGsmBlockBytes, pcm) != kGsmBlockSamples)
            pcm.resize(before + kGsmBlockSamples, 0);
    }
    m_segment.assign(pcm.begin() + size_t{warmUp} * kGsmBlockSamples, pcm.end());
    m_nSegment = segment;
    return true;
}
