// The worker's actions: the request table, recording a call and handing a
// fax call over. The answering machine and the other plays to
// the line are in AnsweringMachine.cpp.
#include "engine/MultiThread.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "config/DataFolder.h"
#include "engine/CallState.h"
#include "engine/CallerText.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/RecordingName.h"
#include "engine/RecordingSteps.h"
#include "engine/UiBridge.h"
#include "modem/Diagnostics.h"
#include "modem/ResultCodes.h"
#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "platform/TextUtil.h"
#include "platform/Strings.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStrNoWaveIn = 169;

// The recording's length in whole seconds, from the file itself.
int WaveSeconds(const std::string& path) {
    CWaveFile wav;
    if (!wav.Open(path))
        return 0;
    uint32_t rate = wav.Format().nSamplesPerSec;
    return rate ? static_cast<int>(wav.SampleCount() / rate) : 0;
}

} // namespace

void TouchFile(const std::string& path) {
    utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

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
        AutoAnswer();
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
        PlayAltGreeting();
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

std::string CMultiThread::RecordingFolderNow() {
    std::lock_guard lock(m_fieldMutex);
    return RecordingFolder(GetDataFolder(), m_sDataPath, m_state.selectedCallFolder.Get(),
                           m_sTargetFolder);
}

void CMultiThread::WriteIndex(bool bFinished) {
    std::string file = CurrentFile();
    if (!file.empty()) {
        CNumber c = m_state.curCall.Get();
        FinishedCall fc;
        fc.sRecordingPath = file;
        fc.sNumber = c.m_sNumber;
        fc.sName = c.m_sName;
        fc.sMemo = c.m_sMemo;
        fc.nLength = bFinished ? WaveSeconds(file) : 0;
        fc.bMessage = m_bRecordingMessage;
        const std::string index = CCallLog::IndexBeside(file);
        std::string error;
        // The room kept while the sound filled the disk is for this line.
        if (bFinished)
            m_indexReserve.Release();
        if (!m_callLog.StoreFinishedCall(fc, &error)) {
            Log("Index: " + error + "\n");
            m_phone.SetStatusText("the call is not in the call list: " + error);
        } else if (!bFinished) {
            m_indexReserve.Take(index);
        }
        TellRecording(file, bFinished, fc.bMessage, fc.nLength);
    }
    m_ui.UpdateCurrentCall(bFinished);
}

void CMultiThread::TellRecordingCut(const std::string& file, int nErrno) {
    const std::string text = RecordingCutText(nErrno, WaveSeconds(file));
    Log("Recording: " + text + "\n");
    m_phone.SetStatusText(text);
    // The notice of the call says it too.
    auto mark = [&](CNumber& c) {
        if (c.m_sRecording == file)
            c.m_sRecordingProblem = text;
    };
    m_state.curCall.Update(mark);
    m_state.recentCalls.Update([&](std::vector<CNumber>& calls) {
        for (CNumber& c : calls)
            mark(c);
    });
}

bool CMultiThread::RoomForAMessage() {
    const std::string folder = RecordingFolderNow();
    const int nMin = m_phone.nMinFreeSeconds;
    const uint32_t rate = static_cast<uint32_t>(
        std::clamp(m_phone.Profile().nCompressionSampleRate, 4000, 48000));
    const MessageRoom room = RoomForMessages(folder, nMin, rate * 2);
    // Said once when it changes, not at every call.
    if (room.bEnough == m_bNoRoomTold) {
        m_bNoRoomTold = !room.bEnough;
        const std::string text = MessageRoomText(room, folder, nMin);
        Log("Autoanswer: " + text + "\n");
        m_phone.SetStatusText(text);
    }
    return room.bEnough;
}

std::string CMultiThread::StartCallFile() {
    RecordingNameSettings ns;
    ns.fKestrixCustomization = m_phone.fKestrixCustomization;
    ns.sKestrixThisComputerID = m_phone.sKestrixThisComputerID;
    {
        std::lock_guard lock(m_fieldMutex);
        ns.sRequestedName = m_sRequestedName;
    }
    std::string folder = RecordingFolderNow();
    // A free name (two calls in the same second get two files), the call
    // into the run's list, and its line into the index at once, so a
    // recording cut short by a crash is still listed.
    MakeDirectories(folder);
    std::string file = ReserveFreeFileName(RecordingFileName(folder, ns, std::time(nullptr)));
    m_state.AppendRecentCall(m_state.curCall.Update([&](CNumber& c) {
        c.m_sRecording = file;
        return c;
    }));
    SetCurrentFile(file);
    m_ui.ClearLastPlayed();
    WriteIndex(false);
    return file;
}

void CMultiThread::RecordCall(int mode) {
    (void)mode; // both modes record alike; they differ in who asked
    ITelephoneDevice& dev = m_phone.Device();
    m_phone.m_bEnhancedHold = false;
    const std::string file = StartCallFile();
    int nWriteErrno = 0;

    if (ISerialModemExtras* modem = dev.SerialExtras()) {
        if (!dev.IsOpen())
            dev.Open();
        if (dev.IsOpen() && !dev.IsReady())
            static_cast<void>(dev.Open());
        if (!m_state.bOffHook || !dev.InVoiceMode())
            dev.GoOffHook();
        else if (m_phone.fKestrixCustomization)
            modem->Driver().AnswerVoice(); // the customised set-up repeats it for every recording
        m_state.bOffHook = true;
        m_ui.SetCallBusy(true);
        m_events.Publish(CallAnswered{m_bAnswering ? AnsweredBy::Machine : AnsweredBy::User});
        dev.SetStopRequest(false);
        ModemRecordResult r = m_phone.RecordFromModem(
            file, kNoLimitAboveMs + 1, [this](int ch) { return EventEndsRecording(ch); });
        m_nLastRecordKey = r.nKey;
        m_bLastRecordSilence = r.bSilence;
        nWriteErrno = r.nWriteErrno;
    } else if (dev.IsOpen()) {
        // A telephony line: its call's sound device is recorded.
        GoOffHook();
        dev.SetStopRequest(false);
        m_state.bRecording = true;
        RecordResult r = dev.Record(file, kNoLimitAboveMs + 1,
                                    [this](int ch) { return EventEndsRecording(ch); });
        m_nLastRecordKey = r.nKey;
        m_bLastRecordSilence = r.bSilence;
        nWriteErrno = r.nWriteErrno;
        if (!r.bOpened) {
            // No call, or no sound device for it: nothing was recorded.
            m_ui.ShowMessage(kStrNoWaveIn, MessageIcon::Exclamation);
            m_ui.SetCallBusy(false);
        }
    } else {
        // No driver for this device kind in this build.
        m_phone.SetStatusText(DeviceKindName(dev.Kind()) + ": not available");
    }
    m_state.bRecording = false;
    if (nWriteErrno)
        TellRecordingCut(file, nWriteErrno);

    if (m_phone.bCompressWav && m_phone.fUseComvurgent)
        CompressRecording(
            file, [](const std::string& a, const std::string& b) { return ConvertToGsm(a, b); });
    SetCurrentFile(file);
    if (!m_state.bTalking && !m_state.bHold && !m_state.bSpeakerphone)
        StopCall();
    m_state.bActionPending = false;
    dev.SetStopRequest(false);
    {
        // Known before the index shows the call, so whoever sees the record
        // also finds its file here.
        std::lock_guard lock(m_fieldMutex);
        m_sLastRecording = file;
    }
    WriteIndex(true);
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
