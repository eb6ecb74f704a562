// The answering machine and the other plays to the line of the worker: the
// greeting and the message after it, the alternative greeting, a file played
// to the line, the greeting recorder's requests, music on hold, the enhanced
// hold and the speakerphone loop.
#include "engine/MultiThread.h"

#include "audio/PlaySound.h"
#include "audio/RecThread.h"
#include "engine/CallState.h"
#include "engine/HoldSound.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "modem/ResultCodes.h"
#include "platform/FileUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

namespace {

// The character limit of a result wait: the modem engine's usual one.
constexpr int kResultLimit = 65535;
// The pause between the greeting and the message on a line's sound device.
constexpr uint32_t kAfterGreetingMs = 50;

} // namespace

std::string CMultiThread::CallerGreeting(const std::string& fallback) const {
    std::string own = m_state.curCall.Get().m_sGreeting;
    return ProgramFile(own.empty() ? fallback : own);
}

void CMultiThread::AutoAnswer() {
    ITelephoneDevice& dev = m_phone.Device();
    m_bAnswering = true;
    m_recorder.ForgetCurrentFile();
    dev.SetStopRequest(false);
    m_state.bRinging = false;
    Log("Autoanswer:\n");
    // A message the disk cannot hold is not taken: the line is left ringing.
    if (!m_recorder.RoomForAMessage()) {
        m_bAnswering = false;
        return;
    }
    if (!m_state.bOffHook)
        GoOffHook();
    m_state.bOffHook = true;
    std::string greeting = CallerGreeting(m_phone.sWaveGreet);
    int ev = -1;
    if (IsReadableFile(greeting)) {
        ev = dev.PlayFile(greeting, true);
        // A line's sound device may still be sending the greeting's end: the
        // message is not to take it in.
        if (!dev.SerialExtras())
            SleepMs(kAfterGreetingMs);
    }
    m_nLastPlayEvent = ev;
    if (ev >= 0)
        dev.SetStopRequest(false); // raised by the play for the event that ended it
    if (ev == 'b' || ev == 'd') {
        // The caller hung up during the greeting: no message, but the call
        // and its caller ID are logged all the same.
        m_recorder.StoreWithoutSound();
        m_bAnswering = false;
        return;
    }
    if (ev == 'c' && m_phone.bFax) {
        OnEvent(ev); // a fax machine calls: handed over, nothing to record
        m_bAnswering = false;
        return;
    }
    if (IsToneKey(ev) && !RunGreetingKey(ev)) {
        // The key took the call elsewhere: hold music, a stop, a recording
        // or an answer of its own.
        m_bAnswering = false;
        return;
    }
    // The user stopped the call, or monitoring, while the caller heard the
    // greeting: that stop ends the answer; the message recording must not
    // swallow it.
    if (dev.StopRequested() || m_state.bPaused) {
        m_bAnswering = false;
        return;
    }
    m_recorder.SetMessage(true);
    RecordCall(kRecordNormal);
    m_recorder.SetMessage(false);
    m_bAnswering = false;
}

// A key the caller pressed during the greeting runs its action (remote
// control). True when the message is still to be recorded: the action left
// the call with the machine (a key without an action, the alternative
// greeting); false when it stopped, held, hung up or recorded the call.
bool CMultiThread::RunGreetingKey(int ch) {
    const KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
    const bool bStop = k.bRuns && k.nAction == kActionStop; // the caller ends the answer
    const std::string before = LastRecording();
    // The answer request is being served: left pending, the key's action
    // (the speakerphone loop) would take it for a new request.
    m_state.bActionPending = false;
    // A recording the key starts is what the caller has to say: a message.
    m_recorder.SetMessage(true);
    OnEvent(ch);
    m_recorder.SetMessage(false);
    if (bStop || LastRecording() != before)
        return false;
    return m_state.bOffHook && !m_state.bHangUpRequest && !m_state.bTalking && !m_state.bHold &&
           !m_state.bSpeakerphone && !m_phone.Device().StopRequested() && !m_state.bPaused &&
           !m_phone.m_dwFaxDeadline;
}

void CMultiThread::PlayAltGreeting() {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetStopRequest(false);
    Log("Play alt greeting:\n");
    std::string file = CallerGreeting(m_phone.sWaveAltGreet);
    if (!dev.IsAvailable())
        return;
    if (!m_state.bOffHook)
        GoOffHook();
    m_state.bOffHook = true;
    if (IsReadableFile(file))
        m_nLastPlayEvent = dev.PlayFile(file, true);
}

void CMultiThread::PlayFileToLine() {
    std::string file;
    {
        std::lock_guard lock(m_fieldMutex);
        file = m_sPlayFile;
    }
    if (file.empty()) {
        m_state.bActionPending = false;
        return;
    }
    if (!m_state.bOffHook)
        GoOffHook();
    m_nLastPlayEvent = m_phone.Device().PlayFile(ProgramFile(file), m_phone.m_bEnhancedHold);
    SetPlayFile("");
    if (!m_state.bTalking && !m_state.bHold)
        StopCall();
    m_state.bActionPending = false;
    m_phone.Device().SetStopRequest(false);
}

