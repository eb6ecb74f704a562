// CBasicWindow: the hidden window's core, shared by the desktop program and
// the service. It routes the tray and status menu commands, the external
// control and the requests of later starts to the worker, owns the monitoring
// switch and the tray state, runs the hidden window's timers and carries out
// the exit paths. It has no window of its own: the front end drives it.
#pragma once

#include "app/AppFrontEnd.h"
#include "app/AppWorker.h"
#include "app/CommandIds.h"
#include "app/ControlService.h"
#include "app/ExternalControl.h"
#include "app/HookButtons.h"
#include "app/TalkRules.h"
#include "app/TrayLogic.h"
#include "app/UiTimers.h"

#include <atomic>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

class CMqttService;
class CWebService;

class CBasicWindow : public IExternalControl {
public:
    // The longest wait of code 3 for a worker busy switching.
    static constexpr uint32_t kMaxSwitchWaitMs = 30000;

    // The worker comes later (start-up makes the window before the phone);
    // no command reaches the window before AttachWorker.
    explicit CBasicWindow(IAppFrontEnd& frontEnd);
    void AttachWorker(IAppWorker& worker) { m_pWorker = &worker; }
    // The MQTT service: the options show its last failure, and OK starts it
    // again when its settings changed (nullptr: none).
    void AttachMqtt(CMqttService* pMqtt) { m_pMqtt = pMqtt; }
    // The web page, the same way.
    void AttachWeb(CWebService* pWeb) { m_pWeb = pWeb; }
    // The wait for a worker busy switching (kMaxSwitchWaitMs; tests shorten it).
    void SetSwitchWaitMs(uint32_t nMs) { m_nSwitchWaitMs = nMs; }
    ~CBasicWindow() override;
    CBasicWindow(const CBasicWindow&) = delete;
    CBasicWindow& operator=(const CBasicWindow&) = delete;

    // The window's creation: claims the control socket (the single instance),
    // opens the external-control block, reads the window's settings and
    // starts timer 3. AnotherRuns when an instance already serves.
    CControlService::StartResult Create(std::string* error, uint32_t waitForPreviousMs = 0);
    void Destroy();

    // The main window can serve external commands now.
    void EnableExternalControl() { m_control.CommDll().Enable(); }

    // A menu command. False for an id this window does not know.
    bool OnCommand(int nId);
    void OnTimer(int nId);
    // The session ends (logout, system shutdown).
    void OnEndSession();

    // Runs the timers that are due and serves the control socket, waiting at
    // most maxWaitMs for something to happen (the service's loop).
    void ProcessEvents(int maxWaitMs);
    // Runs the timers that are due (a loop that watches the socket itself).
    void RunDueTimers();

    void ToggleMonitoring();
    // The main window's volume slider and "Mu&te": what the phone plays, or,
    // while a call is talked at the PC, the talk's speaker and microphone.
    void SetPlaybackVolume(int nPercent);
    // Turns the mute of the moment over; returns it as it is now.
    bool ToggleMute();
    // The mute the window shows: the microphone's while talking.
    bool IsMuted() const;
    // The device can talk at the PC, and whether a call is talked now.
    bool CanTalkAtPc() const { return m_pWorker && m_pWorker->CanTalkAtPc(); }
    bool IsTalking() const { return IsTalkedAtPc(CanTalkAtPc(), CallFlagsNow()); }
    // The "Answer" command as the windows show it now.
    TalkButton TalkButtonNow() const { return TalkButtonFor(CanTalkAtPc(), CallFlagsNow()); }
    // A headset's hook button or a media key: answers the ringing call at
    // the PC, or hangs up the talked one.
    void OnHookButton(HookPress press = HookPress::Toggle);
    // Reads the headset's buttons and media keys where the line can talk at
    // the PC, and lets go of them elsewhere (after the device kind changed).
    void WatchHookButtons(const InputFolders& folders = {});
    CHookButtons& HookButtons() { return m_hookButtons; }
    IGreetingLine* GreetingLine() { return m_pWorker ? m_pWorker->GreetingLine() : nullptr; }
    // The worker, for the windows that follow its runs (null before AttachWorker).
    IAppWorker* Worker() { return m_pWorker; }
    // The engine's call-state flags now (all clear before AttachWorker).
    CallFlags CallFlagsNow() const {
        return m_pWorker ? m_pWorker->CallState().Flags() : CallFlags{};
    }
    void SetGreetingFile(const std::string& sFile) { m_pWorker->SetGreetingFile(sFile); }
    void PostQuit();
    // "&Disable" and the tray's middle click: step the monitoring state.
    void StepMonitoring() { OnCommand(kCmdDisable); }

