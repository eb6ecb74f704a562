#include "app/BasicWindow.h"

#include "app/AppState.h"
#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cstdio>

CBasicWindow::CBasicWindow(IAppFrontEnd& frontEnd)
    : m_frontEnd(frontEnd), m_control(*this),
      m_hookButtons(
          m_control.Server(), [this](HookPress press) { OnHookButton(press); },
          [this](const std::string& text) { m_frontEnd.Note(text); }) {}

void IAppFrontEnd::Note(const std::string& text) {
    std::fprintf(stderr, "vorella: %s\n", text.c_str());
}

CBasicWindow::~CBasicWindow() {
    Destroy();
}

CControlService::StartResult CBasicWindow::Create(std::string* error, uint32_t waitForPreviousMs) {
    // The window itself does not depend on the socket: an instance without
    // external control (a "copy" start, an unusable runtime folder) still
    // needs its settings and its tray timer.
    CControlService::StartResult result = m_control.Start(error, waitForPreviousMs);
    m_arRASWindows.clear();
    for (std::string& title : ReadRasWindows())
        if (!title.empty())
            m_arRASWindows.push_back(std::move(title));
    m_bUseWindowSchedule = SettingsProvider().GetBool("bUseWindowSchedule");
    m_nVolume = std::clamp(SettingsProvider().GetInt("m_iVolume"), 0, 100);
    // The first ticks replace the picture of creation with the line's.
    m_nTrayIconId = kTrayPicCreated;
    StartTimer(kTimerTray, kTrayTimerMs);
    m_bCreated = true;
    return result;
}

void CBasicWindow::Destroy() {
    m_hookButtons.Close();
    m_control.Stop();
    m_timers = CUiTimers{};
    m_steps.clear();
    m_bCreated = false;
}

void CBasicWindow::StartTimer(int nId, uint32_t ms) {
    m_timers.Start(nId, ms, GetTickCount());
    m_frontEnd.TimersChanged();
}

void CBasicWindow::KillTimer(int nId) {
    m_timers.Kill(nId);
    m_frontEnd.TimersChanged();
}

void CBasicWindow::PostQuit() {
    m_bQuitPosted = true;
    m_frontEnd.QuitPosted();
}

void CBasicWindow::RunDueTimers() {
    const std::vector<int> due = m_timers.TakeDue(GetTickCount());
    for (int id : due) {
        if (m_bQuitPosted)
            return;
        // A timer killed by an earlier one in this round does not fire.
        if (m_timers.IsRunning(id))
            OnTimer(id);
    }
    if (!due.empty())
        m_frontEnd.TimersChanged();
}

void CBasicWindow::ProcessEvents(int maxWaitMs) {
    RunDueTimers();
    if (m_bQuitPosted)
        return;
    int wait = maxWaitMs;
    if (auto next = m_timers.MsUntilNext(GetTickCount()))
        wait = std::min<int>(wait, static_cast<int>(*next));
    m_control.Process(wait < 0 ? 0 : wait);
}

void CBasicWindow::SetTrayState(int nState) {
    if (m_nTrayState == nState)
        return;
    m_nTrayState = nState;
    m_pWorker->SetTrayState(nState);
    m_frontEnd.TrayStateChanged(nState);
}

void CBasicWindow::ToggleMonitoring() {
    m_pWorker->ClearPendingCalls();
    if (m_pWorker->IsCallActive())
        m_pWorker->StopCall();
    // A recording, a play or an answer in progress must not survive the switch.
    Calls().RequestStopSound();
    Calls().RequestEndTalking();
    if (CallFlagsNow().bPaused) {
        m_pWorker->SetStopRequest(false);
        SetTrayState(m_nSavedTrayState == kTrayPaused ? 0 : m_nSavedTrayState);
        Calls().RequestPause(false);
    } else {
        // The worker closes the port when it sees the stop request and the pause.
        m_pWorker->SetStopRequest(true);
        if (m_nTrayState != kTrayPaused)
            m_nSavedTrayState = m_nTrayState;
        SetTrayState(kTrayPaused);
        Calls().RequestPause(true);
    }
    m_pWorker->Wake();
    WakeTray();
}

void CBasicWindow::EnsureMonitoring() {
    if (CallFlagsNow().bPaused)
        ToggleMonitoring();
}

void CBasicWindow::Configure() {
    // A set-up still being served (or still waiting for the port) is not
    // asked for twice.
    if (CallFlagsNow().bReconfigure || m_bConfiguring)
        return;
    m_bConfiguring = true;
    const bool wasRunning = !CallFlagsNow().bPaused;
    if (wasRunning)
        ToggleMonitoring();
    WaitThen(
        2 * m_pWorker->TimeoutDefault(), [this] { return m_pWorker->IsPortClosed(); },
        [this, wasRunning] {
            m_bConfiguring = false;
            Calls().RequestReconfigure();
            if (wasRunning)
                ToggleMonitoring();
        });
}

