// The action runner: the request table, the line's events and keys, which
// of them end a recording, and handing a fax call over once its recording
// ends. The plays to the line are in LinePlays.cpp.
#include "engine/ActionRunner.h"

#include "engine/CallControl.h"
#include "engine/CallRecorder.h"
#include "engine/CallState.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "platform/PrivateKeys.h"
#include "platform/ProcessLaunch.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <utility>

CActionRunner::CActionRunner(CPhone& phone, CCallStateData& state, IUiBridge& ui,
                             CCallRecorder& recorder, CAnsweringMachine& machine,
                             ICallControl& line, IActionHost& host)
    : m_phone(phone), m_state(state), m_ui(ui), m_recorder(recorder), m_machine(machine),
      m_line(line), m_host(host) {}

void CActionRunner::RunAction() {
    ITelephoneDevice& dev = m_phone.Device();
    const int32_t code = m_state.nAction.load();
    const ActionInfo* info = FindAction(code);
    if (!info) {
        // Codes that do nothing still use up the request.
        if (code != kActionQuiet)
            m_state.bActionPending = false;
        dev.SetStopRequest(false);
        return;
    }
    Log(std::string("Action: ") + info->name + "\n");
    switch (code) {
    case kActionQuiet:
        m_host.SleepQuantum();
        break;
    case kActionRecord:
        RecordCall();
        break;
    case kActionPlayFile:
        PlayFileToLine();
        break;
    case kActionHoldMusic:
        m_state.bTalking = true;
        m_state.bHold = true;
        m_state.bOffHookRequest = true;
        m_state.bActionPending = false;
        PlayHoldMusic();
        break;
    case kActionPlayGreeting:
        PlayGreetingToLine();
        break;
    case kActionAnswer:
        m_machine.Answer();
        if (!m_state.bTalking && !m_state.bHold && !m_state.bSpeakerphone)
            m_line.StopCall();
        break;
    case kActionKeyRecordGreeting:
        SetPlayFile(m_phone.sWaveGreet);
        RecordGreeting(true);
        break;
    case kActionRecordGreeting:
        RecordGreeting(true);
        break;
    case kActionRecordGreetingCard:
        RecordGreeting(false);
        break;
    case kActionSpeakerphone:
        SpeakerphoneLoop();
        break;
    case kActionOffHook:
        m_line.GoOffHook();
        m_state.bOffHook = true;
        break;
    case kActionDiagnostics:
        m_host.RunDiagnostics();
        break;
    case kActionStopHangUp:
        m_line.StopCall();
        m_host.HangUp();
        break;
    case kActionRecordHandset:
        RecordCall();
        break;
    case kActionStop:
        dev.SetStopRequest(true);
        break;
    case kActionAltGreeting:
        m_machine.PlayAltGreeting();
        m_state.bActionPending = false;
        break;
    case kActionDisconnect:
        m_line.GoOffHook();
        SleepMs(80);
        m_host.HangUp();
        break;
    case kActionTalk:
        m_state.bOffHookRequest = true;
        m_state.bTalking = true;
        m_line.GoOffHook();
        break;
    case kActionEnhancedHold:
        EnhancedHold();
        break;
    default:
        break;
    }
    if (info->bDispatcherClears)
        m_state.bActionPending = false;
    if (code != kActionQuiet && code != kActionSpeakerphone)
        dev.SetStopRequest(false);
}

void CActionRunner::RunPendingAction() {
    if (TalkWanted())
        TalkAtPc(); // first: the request that waits is for the talk (a recording of it)
    else if (!m_phone.Device().SerialExtras() || !m_state.bSpeakerphone || m_bSpeakerphoneRunning)
        RunAction(); // the modem's speakerphone wish waits for its loop
    m_host.SleepQuantum();
}

void CActionRunner::OnDeviceEvent(int ch) {
    switch (ReactToLineKey(ch, m_phone.bRecordImmediately, m_phone.m_bEnhancedHold,
                           m_state.bRecording || m_state.bPlaying, m_phone.m_bDetectEvents,
                           m_state.bRecording)) {
    case LineKeyReaction::StopCall:
        m_line.StopCall();
        break;
    case LineKeyReaction::RequestAnswer:
        m_phone.CallState().RequestAction(kActionAnswer);
        break;
    case LineKeyReaction::RequestRecord:
        m_phone.CallState().RequestAction(kActionRecord);
        break;
    case LineKeyReaction::Dispatch:
        StopAudio();
        OnEvent(ch);
        break;
    case LineKeyReaction::Nothing:
        break;
    }
    m_nLastKey = ch;
    m_ui.AppendToneKey(ShownKey(ch));
}

void CActionRunner::OnMediaEvent(int ch) {
    if (!m_state.bRecording && !m_state.bPlaying)
        StopAudio();
    if (m_nLastKey != 255) {
        m_nLastKey = ch;
        OnEvent(ch);
    }
}

