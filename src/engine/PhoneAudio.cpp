// The phone's two sound loops on the serial modem: recording the line into a
// WAV file, and playing a WAV file to the line.
#include "engine/Phone.h"

#include "audio/Cacm.h"
#include "audio/PlaySound.h"
#include "audio/Resample.h"
#include "audio/SoundBackend.h"
#include "audio/WaveFile.h"
#include "config/VoiceFormat.h"
#include "engine/CallState.h"
#include "engine/HoldSound.h"
#include "engine/KeyTables.h"
#include "engine/RecordingSteps.h"
#include "engine/UiBridge.h"
#include "engine/VolumeScale.h"
#include "modem/ResultCodes.h"
#include "platform/FileUtil.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace {

constexpr int kBadFrameText = 57785;
// How far a playback may run ahead of the sound on the line.
constexpr uint64_t kLeadMs = 300;

bool IsVoiceConnect(int r) {
    return r == kResultOk || r == kResultVcon || r == kResultConnect || r == kResultVoice;
}

// Sound files coded ahead of time larger than this are no hold sound.
constexpr size_t kMaxVoiceDataFile = 64u * 1024 * 1024;

// The samples of a file to play: a WAV file, or the modem's own voice data
// for its format (the hold sound the build made for it), decoded.
bool ReadPlaySamples(const std::string& file, const VoiceCodecSettings& cs,
                     std::vector<int16_t>& samples, WaveFormat& fmt, std::string& error) {
    if (!IsModemVoiceData(file, cs))
        return ReadWaveSamples(file, samples, fmt, error);
    std::optional<std::string> raw = ReadWholeFile(file, kMaxVoiceDataFile);
    CVoiceCodec codec;
    if (!raw || !OpenVoiceCodec(codec, cs.nCompression, cs)) {
        error = file + ": cannot be read as the modem's voice data";
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(raw->data());
    samples.resize(codec.DecodedBound(raw->size()));
    samples.resize(DecodeVoiceBlock(codec, bytes, raw->size(), samples.data(), samples.size()));
    fmt = PcmFormat(static_cast<uint32_t>(cs.nCompressionSampleRate));
    return true;
}

// Why a voice format cannot be coded.
std::string NoCoderText(int nCompression) {
    return "the modem's voice format " + std::to_string(nCompression) + " has no coder";
}

} // namespace