void CBasicWindow::Record() {
    WakeTray();
    EnsureMonitoring();
    WaitThen(
        4 * m_pWorker->TimeoutDefault(), [this] { return m_pWorker->IsReady(); },
        [this] {
            Calls().RequestAction(kActionRecord);
            m_pWorker->Wake();
        });
}

void CBasicWindow::Answer() {
    WakeTray();
    // Resuming is only right when paused: toggling a running instance whose
    // port is still opening would pause it instead.
    EnsureMonitoring();
    WaitThen(
        4 * m_pWorker->TimeoutDefault(), [this] { return m_pWorker->IsReady(); },
        [this] {
            Calls().RequestEndTalking();
            Calls().RequestAction(kActionAnswer);
            m_pWorker->Wake();
        });
}

void CBasicWindow::GoOnline(int nTrayState) {
    SetTrayState(nTrayState);
    m_pWorker->ClearPendingCalls();
    Calls().RequestStopSound();
    m_pWorker->SetStoredAction(0);
}

bool CBasicWindow::OnCommand(int nId) {
    // Most commands change what the line does, and so the tray's picture.
    WakeTray();
    switch (nId) {
    case kCmdShowMainWindow:
        ShowMainWindow();
        return true;
    case kCmdConfigure:
        Configure();
        return true;
    case kCmdOptions:
        OpenOptions();
        return true;
    case kCmdStopCall:
        m_pWorker->StopCall();
        return true;
    case kCmdRecord:
        Record();
        return true;
    case kCmdStopRecording:
        StopRecording();
        return true;
    case kCmdDisable:
    case kCmdOffline:
        ToggleMonitoring();
        return true;
    case kCmdOnline:
        GoOnline();
        return true;
    case kCmdBusy:
    case kCmdDoNotDisturb:
        // Online, in a tray state the worker keeps the ring sound quiet in.
        GoOnline(nId == kCmdBusy ? kTrayBusy : kTrayDoNotDisturb);
        return true;
    case kCmdAway:
        GoOnline();
        m_pWorker->SetStoredAction(1);
        Calls().RequestLetGo();
        m_pWorker->SetStopRequest(false);
        return true;
    case kCmdAnswer:
        Answer();
        return true;
    case kCmdOffHook:
        Calls().RequestAction(kActionOffHook);
        m_pWorker->Wake();
        return true;
    case kCmdTalk:
        Talk(TalkRequest::Take);
        return true;
    case kCmdImitateRing:
        m_pWorker->ImitateRing();
        return true;
    case kCmdBlockLastCaller:
        PutOnList("", ContactList::Block);
        return true;
    case kCmdPauseScreening:
        PauseScreening(IsScreeningOn());
        return true;
    case kCmdExit:
        ImmediateExit();
        return true;
    case kCmdRestart:
        // The new process starts once this one has let go of the modem.
        g_bRestart = true;
        ImmediateExit();
        return true;
    case kCmdAppExit:
        if (!CallFlagsNow().bPaused)
            ToggleMonitoring();
        StartTimer(kTimerOrderlyExit, kOrderlyExitTickMs);
        return true;
    default:
        return m_frontEnd.OnWindowCommand(nId);
    }
}

void CBasicWindow::OnTimer(int nId) {
    switch (nId) {
    case kTimerTray:
        TrayTick();
        break;
    case kTimerStep:
        RunSteps();
        break;
    case kTimerSpeak:
        KillTimer(kTimerSpeak);
        if (!CallFlagsNow().bPaused)
            ToggleMonitoring();
        break;
    case kTimerOrderlyExit:
        OrderlyExitTick();
        break;
    default:
        break;
    }
}

void CBasicWindow::OnTrayClick(TrayClick click) {
    WakeTray();
    switch (click) {
    case TrayClick::Left:
        if (m_trayClicks.LeftUp())
            ShowMainWindow();
        break;
    case TrayClick::Double:
        m_trayClicks.DoubleClick();
        ShowMainWindow();
        break;
    case TrayClick::Middle:
        StepMonitoring();
        break;
    }
}

void CBasicWindow::WakeTray() {
    // While exiting, timer 3 stays stopped.
    if (m_bCreated && !m_bQuitPosted && !CallFlagsNow().bShuttingDown &&
        !m_timers.IsRunning(kTimerTray))
        StartTimer(kTimerTray, kTrayTimerMs);
}

