// The action runner's plays to the line (the answering machine is CAnsweringMachine):
// a file played to the line, the greeting recorder's requests, music on hold,
// the enhanced hold and the modem's speakerphone loop (talking at the PC is
// in TalkAtPc.cpp).
#include "engine/ActionRunner.h"

#include "engine/CallControl.h"

#include "audio/PlaySound.h"
#include "audio/RecThread.h"
#include "engine/CallState.h"
#include "engine/HoldSound.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "modem/ResultCodes.h"
#include "platform/FileUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

namespace {

// The character limit of a result wait: the modem engine's usual one.
constexpr int kResultLimit = 65535;

// Whether a sound to play can be read; when not, the user learns which
// (what: "greeting", "music on hold") and why, once while it stays so.
bool SoundReadable(CPhone& phone, const std::string& what, const std::string& file) {
    const std::string why = ReadProblem(file);
    if (why.empty())
        return true;
    phone.TellSoundProblem("the " + what + " is not played: cannot open " + file + ": " + why);
    return false;
}

} // namespace

void CActionRunner::PlayFileToLine() {
    const std::string file = m_playFile.Get();
    if (file.empty()) {
        m_state.bActionPending = false;
        return;
    }
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    m_nLastPlayEvent = m_phone.Device().PlayFile(ProgramFile(file), m_phone.m_bEnhancedHold);
    SetPlayFile("");
    if (!m_state.bTalking && !m_state.bHold)
        m_line.StopCall();
    m_state.bActionPending = false;
    m_phone.Device().SetStopRequest(false);
}

void CActionRunner::PlayGreetingToLine() {
    std::string file = m_playFile.Get();
    if (file.empty())
        file = m_phone.sWaveGreet;
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    if (SoundReadable(m_phone, "greeting", ProgramFile(file)))
        m_nLastPlayEvent = m_phone.Device().PlayFile(ProgramFile(file), true);
    if (!m_state.bTalking && !m_state.bHold)
        m_line.StopCall();
    m_state.bActionPending = false;
}

void CActionRunner::RecordGreeting(bool bFromLine) {
    std::string chosen = m_playFile.Get();
    const std::string file = ProgramFile(chosen.empty() ? m_phone.sWaveGreet : chosen);
    ITelephoneDevice& dev = m_phone.Device();
    const uint64_t maxMs =
        static_cast<uint64_t>(std::max(m_phone.DriverSettings().dwInactiveTimer, 1000));
    if (bFromLine && dev.IsAvailable()) {
        if (!m_state.bOffHook)
            dev.GoOffHook();
        m_state.bOffHook = true;
        const bool agc = m_phone.bSoftAGC;
        m_phone.bSoftAGC = false;
        dev.Record(file, maxMs, {});
        m_phone.bSoftAGC = agc;
    } else if (!bFromLine) {
        // The sound card: the audio library's recorder writes the file.
        CRecThread rec;
        CRecThread::Setup setup;
        setup.sFile = file;
        setup.nSampleRate = static_cast<uint32_t>(m_phone.Profile().nCompressionSampleRate);
        setup.options.nMaxDurationMs = static_cast<uint32_t>(maxMs);
        rec.Start(setup);
        while (!rec.WaitFinished(10)) {
            if (dev.StopRequested() || m_host.StopAsked() || m_state.bShuttingDown)
                rec.Stop();
            m_host.PumpMessages();
        }
    }
    if (!m_state.bTalking && !m_state.bHold)
        m_line.StopCall();
    m_state.bActionPending = false;
}

void CActionRunner::PlayHoldMusic() {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetStopRequest(false);
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    std::string file = ProgramFile(m_phone.sWaveHold);
    bool bPlayed = false;
    const bool bReadable = SoundReadable(m_phone, "music on hold", file);
    while (m_state.bHold && !m_host.StopAsked() && !m_state.bShuttingDown && bReadable &&
           dev.IsOpen()) {
        m_phone.m_nPlayedSamples = 0;
        int ev = dev.PlayFile(file, true);
        if (m_phone.m_nPlayedSamples > 0)
            bPlayed = true;
        else if (ev <= 0 && m_state.bHold && !dev.StopRequested())
            break; // nothing of it could be played: the modem refused, or the file is no sound
        if (ev < 0 && !m_state.bHold)
            break;
        if (ev < 0)
            dev.SetStopRequest(false);
        else if (ev == 'b' || ev == 'd') {
            // The caller gave up waiting.
            m_state.bHold = false;
            m_line.StopCall();
            break;
        } else {
            dev.SetStopRequest(false);
        }
        m_host.PumpMessages();
    }
    if (m_state.bHold && !bPlayed && !m_host.StopAsked() && !m_state.bShuttingDown) {
        // No music to play: the hold ends here and the line stays off-hook
        // with the user, rather than the worker retrying without a pause.
        m_state.bHold = false;
    }
    StopSound();
    dev.SetStopRequest(false);
}