void CActionRunner::OnEvent(int ch) {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetLastEvent(ch);
    if (IsToneKey(ch)) {
        m_state.bHangUpRequest = false;
        dev.SetStopRequest(false);
        OnKey(ch);
        return;
    }
    switch (ch) {
    case 'H':
    case 't':
        dev.SetHandsetOffHook(true);
        break;
    case 'h':
        dev.SetHandsetOffHook(false);
        break;
    case 'c':
        if (m_phone.bFax)
            HandOffFax();
        break;
    case 'f':
        // A data call: only a telephony line can hand it over.
        if (!m_phone.IsSerialModem())
            dev.HandOffCall(false, "");
        break;
    default:
        break;
    }
}

void CActionRunner::OnKey(int ch) {
    m_nLastKey = ch;
    KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
    if (!k.bKey)
        return;
    m_ui.AppendToneKey(ShownKey(ch));
    if (!k.bRuns)
        return;
    m_state.nAction = k.nAction;
    RunAction();
}

// What a line event does while a recording runs: keys mapped to stopping
// actions end it, so do the far end's busy or dial tone and a handset put
// back; a fax tone hands the call over.
bool CActionRunner::EventEndsRecording(int ch) {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetLastEvent(ch);
    if (IsToneKey(ch)) {
        m_nLastKey = ch;
        m_ui.AppendToneKey(ShownKey(ch));
        // A line that reports keys as messages keeps its "#" and "*" rule:
        // without bRecordImmediately either one ends the call recorded.
        if (!m_phone.IsSerialModem() &&
            ReactToLineKey(ch, m_phone.bRecordImmediately, false, true, false, true) ==
                LineKeyReaction::StopCall) {
            m_line.StopCall();
            return true;
        }
        KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
        if (!k.bRuns)
            return false;
        switch (k.nAction) {
        case kActionStopHangUp:
        case kActionStop:
        case kActionDisconnect:
            return true;
        default:
            // A recording does not start another action in the middle.
            return false;
        }
    }
    switch (ch) {
    case 'b':
    case 'd':
        m_phone.SetStatusText(EventStatusText(ch));
        return true;
    case 'h':
        dev.SetHandsetOffHook(false);
        return dev.HandsetTracking() || m_host.HandsetRecordingMarked();
    case 'H':
    case 't':
        dev.SetHandsetOffHook(true);
        return false;
    case 'c':
    case 'f':
        // A fax machine (or, on a telephony line, a modem) calls: the call
        // is handed over once its recording ends.
        if (ch == 'c' ? m_phone.bFax : !m_phone.IsSerialModem()) {
            m_nHandOffAfterRecording = ch;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CActionRunner::RecordCall() {
    m_recorder.Record(m_machine.Answering(), [this](int ch) { return EventEndsRecording(ch); });
    if (const int ch = std::exchange(m_nHandOffAfterRecording, 0))
        OnEvent(ch);
}

void CActionRunner::HandOffFax() {
    if (!m_phone.IsSerialModem()) {
        // A telephony line hands the call itself over; the program gets the
        // call, not the device.
        const std::string target =
            m_phone.sFaxAppName.empty()
                ? std::string()
                : StrPrintf("\"%s\" %s", m_phone.sFaxAppName.c_str(), m_phone.sFaxParam.c_str());
        if (!m_phone.Device().HandOffCall(true, target)) {
            const std::string text =
                "fax call not handed over on the " + DeviceKindName(m_phone.Device().Kind());
            Log(text + "\n");
            m_phone.SetStatusText(text);
        }
        return;
    }
    Log("Fax:\n");
    m_phone.Device().Close(false); // released as it is, for the fax program
    m_state.bOffHook = false;
    std::string error;
    auto argv = BuildCommand(m_phone.sFaxAppName, m_phone.sFaxParam, &error);
    if (argv && !m_phone.sFaxAppName.empty()) {
        LaunchResult r = LaunchProcess(*argv);
        if (r.status != LaunchStatus::Started)
            Log("Fax program: " + r.error + "\n");
    } else {
        Log("Fax program: " + error + "\n");
    }
    const uint32_t secs = static_cast<uint32_t>(std::clamp(m_phone.uiFaxSeconds, 0, 24 * 3600));
    uint32_t deadline = GetTickCount() + secs * 1000;
    m_phone.m_dwFaxDeadline = deadline ? deadline : 1;
    m_state.bPaused = true;
    m_ui.MonitoringChanged(true);
}

void CActionRunner::StopAudio() {
    m_state.bHold = false;
    if (m_state.bPlaying || m_state.bRecording) {
        m_phone.Device().SetStopRequest(true);
        m_state.bRecording = false;
    }
    m_state.bPlaying = false;
    m_phone.Device().SetStopRequest(false);
    m_ui.SetCallBusy(false);
    m_state.bOffHook = false;
}

void CActionRunner::Log(const std::string& text) {
    m_phone.Trace(text);
}