void CMultiThread::PlayGreetingToLine() {
    std::string file;
    {
        std::lock_guard lock(m_fieldMutex);
        file = m_sPlayFile.empty() ? m_phone.sWaveGreet : m_sPlayFile;
    }
    if (!m_state.bOffHook)
        GoOffHook();
    if (IsReadableFile(ProgramFile(file)))
        m_nLastPlayEvent = m_phone.Device().PlayFile(ProgramFile(file), true);
    if (!m_state.bTalking && !m_state.bHold)
        StopCall();
    m_state.bActionPending = false;
}

void CMultiThread::RecordGreeting(bool bFromLine) {
    std::string file;
    {
        std::lock_guard lock(m_fieldMutex);
        file = ProgramFile(m_sPlayFile.empty() ? m_phone.sWaveGreet : m_sPlayFile);
    }
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
            if (dev.StopRequested() || m_bStop || m_state.bShuttingDown)
                rec.Stop();
            PumpMessages();
        }
    }
    if (!m_state.bTalking && !m_state.bHold)
        StopCall();
    m_state.bActionPending = false;
}

void CMultiThread::PlayHoldMusic() {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetStopRequest(false);
    if (!m_state.bOffHook)
        GoOffHook();
    std::string file = ProgramFile(m_phone.sWaveHold);
    bool bPlayed = false;
    while (m_state.bHold && !m_bStop && !m_state.bShuttingDown && IsReadableFile(file) &&
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
            StopCall();
            break;
        } else {
            dev.SetStopRequest(false);
        }
        PumpMessages();
    }
    if (m_state.bHold && !bPlayed && !m_bStop && !m_state.bShuttingDown) {
        // No music to play: the hold ends here and the line stays off-hook
        // with the user, rather than the worker retrying without a pause.
        m_state.bHold = false;
    }
    StopSound();
    dev.SetStopRequest(false);
}

void CMultiThread::EnhancedHold() {
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
        GoOffHook();
    bool first = true;
    while (m_state.bHold && !m_bStop && !m_state.bShuttingDown && dev.IsOpen()) {
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
            SleepMs(1);
            PumpMessages();
            continue;
        }
        int ev = dev.PlayFile(hold, true);
        dev.SetStopRequest(false);
        if (ev >= 0 && (IsToneKey(ev) || ev == 'b' || ev == 'd')) {
            m_phone.m_bHoldEvent = true;
            m_nLastKey = ev;
            PlaySoundFile(ProgramFile("wave/ring.wav"), true);
            for (const char* f : {"wave/thankyou.wav", "wave/ring.wav"}) {
                std::string p = ProgramFile(f);
                if (IsReadableFile(p))
                    dev.PlayFile(p, false);
            }
            dev.SetStopRequest(false);
            if (ev == 'b' || ev == 'd')
                break; // the caller is gone
        }
        PumpMessages();
    }
    StopSound();
    dev.SetStopRequest(false);
    m_phone.m_bDetectEvents = false;
    m_phone.m_bEnhancedHold = false;
    m_state.bHold = false;
}

void CMultiThread::SpeakerphoneLoop() {
    // The speakerphone is the modem's own (its commands come from its profile).
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem) {
        PumpMessages();
        return;
    }
    CCommDriver& drv = modem->Driver();
    drv.SetStopRequest(false);
    if (!m_bSpeakerphoneRunning) {
        drv.CommOut(drv.sVoiceSpeakerphoneEnable, kModeResult);
        m_bSpeakerphoneRunning = true;
        if (drv.sVoiceSpeakerphoneUnmute != drv.sVoiceSpeakerphoneEnable)
            drv.CommOut(drv.sVoiceSpeakerphoneUnmute, kModeResult);
        m_state.bOffHook = true;
    }
    for (;;) {
        if (!m_state.bSpeakerphone) {
            drv.CommOut(drv.sVoiceSpeakerphoneDisable, kModeResult);
            m_bSpeakerphoneRunning = false;
            return;
        }
        if (drv.StopRequested() || m_bStop || m_state.bShuttingDown)
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
        drv.WaitResult(static_cast<uint32_t>(std::clamp(drv.dwTimeoutQuant, 1, 100)), kResultLimit);
        drv.SetDefaultTimeouts();
        const int ev = drv.m_nLastEvent;
        if (ev == 'b' || ev == 'd') {
            m_phone.SetStatusText(EventStatusText(ev));
            m_state.bSpeakerphone = false;
            drv.CommOut(drv.sVoiceSpeakerphoneDisable, kModeResult);
            m_bSpeakerphoneRunning = false;
            StopCall();
            return;
        }
    }
}
