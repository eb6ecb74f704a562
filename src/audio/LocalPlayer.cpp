#include "audio/LocalPlayer.h"

#include "audio/AudioLog.h"
#include "audio/WaveDecoder.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Handed to the device at a time: short, so that pause and seek are heard
// at once and the thread notices them within a few milliseconds.
constexpr uint32_t kChunksPerSecond = 50;

// A recording several hours long still fits; beyond that the file is not
// something to listen to in a player bar.
constexpr size_t kMaxSamples = 8000u * 3600 * 12;

} // namespace

CLocalPlayer::CLocalPlayer(ISoundBackend& backend, int deviceId)
    : m_backend(backend), m_nDeviceId(deviceId) {}

CLocalPlayer::~CLocalPlayer() {
    Close();
}

void CLocalPlayer::JoinThread() {
    if (m_thread.joinable())
        m_thread.join();
}

bool CLocalPlayer::Open(const std::string& sWavFile, std::string* pError) {
    Close();
    DecodedWave wave;
    std::string error;
    if (!DecodeWaveFile(sWavFile, wave, &error, kMaxSamples)) {
        if (pError)
            *pError = error;
        return false;
    }
    const double autoGain = AutoGainFor(wave.samples);
    std::lock_guard thread(m_threadMutex);
    std::lock_guard lock(m_mutex);
    m_sFile = sWavFile;
    m_dAutoGain = autoGain;
    m_samples = std::move(wave.samples);
    m_nRate = wave.nSamplesPerSec;
    m_nPos = 0;
    ++m_nEpoch;
    return true;
}

void CLocalPlayer::Close() {
    std::lock_guard thread(m_threadMutex);
    {
        std::lock_guard lock(m_mutex);
        m_bPlaying = false;
        ++m_nEpoch;
    }
    JoinThread();
    std::lock_guard lock(m_mutex);
    m_sFile.clear();
    m_sError.clear();
    m_samples = {};
    m_nPos = 0;
}

void CLocalPlayer::Play() {
    std::lock_guard thread(m_threadMutex);
    {
        std::lock_guard lock(m_mutex);
        if (m_bPlaying || m_sFile.empty())
            return;
    }
    // A thread told to pause may still be handing over its last chunk.
    JoinThread();
    {
        std::lock_guard lock(m_mutex);
        if (m_nPos >= m_samples.size())
            m_nPos = 0;
        if (m_samples.empty())
            return;
        m_sError.clear();
        m_bPlaying = true;
    }
    m_thread = std::thread(&CLocalPlayer::Run, this);
}

void CLocalPlayer::Pause() {
    std::lock_guard lock(m_mutex);
    m_bPlaying = false;
}

void CLocalPlayer::Stop() {
    std::lock_guard lock(m_mutex);
    m_bPlaying = false;
    m_nPos = 0;
    ++m_nEpoch;
}

void CLocalPlayer::Seek(uint32_t ms) {
    std::lock_guard lock(m_mutex);
    const uint64_t frame = static_cast<uint64_t>(ms) * m_nRate / 1000;
    m_nPos = static_cast<size_t>(std::min<uint64_t>(frame, m_samples.size()));
    ++m_nEpoch;
}

uint32_t CLocalPlayer::ToMs(size_t frames) const {
    return static_cast<uint32_t>(static_cast<uint64_t>(frames) * 1000 / m_nRate);
}

uint32_t CLocalPlayer::LengthMs() const {
    std::lock_guard lock(m_mutex);
    return ToMs(m_samples.size());
}

uint32_t CLocalPlayer::PositionMs() const {
    std::lock_guard lock(m_mutex);
    return ToMs(m_nPos);
}

bool CLocalPlayer::IsPlaying() const {
    std::lock_guard lock(m_mutex);
    return m_bPlaying;
}

bool CLocalPlayer::IsAtEnd() const {
    std::lock_guard lock(m_mutex);
    return !m_sFile.empty() && m_nPos >= m_samples.size();
}

void CLocalPlayer::SetVolume(int nPercent) {
    std::lock_guard lock(m_mutex);
    m_nVolume = std::clamp(nPercent, 0, 100);
}

void CLocalPlayer::SetAutoGain(bool bOn) {
    std::lock_guard lock(m_mutex);
    m_bAutoGain = bOn;
}

double CLocalPlayer::AutoGainFor(const std::vector<int16_t>& samples) {
    // One gain for the whole recording, so that its loudest moment comes
    // to about 90 % of full scale: nothing clips and the level does not
    // pump between words. A near-silent file is not blown up into noise.
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    if (peak < kAutoGainFloor)
        return 1.0;
    return std::clamp(0.9 * 32767.0 / peak, 1.0, kMaxAutoGain);
}

std::string CLocalPlayer::FileName() const {
    std::lock_guard lock(m_mutex);
    return m_sFile;
}

std::string CLocalPlayer::LastError() const {
    std::lock_guard lock(m_mutex);
    return m_sError;
}

void CLocalPlayer::Run() {
    uint32_t rate;
    uint64_t epoch;
    {
        std::lock_guard lock(m_mutex);
        rate = m_nRate;
        epoch = m_nEpoch;
    }
    std::unique_ptr<IPlaybackStream> stream = m_backend.OpenPlayback(m_nDeviceId, PcmFormat(rate));
    if (!stream) {
        std::lock_guard lock(m_mutex);
        m_sError =
            StrPrintf("the sound device does not play %s (%u samples/s)", m_sFile.c_str(), rate);
        m_bPlaying = false;
        AudioError("Local playback: " + m_sError + "\n");
        return;
    }
    const size_t chunkFrames = std::max<size_t>(1, rate / kChunksPerSecond);
    std::vector<int16_t> chunk;
    for (;;) {
        size_t from = 0;
        bool bJumped = false;
        int volume = 100;
        double autoGain = 1.0;
        {
            std::lock_guard lock(m_mutex);
            if (!m_bPlaying)
                break;
            if (m_nEpoch != epoch) {
                epoch = m_nEpoch;
                bJumped = true;
            }
            from = m_nPos;
            const size_t n = std::min(chunkFrames, m_samples.size() - from);
            chunk.assign(m_samples.begin() + static_cast<long>(from),
                         m_samples.begin() + static_cast<long>(from + n));
            volume = m_nVolume;
            autoGain = m_bAutoGain ? m_dAutoGain : 1.0;
        }
        // What was queued before a seek must not be heard after it.
        if (bJumped)
            stream->Reset();
        if (chunk.empty()) {
            // Everything is handed over; let it play out, unless the user
            // jumps back meanwhile.
            stream->Drain();
            std::lock_guard lock(m_mutex);
            if (m_nEpoch == epoch) {
                m_bPlaying = false;
                break;
            }
            continue;
        }
        if (autoGain != 1.0) {
            const double gain = autoGain * volume / 100.0;
            for (int16_t& s : chunk)
                s = static_cast<int16_t>(std::clamp(std::lround(s * gain), -32768L, 32767L));
        } else if (volume != 100) {
            for (int16_t& s : chunk)
                s = static_cast<int16_t>(s * volume / 100);
        }
        if (!stream->Write(chunk.data(), chunk.size())) {
            std::lock_guard lock(m_mutex);
            m_sError = "the sound device failed while playing " + m_sFile;
            m_bPlaying = false;
            AudioError("Local playback: " + m_sError + "\n");
            break;
        }
        std::lock_guard lock(m_mutex);
        if (m_nEpoch == epoch)
            m_nPos = from + chunk.size();
    }
    stream->Reset();
}