ModemRecordResult CPhone::RecordFromModem(const std::string& file, uint64_t maxMs,
                                          const std::function<bool(int)>& onEvent) {
    ModemRecordResult res;
    if (!m_pModemDriver) {
        TellSoundProblem("not recorded: " + file + ": the device is not a modem");
        return res;
    }
    CCommDriver& drv = *m_pModemDriver;
    CVoiceCodec codec;
    VoiceCodecSettings cs = CodecSettings();
    if (!OpenVoiceCodec(codec, cs.nCompression, cs, bSoftAGC ? &m_normalizer : nullptr)) {
        TellSoundProblem("not recorded: " + file + ": " + NoCoderText(cs.nCompression));
        return res;
    }
    const uint32_t rate = static_cast<uint32_t>(std::clamp(cs.nCompressionSampleRate, 4000, 48000));
    CWaveFile wav;
    if (!wav.Create(file, PcmFormat(rate))) {
        SetStatusText(wav.LastError());
        return res;
    }
    res.bOpened = true;

    m_callState.EngineState().bRecording = true;
    int r = drv.CommOut(drv.Profile().sVoiceReceiveVoice, kModeResult);
    const bool bReceiving = IsVoiceConnect(r);
    // (A stop or a modem gone is not this recording's fault, and is told
    // where it happens.)
    if (bReceiving)
        SoundWorks();
    else if (drv.IsOpen() && !drv.DeviceFailure() && !drv.StopRequested())
        TellSoundProblem("not recorded: " + file + ": the modem did not send voice");

    VoiceBlock vb =
        PlayBlockSize(nBlockTime, static_cast<int>(rate), codec.Bits(), cs.nCompression);
    const VoiceFormat* format = FindVoiceFormat(cs.nCompression);
    size_t blockBytes = std::max<size_t>(
        1, format ? FormatBytes(*format, codec.Bits(), vb.samples) : vb.samples);
    std::vector<unsigned char> buf(blockBytes);
    std::vector<int16_t> pcm(codec.DecodedBound(blockBytes) + 16);
    CSilenceDetection silence;
    silence.SetSensitivity(drv.Settings().iSilenceDetectionSensitivity);
    CBadFrameCounter bad;
    const double factor = VolumeFactor(m_iVolume, m_bMute);
    std::unique_ptr<IPlaybackStream> monitor;
    bool bMonitorTried = false;
    const uint32_t readTimeout = static_cast<uint32_t>(std::clamp(nBlockTime, 1, 1000)) + 1000;
    uint64_t elapsed = 0;

    while (bReceiving && (!HasTimeLimit(maxMs) || elapsed * 1000 / rate < maxMs)) {
        unsigned char event = 0;
        int n =
            drv.ReceiveVoice(buf.data(), static_cast<int>(buf.size()), readTimeout, true, &event);
        if (n > 0) {
            size_t got =
                DecodeVoiceBlock(codec, buf.data(), static_cast<size_t>(n), pcm.data(), pcm.size());
            if (bad.Count(got > 0)) {
                res.nKey = 'Z';
                break;
            }
            if (got == 0) {
                SetStatusText(LoadStr(kBadFrameText));
            } else {
                std::span<int16_t> block(pcm.data(), got);
                ApplyVolume(block, factor);
                if (bEnableSBOutput) {
                    if (!bMonitorTried) {
                        bMonitorTried = true;
                        monitor = GetSoundBackend().OpenPlayback(-1, PcmFormat(rate));
                        if (!monitor)
                            TellSoundProblem(StrPrintf("not heard on the sound card: no sound "
                                                       "device plays %u samples/s",
                                                       rate));
                    }
                    if (monitor)
                        monitor->Write(block.data(), block.size());
                }
                if (!wav.WriteSamples(block.data(), block.size())) {
                    // The disk is full (or gone): the recording ends with
                    // what it took.
                    res.nWriteErrno = wav.WriteErrno() ? wav.WriteErrno() : EIO;
                    break;
                }
                res.nSamples += got;
                elapsed += got;
                if (drv.Settings().bSilenceDetection) {
                    for (int16_t s : block)
                        silence.AddSample(s);
                    if (silence.TimedOut(drv.Settings().iSilenceDetectionTimeout)) {
                        res.bSilence = true;
                        break;
                    }
                }
            }
        }
        if (event && (event == kEtx || !onEvent || onEvent(event))) {
            res.nKey = event == kEtx ? -1 : event;
            break;
        }
        if (drv.StopRequested() || !m_callState.EngineState().bRecording || m_bClosing ||
            m_callState.EngineState().bShuttingDown || drv.DeviceFailure() || !drv.IsOpen() ||
            (n <= 0 && !event))
            break;
        if (!event && static_cast<size_t>(n) < buf.size()) {
            // A block cut short while nobody asked to stop: the stream broke.
            SetStatusText(LoadStr(kBadFrameText));
            res.nKey = 'Z';
            break;
        }
    }
    if (bReceiving && drv.IsOpen() && !drv.DeviceFailure())
        drv.StopReceive();
    if (monitor)
        monitor->Reset();
    m_callState.EngineState().bRecording = false;
    wav.CloseWrite();
    return res;
}

void CPhone::TellSoundProblem(const std::string& text) {
    Trace("Sound: " + text + "\n");
    {
        std::lock_guard lock(m_statusMutex);
        if (m_sSoundProblemTold == text)
            return;
        m_sSoundProblemTold = text;
    }
    SetStatusText(text);
}

void CPhone::SoundWorks() {
    std::lock_guard lock(m_statusMutex);
    m_sSoundProblemTold.clear();
}

