// The worker's actions: the request table, diagnostics, and handing a fax
// call over once its recording ends. The recording itself is CCallRecorder's,
// dialling out CDialer's, answering CAnsweringMachine's; the other plays to the
// line are in LinePlays.cpp.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "modem/Diagnostics.h"
#include "modem/ResultCodes.h"
#include "platform/ProcessLaunch.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <unistd.h>

void CMultiThread::RunAction() {
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
        SleepQuantum();
        break;
    case kActionRecord:
        RecordCall(kRecordNormal);
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
            StopCall();
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
        GoOffHook();
        m_state.bOffHook = true;
        break;
    case kActionDiagnostics:
        RunDiagnosticsRequest();
        break;
    case kActionStopHangUp:
        StopCall();
        HangUp();
        break;
    case kActionRecordHandset:
        RecordCall(kRecordHandset);
        break;
    case kActionStop:
        dev.SetStopRequest(true);
        break;
    case kActionAltGreeting:
        m_machine.PlayAltGreeting();
        m_state.bActionPending = false;
        break;
    case kActionDisconnect:
        GoOffHook();
        SleepMs(80);
        HangUp();
        break;
    case kActionTalk:
        m_state.bOffHookRequest = true;
        m_state.bTalking = true;
        GoOffHook();
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

// ---- diagnostics -----------------------------------------------------------

DiagnosticsState CMultiThread::StartDiagnostics() {
    // Asked from another thread: the driver's own state is read, never the
    // device the worker may be choosing anew.
    const CCommDriver& drv = m_phone.m_driver;
    if (m_state.bPaused || !m_phone.IsSerialModem() || !drv.IsOpen() || !drv.m_bInitialized)
        return DiagnosticsState::NoModem;
    if (m_diagnostics.Now().state == DiagnosticsState::Running)
        return DiagnosticsState::Running;
    // The probes would break into a call, and a request already waiting
    // would be lost under this one.
    if (m_state.bActionPending || m_state.bOffHook || m_state.bRinging || m_state.bCidBusy ||
        m_state.bRecording || m_state.bPlaying || m_state.bHold)
        return DiagnosticsState::Busy;
    if (!m_diagnostics.Begin())
        return DiagnosticsState::Running;
    m_phone.Device().SetStopRequest(false);
    m_phone.CallState().RequestAction(kActionDiagnostics);
    Wake();
    return DiagnosticsState::Running;
}

void CMultiThread::RunDiagnosticsRequest() {
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem || !modem->Driver().IsOpen()) {
        m_diagnostics.Finish("", true);
        return;
    }
    std::string report = RunDiagnostics(modem->Driver(), [this](const std::string& sSoFar) {
        return m_diagnostics.Update(sSoFar) && !m_phone.m_bClosing && !m_bStop;
    });
    // The probes leave the modem at its factory settings ("&F"): without
    // its set-up the next call would come without caller ID.
    m_phone.Device().Open();
    m_diagnostics.Finish(report, false);
}

// ---- recording -------------------------------------------------------------

void CMultiThread::RecordCall(int mode) {
    (void)mode; // both modes record alike; they differ in who asked
    m_recorder.Record(m_machine.Answering(), [this](int ch) { return EventEndsRecording(ch); });
    if (m_bFaxAfterRecording) {
        m_bFaxAfterRecording = false;
        HandOffFax();
    }
}

// ---- external actions ------------------------------------------------------

void CMultiThread::HandOffFax() {
    if (!m_phone.IsSerialModem()) {
        // A telephony line hands the call itself over; the program gets the
        // call, not the device.
        const std::string target =
            m_phone.sFaxAppName.empty()
                ? std::string()
                : StrPrintf("\"%s\" %s", m_phone.sFaxAppName.c_str(), m_phone.sFaxParam.c_str());
        m_phone.Device().HandOffCall(true, target);
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