void CActionRunner::EnhancedHold() {
    ITelephoneDevice& dev = m_phone.Device();
    m_state.bActionPending = false;
    m_state.nAction = 0;
    m_phone.m_bHoldEvent = false;
    m_phone.m_bDetectEvents = true;
    SleepMs(1);
    m_state.bHold = true;
    m_state.bTalking = true;
    m_phone.m_bEnhancedHold = true;
    dev.SetStopRequest(false);
    if (!m_state.bOffHook)
        m_line.GoOffHook();
    bool first = true;
    while (m_state.bHold && !m_host.StopAsked() && !m_state.bShuttingDown && dev.IsOpen()) {
        if (first) {
            first = false;
            std::string intro = ProgramFile("wave/intro.wav");
            if (IsReadableFile(intro))
                dev.PlayFile(intro, true);
            dev.SetStopRequest(false);
        }
        const VoiceCodecSettings modem = m_phone.CodecSettings();
        std::string hold = EnhancedHoldSound(ProgramFile(m_phone.sWaveCompressedHold),
                                             ProgramFile(m_phone.sWaveHold),
                                             dev.SerialExtras() ? &modem : nullptr);
        if (hold.empty()) {
            // Nothing to play: the caller waits in silence for a key, and
            // the user learns why.
            SoundReadable(m_phone, "music on hold", ProgramFile(m_phone.sWaveHold));
            m_host.SleepQuantum();
            m_host.PumpMessages();
            continue;
        }
        int ev = dev.PlayFile(hold, true);
        dev.SetStopRequest(false);
        if (ev >= 0 && (IsToneKey(ev) || ev == 'b' || ev == 'd')) {
            m_phone.m_bHoldEvent = true;
            m_nLastKey = ev;
            if (std::string why; !PlaySoundFile(ProgramFile("wave/ring.wav"), true, -1, &why))
                m_phone.TellSoundProblem("the ring is not played on the sound card: " + why);
            for (const char* f : {"wave/thankyou.wav", "wave/ring.wav"}) {
                std::string p = ProgramFile(f);
                if (SoundReadable(m_phone, "answer to the key", p))
                    dev.PlayFile(p, false);
            }
            dev.SetStopRequest(false);
            if (ev == 'b' || ev == 'd')
                break; // the caller is gone
        }
        m_host.PumpMessages();
    }
    StopSound();
    dev.SetStopRequest(false);
    m_phone.m_bDetectEvents = false;
    m_phone.m_bEnhancedHold = false;
    m_state.bHold = false;
}

void CActionRunner::SpeakerphoneLoop() {
    // The speakerphone is the modem's own (its commands come from its profile).
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem) {
        // Any other line talks through the computer's sound card instead.
        TalkAtPc();
        return;
    }
    CCommDriver& drv = modem->Driver();
    drv.SetStopRequest(false);
    if (!m_bSpeakerphoneRunning) {
        drv.CommOut(drv.Profile().sVoiceSpeakerphoneEnable, kModeResult);
        m_bSpeakerphoneRunning = true;
        if (drv.Profile().sVoiceSpeakerphoneUnmute != drv.Profile().sVoiceSpeakerphoneEnable)
            drv.CommOut(drv.Profile().sVoiceSpeakerphoneUnmute, kModeResult);
        m_state.bOffHook = true;
    }
    for (;;) {
        if (!m_state.bSpeakerphone) {
            drv.CommOut(drv.Profile().sVoiceSpeakerphoneDisable, kModeResult);
            m_bSpeakerphoneRunning = false;
            return;
        }
        if (drv.StopRequested() || m_host.StopAsked() || m_state.bShuttingDown)
            return;
        if (m_state.bActionPending) {
            m_state.nAction = kActionRecord;
            return;
        }
        m_state.nAction = 0;
        // Listens to the line meanwhile: the far end hanging up shows as busy
        // or dial tone, and then the call is over.
        drv.m_nLastEvent = 0;
        drv.SetQuantumTimeouts();
        drv.WaitResult(static_cast<uint32_t>(std::clamp(drv.Settings().dwTimeoutQuant, 1, 100)),
                       kResultLimit);
        drv.SetDefaultTimeouts();
        const int ev = drv.m_nLastEvent;
        if (ev == 'b' || ev == 'd') {
            m_phone.SetStatusText(EventStatusText(ev));
            m_state.bSpeakerphone = false;
            drv.CommOut(drv.Profile().sVoiceSpeakerphoneDisable, kModeResult);
            m_bSpeakerphoneRunning = false;
            m_line.StopCall();
            return;
        }
    }
}
