#include "engine/LineSound.h"

#include "audio/RecThread.h"
#include "audio/Resample.h"
#include "audio/SoundBackend.h"
#include "audio/WaveDecoder.h"
#include "engine/CallState.h"
#include "engine/DeviceHost.h"
#include "engine/RecordingSteps.h"
#include "engine/UiBridge.h"
#include "engine/VolumeScale.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

// A line's sound is taken at this rate.
constexpr uint32_t kLineSampleRate = 8000;
// Frames written to the device at a time (20 ms at the line's rate): a
// stop is heard within that.
constexpr size_t kPlayChunk = 160;

ISoundBackend& BackendOf(const LineSoundDevice& device) {
    return device.pBackend ? *device.pBackend : GetSoundBackend();
}

} // namespace

bool PlayFileToLineDevice(IDeviceHost& host, const LineSoundDevice& device, const std::string& file,
                          const std::function<bool()>& stop, const std::string& what) {
    host.PlayedSamples() = 0;
    DecodedWave wave;
    std::string error;
    if (!DecodeWaveFile(file, wave, &error)) {
        host.Trace(what + ": " + error + "\n");
        return false;
    }
    ApplyVolume(wave.samples, VolumeFactor(host.Settings().m_iVolume, host.Muted()));
    host.Trace(StrPrintf("WaveID = %d\n", device.nDeviceId));
    auto out = BackendOf(device).OpenPlayback(device.nDeviceId, PcmFormat(wave.nSamplesPerSec));
    if (!out && wave.nSamplesPerSec != kLineSampleRate) {
        // A device that takes the line's rate only (a SIP call's) gets the
        // file at that rate.
        wave.samples = Resample(wave.samples, wave.nSamplesPerSec, kLineSampleRate);
        wave.nSamplesPerSec = kLineSampleRate;
        out = BackendOf(device).OpenPlayback(device.nDeviceId, PcmFormat(kLineSampleRate));
    }
    if (!out) {
        host.Trace(
            StrPrintf("%s: sound device %d cannot be opened\n", what.c_str(), device.nDeviceId));
        return false;
    }
    host.CallState().EngineState().bPlaying = true;
    bool bStopped = false;
    for (size_t pos = 0; pos < wave.samples.size(); pos += kPlayChunk) {
        if (stop()) {
            bStopped = true;
            break;
        }
        const size_t n = std::min(kPlayChunk, wave.samples.size() - pos);
        if (!out->Write(wave.samples.data() + pos, n)) {
            host.Trace(what + ": the sound device failed\n");
            break;
        }
        host.PlayedSamples() += n;
    }
    if (bStopped)
        out->Reset();
    else
        out->Drain();
    host.CallState().EngineState().bPlaying = false;
    // The main window follows the play's end (its stop pending, the status).
    host.Ui().StartTimer(UiTimer::MainPlayRefresh, kMainPlayRefreshMs);
    return true;
}

RecordResult RecordFromLineDevice(IDeviceHost& host, const LineSoundDevice& device,
                                  const std::string& file, uint64_t maxMs,
                                  const std::function<bool()>& stop, const std::string& what,
                                  uint16_t nChannels) {
    RecordResult result;
    result.bStereo = nChannels == 2;
    host.Trace(StrPrintf(result.bStereo ? "WaveID = %d (two channels)\n" : "WaveID = %d\n",
                         device.nDeviceId));
    const CDriverSettings& ds = host.DriverSettings();
    CRecThread rec;
    CRecThread::Setup setup;
    setup.nDeviceId = device.nDeviceId;
    setup.pBackend = device.pBackend;
    setup.nSampleRate = kLineSampleRate;
    setup.nChannels = nChannels;
    setup.sFile = file;
    setup.options.bSilenceDetection = ds.bSilenceDetection;
    setup.options.iSilenceDetectionSensitivity = ds.iSilenceDetectionSensitivity;
    setup.options.iSilenceDetectionTimeout = ds.iSilenceDetectionTimeout;
    setup.options.bSoftAGC = host.Settings().bSoftAGC;
    setup.options.bEnableSBOutput = false;
    setup.options.nMaxDurationMs =
        HasTimeLimit(maxMs) ? static_cast<uint32_t>(std::min<uint64_t>(maxMs, UINT32_MAX)) : 0;
    host.CallState().EngineState().bRecording = true;
    rec.Start(setup);
    while (!rec.WaitFinished(10)) {
        if (stop() || !host.CallState().EngineState().bRecording)
            rec.Stop();
    }
    host.CallState().EngineState().bRecording = false;
    if (!rec.Succeeded())
        host.Trace(what + ": " + rec.Error() + "\n");
    result.bOpened = rec.Succeeded() || rec.SamplesWritten() > 0;
    result.bSilence = rec.EndCode() == 'q';
    result.nSamples = rec.SamplesWritten();
    result.nWriteErrno = rec.WriteErrno();
    return result;
}