bool CBasicWindow::TrayNeedsTicks() const {
    if (m_trayClicks.IsTiming() || CallFlagsNow().bActionPending)
        return true;
    const TrayFlags flags = CurrentTrayFlags(CallFlagsNow());
    if (TrayPictureFor(flags) != m_nTrayIconId || FlagsNeedWatching(flags))
        return true;
    // A call may start a recording or music on hold at any moment.
    return m_pWorker && (m_pWorker->IsCallActive() || m_pWorker->IsBusy());
}

void CBasicWindow::TrayTick() {
    if (m_trayClicks.Tick(m_nDoubleClickMs)) {
        // Read now: the options dialog may have changed it.
        if (SettingsProvider().GetBool("bClick"))
            StepMonitoring();
    }
    m_nTrayIconId = TrayPictureFor(CurrentTrayFlags(CallFlagsNow()));
    m_frontEnd.TrayTick();
    if (!TrayNeedsTicks())
        m_timers.Kill(kTimerTray);
}

void CBasicWindow::OrderlyExitTick() {
    // A recording or a play finishes first; the next tick looks again.
    if (CallFlagsNow().bRecording || CallFlagsNow().bPlaying)
        return;
    if (!CallFlagsNow().bPaused) {
        ToggleMonitoring();
        return;
    }
    KillTimer(kTimerOrderlyExit);
    m_frontEnd.SaveMainWindowState();
    WaitThen(
        8000, [this] { return m_pWorker->IsPortClosed(); },
        [this] {
            KillTimer(kTimerTray);
            Calls().RequestShutdown();
            m_pWorker->SetExitRequest();
            PostQuit();
        });
}

void CBasicWindow::ImmediateExit() {
    if (m_bExiting)
        return;
    m_bExiting = true;
    // The main window's placement is kept whichever way the program ends.
    m_frontEnd.SaveMainWindowState();
    StopRecording();
    if (!CallFlagsNow().bPaused)
        ToggleMonitoring();
    After(250, [this] {
        // Idle: the worker has seen the pause and let go of the port. A call's
        // ring state lingers for seconds after the port closed; it does not count.
        WaitThen(
            4000, [this] { return m_pWorker->IsPortClosed() && !m_pWorker->IsBusy(); },
            [this] {
                Calls().RequestShutdown();
                After(250, [this] { PostQuit(); });
            });
    });
}

void CBasicWindow::OnEndSession() {
    m_pWorker->StopCall();
    m_pWorker->SetStopRequest(true);
    Calls().RequestPause(false);
    Calls().RequestShutdown();
    KillTimer(kTimerTray);
    PostQuit();
}

// External control and later starts.

bool CBasicWindow::IsMonitoring() {
    return !CallFlagsNow().bPaused;
}

std::string CBasicWindow::DeviceUnavailable() {
    return m_pWorker ? m_pWorker->DeviceUnavailable() : "";
}

void CBasicWindow::SetMonitoring(bool bOn) {
    auto finish = [this, bOn] {
        if (bOn == static_cast<bool>(CallFlagsNow().bPaused))
            ToggleMonitoring();
    };
    // Without a call there is nothing to let settle: switch at once, so a
    // script's next status request already sees the new state.
    if (!m_pWorker->IsCallActive()) {
        finish();
        return;
    }
    // The stop takes a moment; a second look half a second later catches a
    // call that was just being set up.
    m_pWorker->StopCall();
    After(500, [this, finish] {
        if (m_pWorker->IsCallActive())
            m_pWorker->StopCall();
        After(500, finish);
    });
}

bool CBasicWindow::IsCallActive() {
    return m_pWorker->IsCallActive();
}

void CBasicWindow::StartRecording() {
    // The worker busy switching (opening or closing the device) would miss
    // the request. Bounded, so a stuck device cannot hold it back for ever.
    WaitThen(
        m_nSwitchWaitMs, [this] { return !m_pWorker->IsBusy(); }, [this] { Record(); });
}

void CBasicWindow::StopCall() {
    WaitThen(
        m_nSwitchWaitMs, [this] { return !m_pWorker->IsBusy(); },
        [this] { m_pWorker->StopCall(); });
}

CallerFields CBasicWindow::GetCallerFields() {
    return m_frontEnd.GetCallerFields();
}

void CBasicWindow::SetCallerFields(const CallerFields& fields) {
    m_frontEnd.SetCallerFields(fields);
    m_pWorker->MarkExternalCallerId();
}

std::string CBasicWindow::GetCurrentFile() {
    return m_pWorker->CurrentFile();
}

void CBasicWindow::PlayFile(const std::string& sFile) {
    WakeTray();
    if (CallFlagsNow().bRecording)
        m_pWorker->StopRecording();
    m_sPlayFile = sFile;
    m_pWorker->SetPlayFile(sFile);
    Calls().RequestAction(kActionPlayFile);
    m_pWorker->Wake();
}