int CPhone::PlayFile(const std::string& file, bool bDetect) {
    if (!m_pModemDriver) {
        TellSoundProblem("not played: " + file + ": the device is not a modem");
        return -1;
    }
    CCommDriver& drv = *m_pModemDriver;
    drv.SetStopRequest(false);
    m_nPlayedSamples = 0;
    if (drv.Profile().m_nModemType == 20)
        return 0;
    std::vector<int16_t> samples;
    WaveFormat fmt;
    std::string error;
    VoiceCodecSettings cs = CodecSettings();
    if (!ReadPlaySamples(file, cs, samples, fmt, error)) {
        TellSoundProblem("not played: " + error);
        return -1;
    }
    CVoiceCodec codec;
    if (!OpenVoiceCodec(codec, cs.nCompression, cs)) {
        TellSoundProblem("not played: " + file + ": " + NoCoderText(cs.nCompression));
        return -1;
    }
    const uint32_t rate = static_cast<uint32_t>(std::clamp(cs.nCompressionSampleRate, 4000, 48000));
    // A greeting made at 8000 Hz must not play faster on a modem that runs
    // at 7200 Hz.
    samples = Resample(samples, fmt.nSamplesPerSec, rate);

    if (!IsVoiceConnect(drv.CommOut(drv.Profile().sVoiceTransmitVoice, kModeResult))) {
        if (drv.IsOpen() && !drv.DeviceFailure() && !drv.StopRequested())
            TellSoundProblem("not played: " + file + ": the modem did not take voice to send");
        return -1;
    }
    const bool bLocal = bEnableSBOutput && bEnableSBOutput_play;
    if (bLocal && !PlaySoundFile(file, true, -1, &error))
        TellSoundProblem("not played on the sound card: " + error);
    else
        SoundWorks();
    VoiceBlock vb =
        PlayBlockSize(nBlockTime, static_cast<int>(rate), codec.Bits(), cs.nCompression);
    std::vector<uint8_t> out(codec.EncodedBound(vb.samples) + 16);
    std::vector<int16_t> block(vb.samples);
    const double factor = VolumeFactor(m_iVolume, m_bMute);
    int result = -1;
    m_callState.EngineState().bPlaying = true;
    const uint32_t playStart = GetTickCount();
    for (size_t pos = 0; pos < samples.size() && !drv.StopRequested() && drv.IsOpen() &&
                         !m_bClosing && !m_callState.EngineState().bShuttingDown;) {
        size_t n = std::min(vb.samples, samples.size() - pos);
        std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(pos), n, block.begin());
        if (n < vb.samples && cs.nCompression == kCompressionGsm) {
            std::fill(block.begin() + static_cast<std::ptrdiff_t>(n), block.end(), int16_t{0});
            n = vb.samples; // GSM codes whole frames only
        }
        ApplyVolume(std::span<int16_t>(block.data(), n), factor);
        size_t bytes = EncodeVoiceBlock(codec, block.data(), n, out.data(), out.size());
        pos += n;
        m_nPlayedSamples += n;
        // Stay at most kLeadMs ahead of the line: a modem with a deep buffer
        // (or without the flow control a serial cable has) would otherwise
        // take the whole file at once, and a key pressed while it plays
        // would no longer interrupt it. The next write looks for events.
        const uint64_t soundMs = (m_nPlayedSamples.load() - n) * 1000 / rate;
        for (uint64_t elapsed = GetTickCount() - playStart;
             soundMs > elapsed + kLeadMs && !drv.StopRequested();
             elapsed = GetTickCount() - playStart)
            SleepMs(static_cast<uint32_t>(std::min<uint64_t>(soundMs - elapsed - kLeadMs, 20)));
        unsigned char ev = drv.TransmitVoice(out.data(), static_cast<int>(bytes), bDetect);
        if (bDetect && ev) {
            result = ev;
            SetStatusText(EventStatusText(ev));
            drv.SetStopRequest(true);
            break;
        }
    }
    if (drv.IsOpen() && !drv.DeviceFailure()) {
        bool stop = drv.StopRequested();
        drv.SetStopRequest(false); // the stop sequence must wait for its answer
        drv.StopPlay();
        if (stop)
            drv.SetStopRequest(true);
    }
    if (bLocal)
        StopSound();
    m_callState.EngineState().bPlaying = false;
    return result;
}
