#include "audio/RecThread.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <chrono>

void CRecThread::Start(const Setup& setup) {
    Stop();
    m_bQuit = false;
    m_bMonitor = true;
    m_bFinished = false;
    m_bSucceeded = false;
    m_sError.clear();
    m_cEndCode = 0;
    m_nRate = 0;
    m_nSamples = 0;
    m_nWriteErrno = 0;
    m_thread = std::thread(&CRecThread::Run, this, setup);
}

void CRecThread::Stop() {
    m_bQuit = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool CRecThread::WaitFinished(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_bFinished.load(); });
}

void CRecThread::SetMonitor(bool bOn) {
    m_bMonitor = bOn;
}

void CRecThread::Finish(bool bOk, const std::string& error) {
    std::lock_guard lock(m_mutex);
    m_bSucceeded = bOk;
    m_sError = error;
    m_bFinished = true;
    m_done.notify_all();
}

void CRecThread::Run(Setup setup) {
    CWaveInDevice device;
    const uint16_t channels = setup.nChannels == 2 ? 2 : 1;
    WaveFormat format = PcmFormat(setup.nSampleRate, 16, channels);
    if (!device.Open(setup.nDeviceId, format, setup.pBackend)) {
        SleepMs(1);
        format = PcmFormat(kFallbackRate, 16, channels);
        if (setup.nSampleRate == kFallbackRate ||
            !device.Open(setup.nDeviceId, format, setup.pBackend)) {
            const char* what = channels == 2 ? " (two channels)" : "";
            Finish(false, setup.nSampleRate == kFallbackRate
                              ? StrPrintf("cannot open sound input %d at %u samples/s%s",
                                          setup.nDeviceId, kFallbackRate, what)
                              : StrPrintf("cannot open sound input %d at %u or %u samples/s%s",
                                          setup.nDeviceId, setup.nSampleRate, kFallbackRate, what));
            return;
        }
    }
    m_nRate = format.nSamplesPerSec;

    CWaveFile file;
    CWavNotify notify(setup.options, setup.pNormalizer, file, m_bQuit);
    if (!notify.Begin(format)) {
        Finish(false, channels == 2 ? "GSM 6.10 cannot hold two channels"
                                    : "cannot open the GSM 6.10 converter");
        return;
    }
    WaveFormat fileFormat = format;
    if (setup.options.bCompressStorage) {
        Cacm acm;
        acm.Open(kWaveFormatPcm, kWaveFormatGsm610, format.nSamplesPerSec);
        fileFormat = acm.CompressedFormat();
    }
    if (!file.Create(setup.sFile, fileFormat)) {
        Finish(false, file.LastError());
        return;
    }

    CWave wave;
    wave.SetFormat(format.nSamplesPerSec, 16);
    wave.m_nChannels = format.nChannels;
    wave.m_nBlockAlign = format.nBlockAlign;
    wave.m_nAvgBytesPerSec = format.nAvgBytesPerSec;
    wave.SetOwner(&notify);

    bool bDeviceOk = true;
    while (!notify.ShouldStop()) {
        if (!m_bMonitor)
            notify.SetMonitor(false);
        if (!device.CaptureBuffer(wave, kCaptureBufferBytes, 100)) {
            bDeviceOk = false;
            break;
        }
        // Each block is in the file once its owner has seen it; keeping them
        // would grow memory by the length of the call.
        wave.Clear();
    }
    device.Stop();
    bool bWritten = notify.Finish();
    m_cEndCode = notify.EndCode();
    m_nSamples = notify.SamplesWritten();
    std::string writeError = file.LastError();
    m_nWriteErrno = file.WriteErrno();
    bWritten = file.CloseWrite() && bWritten;
    if (!bWritten)
        Finish(false, writeError.empty() ? "cannot write " + setup.sFile : writeError);
    else if (!bDeviceOk)
        Finish(false, "the sound input failed");
    else
        Finish(true, "");
}
