// Wave-in and wave-out devices over the sound backend, and the notification
// object that turns captured blocks into a recording.
#pragma once

#include "audio/Cacm.h"
#include "audio/SilenceDetection.h"
#include "audio/SoundBackend.h"
#include "audio/Wave.h"
#include "audio/WaveFile.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CWaveInDevice {
public:
    static constexpr uint32_t kDefaultBufferSize = 4096;

    ~CWaveInDevice() { Stop(); }
    // Opens deviceId of backend (nullptr: the process's backend).
    bool Open(int deviceId, const WaveFormat& format, ISoundBackend* backend = nullptr);
    bool IsOpen() const { return m_pStream != nullptr; }
    // Waits up to timeoutMs for one buffer of nBufferSize bytes. A buffer
    // that holds sound becomes a block of the wave (and its owner hears of
    // it); an empty one is dropped. False when the device failed.
    bool CaptureBuffer(CWave& wave, uint32_t nBufferSize, int timeoutMs);
    // Resets and closes the device.
    void Stop() { m_pStream.reset(); }

private:
    std::unique_ptr<ICaptureStream> m_pStream;
    WaveFormat m_format;
};

class CWaveOutDevice {
public:
    ~CWaveOutDevice() { Stop(); }
    bool Open(int deviceId, const WaveFormat& format);
    bool IsOpen() const;
    // Plays the wave's blocks on a thread of its own; each block counts as a
    // buffer playing, and when the last has played the device closes and the
    // wave's owner hears OnPlayFinished.
    bool Play(CWave& wave);
    // Buffers still playing.
    int Playing() const { return m_nPlaying; }
    void WaitDone();
    // Resets and closes the device (what is still queued is dropped).
    void Stop();

private:
    mutable std::mutex m_mutex;
    std::unique_ptr<IPlaybackStream> m_pStream;
    std::thread m_thread;
    std::atomic<int> m_nPlaying{0};
    std::atomic<bool> m_bStop{false};
};

// The monitor buffer size for a capture rate: 6 ms plus a quarter second of
// bytes (2048 at 8000 samples/s).
uint32_t MonitorBufferBytes(uint32_t nSamplesPerSec);

// What a recording from the sound card does with its samples.
struct RecordingOptions {
    bool bSilenceDetection = false;
    int iSilenceDetectionSensitivity = -1;
    int iSilenceDetectionTimeout = 55; // tenths of a second
    bool bSoftAGC = true;
    bool bCompressStorage = false; // GSM 6.10 in the WAV file
    bool bEnableSBOutput = false;  // monitor on a playback device
    int nMonitorDeviceId = -1;
    uint32_t nMaxDurationMs = 0; // 0: until stopped
};

// Told about every captured block: measures silence, levels, writes the WAV
// file (compressing to GSM 6.10 in batches) and feeds the monitor.
class CWavNotify : public IWaveOwner {
public:
    static constexpr size_t kCompressBatch = 81920; // 0x14000 samples

    CWavNotify(const RecordingOptions& options, CLevelNormalizer* pNormalizer, CWaveFile& file,
               const std::atomic<bool>& stopRequest);
    ~CWavNotify() override;

    // Prepares for capture in `format` (16-bit, one or two channels: the
    // file's). Two channels are one recording: silent when both are, one
    // gain for both. False when the GSM converter cannot be opened (it
    // takes one channel only).
    bool Begin(const WaveFormat& format);
    void OnBlockArrived(CWave& wave, CWaveBlock& block) override;
    // True once the call is ending, the time is up or a stop was requested.
    bool ShouldStop() const;
    // 'q' when silence ended the recording, else 0.
    char EndCode() const { return m_cEndCode; }
    // Converts and writes what is still gathered; false when writing failed.
    bool Finish();
    void SetMonitor(bool bOn) { m_bMonitorWanted = bOn; }
    // Frames (a sample of each channel) written.
    uint64_t SamplesWritten() const { return m_nSamples; }
    bool WriteFailed() const { return m_bWriteFailed; }

private:
    void MonitorSample(int16_t sample);
    void CloseMonitor();
    bool FlushCompressed(bool bFinal);
    size_t Channels() const { return m_format.nChannels == 2 ? 2 : 1; }

    RecordingOptions m_options;
    CLevelNormalizer* m_pNormalizer;
    CWaveFile& m_file;
    const std::atomic<bool>& m_stopRequest;
    CSilenceDetection m_silence;
    uint32_t m_nStartTick = 0;
    bool m_bHaveStopTime = false;
    uint32_t m_nStopTime = 0; // tick count; 0 once the call must end
    WaveFormat m_format;
    Cacm m_acm;
    std::vector<int16_t> m_samples;
    std::vector<uint8_t> m_compressed;
    uint64_t m_nSamples = 0;
    bool m_bEnding = false;
    char m_cEndCode = 0;
    bool m_bWriteFailed = false;

    // Monitor output: two buffers used in turn.
    std::atomic<bool> m_bMonitorWanted{false};
    std::unique_ptr<IPlaybackStream> m_pMonitor;
    std::vector<int16_t> m_monitorBuf;
    size_t m_nMonitorFill = 0;
};
