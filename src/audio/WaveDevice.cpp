#include "audio/WaveDevice.h"

#include "audio/Saturate.h"
#include "platform/TickCount.h"

#include <cstring>

bool CWaveInDevice::Open(int deviceId, const WaveFormat& format, ISoundBackend* backend) {
    m_pStream = (backend ? *backend : GetSoundBackend()).OpenCapture(deviceId, format);
    m_format = format;
    return m_pStream != nullptr;
}

bool CWaveInDevice::CaptureBuffer(CWave& wave, uint32_t nBufferSize, int timeoutMs) {
    if (!m_pStream)
        return false;
    uint32_t frameBytes = m_format.nChannels * (m_format.wBitsPerSample / 8u);
    if (frameBytes == 0)
        return false;
    size_t frames = std::max<uint32_t>(nBufferSize / frameBytes, 1);
    std::vector<uint8_t> bytes(frames * frameBytes);
    long n = m_pStream->Read(reinterpret_cast<int16_t*>(bytes.data()), frames, timeoutMs);
    if (n < 0)
        return false;
    if (n == 0)
        return true; // an empty buffer: no block, nobody told
    bytes.resize(static_cast<size_t>(n) * frameBytes);
    uint32_t samples = static_cast<uint32_t>(bytes.size()) / (m_format.wBitsPerSample / 8u);
    wave.AddBlock(std::make_unique<CWaveBlock>(std::move(bytes), samples));
    return true;
}

bool CWaveOutDevice::Open(int deviceId, const WaveFormat& format) {
    Stop();
    std::lock_guard lock(m_mutex);
    m_pStream = GetSoundBackend().OpenPlayback(deviceId, format);
    return m_pStream != nullptr;
}

bool CWaveOutDevice::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_pStream != nullptr;
}

bool CWaveOutDevice::Play(CWave& wave) {
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    if (!m_pStream)
        return false;
    std::vector<const CWaveBlock*> blocks;
    for (const auto& b : wave.Blocks().Blocks()) {
        blocks.push_back(b.get());
        wave.AddPlaying();
        ++m_nPlaying;
    }
    m_bStop = false;
    m_thread = std::thread([this, &wave, blocks] {
        for (const CWaveBlock* b : blocks) {
            if (!m_bStop) {
                std::lock_guard lock(m_mutex);
                if (m_pStream)
                    m_pStream->Write(reinterpret_cast<const int16_t*>(b->Data()),
                                     b->Size() / 2 / std::max<uint16_t>(wave.m_nChannels, 1));
            }
            if (--m_nPlaying == 0) {
                std::lock_guard lock(m_mutex);
                if (m_pStream && !m_bStop)
                    m_pStream->Drain();
                m_pStream.reset();
            }
            wave.PlayDone();
        }
    });
    return true;
}

void CWaveOutDevice::WaitDone() {
    if (m_thread.joinable())
        m_thread.join();
}

void CWaveOutDevice::Stop() {
    m_bStop = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_pStream)
            m_pStream->Reset();
    }
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_pStream.reset();
}

uint32_t MonitorBufferBytes(uint32_t nSamplesPerSec) {
    return nSamplesPerSec / 1000 * 6 + nSamplesPerSec / 4;
}

CWavNotify::CWavNotify(const RecordingOptions& options, CLevelNormalizer* pNormalizer,
                       CWaveFile& file, const std::atomic<bool>& stopRequest)
    : m_options(options), m_pNormalizer(pNormalizer), m_file(file), m_stopRequest(stopRequest) {}

CWavNotify::~CWavNotify() {
    CloseMonitor();
}

bool CWavNotify::Begin(const WaveFormat& format) {
    m_format = format;
    m_silence.Reset();
    m_silence.SetSensitivity(m_options.iSilenceDetectionSensitivity);
    m_nStartTick = GetTickCount();
    m_bHaveStopTime = m_options.nMaxDurationMs > 0;
    m_nStopTime = m_nStartTick + m_options.nMaxDurationMs;
    if (m_options.bCompressStorage &&
        (Channels() != 1 || !m_acm.Open(kWaveFormatPcm, kWaveFormatGsm610, format.nSamplesPerSec)))
        return false;
    m_bMonitorWanted = m_options.bEnableSBOutput;
    if (m_bMonitorWanted) {
        // The monitor plays one channel: both voices mixed.
        m_pMonitor = GetSoundBackend().OpenPlayback(m_options.nMonitorDeviceId,
                                                    PcmFormat(format.nSamplesPerSec));
        m_monitorBuf.assign(MonitorBufferBytes(format.nSamplesPerSec) / 2, 0);
        m_nMonitorFill = 0;
    }
    return true;
}