    // The tray icon's mouse buttons (the menu is the tray's own business).
    enum class TrayClick { Left, Double, Middle };
    void OnTrayClick(TrayClick click);
    // The desktop's double-click time, which the single click waits out.
    void SetDoubleClickTime(unsigned ms) { m_nDoubleClickMs = ms; }
    // The picture the tray shows now (526 until the first tick).
    int TrayIconId() const { return m_nTrayIconId; }
    // Timer 3 runs only while the tray has something to follow: a click
    // being timed, a call, a recording, a play. Anything that may change the
    // picture (a command, the worker reporting a call) wakes it here; it
    // stops itself once the picture is settled and nothing is going on.
    void WakeTray();
    bool IsQuitPosted() const { return m_bQuitPosted; }

    // The tray menu's screening items and the tooltip's note, now.
    TrayScreening TrayScreeningNow() const;
    int TrayState() const { return m_nTrayState; }
    const std::string& PlayFile() const { return m_sPlayFile; }
    CUiTimers& Timers() { return m_timers; }
    CControlService& Control() { return m_control; }
    const std::vector<std::string>& RasWindows() const { return m_arRASWindows; }
    // Waits of the commands still running as steps (see WaitThen).
    bool HasPendingSteps() const { return !m_steps.empty(); }

    // IExternalControl: the codes of the block and the requests of later starts.
    bool IsMonitoring() override;
    std::string DeviceUnavailable() override;
    void SetMonitoring(bool bOn) override;
    bool IsCallActive() override;
    void StartRecording() override;
    void StopCall() override;
    CallerFields GetCallerFields() override;
    void SetCallerFields(const CallerFields& fields) override;
    std::string GetCurrentFile() override;
    void PlayFile(const std::string& sFile) override;
    void StopRecording() override;
    void SetCurrentFile(const std::string& sFile) override;
    void Exit() override;
    void Dial(const std::string& sNumber, bool bSpeak) override;
    void StartSpeakTimer(unsigned nMilliseconds) override;
    DiagnosticsProgress Diagnostics(bool bStart) override;
    TalkOutcome Talk(TalkRequest r) override;
    ScreeningReply PutOnList(const std::string& sNumber, ContactList list) override;
    ScreeningReply PauseScreening(bool bPaused) override;
    bool IsScreeningOn() override;
    // The pop-up's "Add to contacts": a contact with the caller's number and name.
    ScreeningReply AddToContacts(const std::string& sNumber, const std::string& sName);
    void ShowMainWindow() override;
    void Quit() override;

private:
    uint32_t m_nSwitchWaitMs = kMaxSwitchWaitMs;
    // The engine's call state, for the requests (a worker is attached).
    CCallState& Calls() { return m_pWorker->CallState(); }
    void StartTimer(int nId, uint32_t ms);
    void KillTimer(int nId);
    void SetTrayState(int nState);
    // Resumes monitoring when paused.
    void EnsureMonitoring();
    // A wait of a command, run as steps of the window's loop instead of a
    // sleep on it, so the windows stay alive: then() runs once done() holds
    // or maxMs have passed, at once when done() holds already. done() is
    // looked at every kStepTickMs.
    void WaitThen(uint32_t maxMs, std::function<bool()> done, std::function<void()> then);
    // then() after ms.
    void After(uint32_t ms, std::function<void()> then);
    void RunSteps();
    void Configure();
    // "&Configuration...": the options dialog with monitoring paused.
    void OpenOptions();
    void OptionsClosed(std::optional<OptionsValues> chosen);
    void OptionsDone();
    void Record();
    void Answer();
    void GoOnline(int nTrayState = 0);
    void OrderlyExitTick();
    void TrayTick();
    bool TrayNeedsTicks() const;
    void ImmediateExit();
    // Tells the front end what a screening command did; gives it back.
    ScreeningReply Told(ScreeningReply reply);

    IAppFrontEnd& m_frontEnd;
    IAppWorker* m_pWorker = nullptr;
    CMqttService* m_pMqtt = nullptr;
    CWebService* m_pWeb = nullptr;
    CControlService m_control;
    CHookButtons m_hookButtons;
    CUiTimers m_timers;
    std::atomic<bool> m_bQuitPosted{false};
    bool m_bCreated = false;

    struct Step {
        std::function<bool()> done;
        uint32_t deadline;
        std::function<void()> then;
    };
    std::list<Step> m_steps;
    // A set-up request or an exit already waiting is not started twice.
    bool m_bConfiguring = false;
    bool m_bExiting = false;
    // The options dialog is being served (from the request to the resume).
    bool m_bOptionsOpen = false;
    bool m_bOptionsWasRunning = false;

    std::vector<std::string> m_arRASWindows;
    bool m_bUseWindowSchedule = true;
    int m_nTrayState = 0;
    int m_nSavedTrayState = 0;
    std::string m_sPlayFile;
    int m_nTrayIconId = kTrayPicCreated;
    CTrayClicks m_trayClicks;
    // The slider's volume (m_iVolume) and the two mutes: the phone's
    // playback, the talk's microphone (off at the start of each talk).
    int m_nVolume = 100;
    bool m_bPlaybackMute = false;
    bool m_bTalkMute = false;
    unsigned m_nDoubleClickMs = 500;
};