void CBasicWindow::StopRecording() {
    // On a call talked at the PC with nothing being recorded, Stop hangs up.
    const CallFlags now = CallFlagsNow();
    if (IsTalkedAtPc(CanTalkAtPc(), now) && !now.bRecording) {
        Talk(TalkRequest::End);
        return;
    }
    m_pWorker->StopRecording();
    m_frontEnd.StartMainRefresh(kStopRefreshMs);
}

void CBasicWindow::SetCurrentFile(const std::string& sFile) {
    m_pWorker->SetCurrentFile(sFile);
}

void CBasicWindow::Exit() {
    ImmediateExit();
}

void CBasicWindow::Dial(const std::string& sNumber, bool bSpeak) {
    WakeTray();
    m_pWorker->Dial(sNumber, bSpeak);
}

void CBasicWindow::StartSpeakTimer(unsigned nMilliseconds) {
    StartTimer(kTimerSpeak, nMilliseconds);
}

void CBasicWindow::ShowMainWindow() {
    m_frontEnd.ShowMainWindow(true);
}

void CBasicWindow::Quit() {
    PostQuit();
}

void CBasicWindow::SetPlaybackVolume(int nPercent) {
    m_nVolume = std::clamp(nPercent, 0, 100);
    if (IsTalking())
        Calls().SetTalkLevels(m_nVolume, m_bTalkMute);
    else
        m_pWorker->SetPlaybackVolume(m_nVolume);
}

bool CBasicWindow::ToggleMute() {
    if (IsTalking()) {
        m_bTalkMute = !m_bTalkMute;
        Calls().SetTalkLevels(m_nVolume, m_bTalkMute);
        return m_bTalkMute;
    }
    m_bPlaybackMute = !m_bPlaybackMute;
    m_pWorker->SetMute(m_bPlaybackMute);
    return m_bPlaybackMute;
}

bool CBasicWindow::IsMuted() const {
    return IsTalking() ? m_bTalkMute : m_bPlaybackMute;
}

TalkOutcome CBasicWindow::Talk(TalkRequest r) {
    if (!m_pWorker)
        return TalkOutcome::CannotTalk;
    const TalkOutcome outcome = TalkOutcomeFor(r, CanTalkAtPc(), CallFlagsNow());
    if (outcome != TalkOutcome::Done)
        return outcome;
    WakeTray();
    if (r == TalkRequest::End) {
        m_pWorker->StopCall();
        return outcome;
    }
    // Each talk starts with the microphone on, the speaker as the slider says.
    m_bTalkMute = false;
    Calls().SetTalkLevels(m_nVolume, false);
    Calls().RequestTalk();
    m_pWorker->Wake();
    return outcome;
}

ScreeningReply CBasicWindow::PutOnList(const std::string& sNumber, ContactList list) {
    if (!m_pWorker)
        return Told({false, "Vorella is still starting: try again"});
    return Told(PutCallerOnList(Calls(), sNumber, list));
}

ScreeningReply CBasicWindow::AddToContacts(const std::string& sNumber, const std::string& sName) {
    return Told(AddCallerToContacts(sNumber, sName));
}

ScreeningReply CBasicWindow::PauseScreening(bool bPaused) {
    return Told(SetScreeningPaused(bPaused));
}

bool CBasicWindow::IsScreeningOn() {
    return !IsScreeningPaused();
}

TrayScreening CBasicWindow::TrayScreeningNow() const {
    return {m_pWorker && !LastCallerNumber(m_pWorker->CallState()).empty(), IsScreeningPaused()};
}

ScreeningReply CBasicWindow::Told(ScreeningReply reply) {
    m_frontEnd.ScreeningChanged(reply.sText);
    return reply;
}

void CBasicWindow::OnHookButton(HookPress press) {
    if (!m_pWorker)
        return;
    if (std::optional<TalkRequest> r = HookButtonRequestFor(CanTalkAtPc(), CallFlagsNow(), press))
        Talk(*r);
}

void CBasicWindow::WatchHookButtons(const InputFolders& folders) {
    if (CanTalkAtPc())
        m_hookButtons.Open(folders);
    else
        m_hookButtons.Close();
    m_frontEnd.WatchedChanged();
}

DiagnosticsProgress CBasicWindow::Diagnostics(bool bStart) {
    if (bStart) {
        DiagnosticsState state = m_pWorker->StartDiagnostics();
        if (state != DiagnosticsState::Running)
            return {state, ""};
    }
    return m_pWorker->DiagnosticsNow();
}