void CWavNotify::OnBlockArrived(CWave&, CWaveBlock& block) {
    const auto* p = block.Data();
    const size_t channels = Channels();
    const size_t frames = block.Size() / (2 * channels);
    // Two voices as one: what is quiet when both are, and what a monitor hears.
    const auto mix = [channels](const int16_t* frame) {
        return channels == 2 ? Saturate(frame[0] + frame[1]) : frame[0];
    };
    int16_t frame[2] = {};
    for (size_t f = 0; f < frames && !m_bEnding; ++f) {
        for (size_t c = 0; c < channels; ++c, p += 2)
            frame[c] = static_cast<int16_t>(p[0] | (p[1] << 8));
        if (m_options.bSilenceDetection) {
            m_silence.AddSample(mix(frame));
            if (m_silence.TimedOut(m_options.iSilenceDetectionTimeout)) {
                // The line has been quiet long enough: end the call, drop the rest.
                m_nStopTime = 0;
                m_bHaveStopTime = true;
                m_bEnding = true;
                m_cEndCode = 'q';
                break;
            }
        }
        // One gain for the whole frame: two voices keep their balance.
        if (m_options.bSoftAGC && m_pNormalizer)
            m_pNormalizer->NormalizeLevel(frame, channels);
        if (m_options.bCompressStorage) {
            m_samples.push_back(frame[0]);
        } else if (!(channels == 2 ? m_file.WriteStereo(frame[0], frame[1])
                                   : m_file.WriteSample(frame[0]))) {
            m_bWriteFailed = true; // the recording ends with what the disk took
            break;
        }
        ++m_nSamples;
        if (m_pMonitor) {
            if (m_bMonitorWanted)
                MonitorSample(mix(frame));
            else
                CloseMonitor();
        }
    }
    if (m_options.bCompressStorage && (m_samples.size() >= kCompressBatch || ShouldStop()))
        FlushCompressed(false);
}

bool CWavNotify::FlushCompressed(bool bFinal) {
    if (!m_options.bCompressStorage)
        return true;
    m_compressed.clear();
    m_acm.ConvertToCompressed(m_samples.data(), m_samples.size(), m_compressed, bFinal);
    m_file.AddCompressedSamples(static_cast<uint32_t>(m_samples.size()));
    m_samples.clear();
    if (!m_compressed.empty() && !m_file.WriteData(m_compressed.data(), m_compressed.size()))
        m_bWriteFailed = true;
    return !m_bWriteFailed;
}

bool CWavNotify::Finish() {
    bool ok = FlushCompressed(true);
    CloseMonitor();
    return ok && !m_bWriteFailed;
}

bool CWavNotify::ShouldStop() const {
    if (m_bEnding || m_stopRequest || m_bWriteFailed)
        return true;
    // A cleared stop time of 0 counts as passed.
    if (m_bHaveStopTime &&
        (m_nStopTime == 0 || static_cast<int32_t>(GetTickCount() - m_nStopTime) >= 0))
        return true;
    return false;
}

void CWavNotify::MonitorSample(int16_t sample) {
    // The high byte twice: a 16-bit sample whose low byte repeats its high
    // byte, as the monitor's buffers have always carried it.
    auto hi = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
    m_monitorBuf[m_nMonitorFill++] = static_cast<int16_t>(static_cast<uint16_t>((hi << 8) | hi));
    if (m_nMonitorFill == m_monitorBuf.size()) {
        m_pMonitor->Write(m_monitorBuf.data(), m_monitorBuf.size());
        m_nMonitorFill = 0;
    }
}

void CWavNotify::CloseMonitor() {
    if (m_pMonitor)
        m_pMonitor->Reset();
    m_pMonitor.reset();
}
