// CRecThread: records a call from a sound card (or a telephony device's wave
// input) into a WAV file on a thread of its own.
#pragma once

#include "audio/WaveDevice.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CRecThread {
public:
    // Capture buffers are small so silence and stop requests act quickly.
    static constexpr uint32_t kCaptureBufferBytes = 512;
    static constexpr uint32_t kFallbackRate = 8000;

    struct Setup {
        int nDeviceId = -1;
        // Whose device nDeviceId is: a device with sound of its own (an
        // adapter) brings its backend; nullptr is the process's.
        ISoundBackend* pBackend = nullptr;
        uint32_t nSampleRate = 7200; // nCompressionSampleRate
        // 2: a conversation, a voice on each channel (the file's too).
        uint16_t nChannels = 1;
        std::string sFile;
        RecordingOptions options;
        CLevelNormalizer* pNormalizer = nullptr; // the phone's; outlives the thread
    };

    CRecThread() = default;
    ~CRecThread() { Stop(); }
    CRecThread(const CRecThread&) = delete;
    CRecThread& operator=(const CRecThread&) = delete;

    // Starts recording. The device is opened at the configured rate, or at
    // 8000 samples/s when it refuses that; the file is created at the rate
    // the device took, PCM or GSM 6.10 (one channel only) as the options say.
    void Start(const Setup& setup);
    // Asks the thread to end, waits for it to finish the file.
    void Stop();
    // Waits up to timeoutMs for the recording to end by itself.
    bool WaitFinished(int timeoutMs);
    bool IsFinished() const { return m_bFinished; }

    // Results, valid once finished.
    bool Succeeded() const { return m_bSucceeded; }
    const std::string& Error() const { return m_sError; }
    char EndCode() const { return m_cEndCode; } // 'q' when silence ended it
    uint32_t SampleRate() const { return m_nRate; }
    uint64_t SamplesWritten() const { return m_nSamples; } // frames
    // The errno of a write that failed (a full disk) and ended it; else 0.
    int WriteErrno() const { return m_nWriteErrno; }
    // Switches the monitor off (it cannot be switched on again mid-recording).
    void SetMonitor(bool bOn);

private:
    void Run(Setup setup);
    void Finish(bool bOk, const std::string& error);

    std::thread m_thread;
    std::atomic<bool> m_bQuit{false};
    std::atomic<bool> m_bFinished{true};
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::atomic<bool> m_bMonitor{true}; // false once the monitor was switched off

    bool m_bSucceeded = false;
    std::string m_sError;
    char m_cEndCode = 0;
    uint32_t m_nRate = 0;
    uint64_t m_nSamples = 0;
    int m_nWriteErrno = 0;
};
