// The desktop program's front end: the core's windows (IAppFrontEnd) and
// the UI side of the worker's bridge (IUiBridge, reached only through
// CQueuedUiBridge, so every call here runs on the UI thread).
#pragma once

#include "app/AppFrontEnd.h"
#include "app/ServiceCallLog.h"
#include "calllog/CallLog.h"
#include "dialogs/AboutBox.h"
#include "engine/CallEvents.h"
#include "engine/UiBridge.h"
#include "frontend/QueuedUiBridge.h"
#include "main/MainDlg.h"
#include "options/OptionsTreeDlg.h"
#include "popup/CallNotifier.h"
#include "wizard/MyPropertySheet.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class CContactsDlg;
class CCoreLoop;
class CDiagnosticsDlg;
class CTrayIcon;
class CWebService;

class CTapiProviders;

class CQtFrontEnd : public QObject,
                    public IAppFrontEnd,
                    public IUiBridge,
                    public IMainDlgHost,
                    public ICallLogListener {
    Q_OBJECT
public:
    // kind: how incoming calls are announced (CCallNotifier::KindFor).
    explicit CQtFrontEnd(CCallNotifier::Kind notifierKind, QObject* parent = nullptr);
    ~CQtFrontEnd() override;

    // What the worker talks to: queues every call to this object.
    IUiBridge& WorkerBridge() { return m_queued; }

    // The core's hidden window, once start-up made it; the windows' buttons
    // and the notice send it their commands.
    void AttachWindow(CBasicWindow* pWindow) { m_pWindow = pWindow; }
    // The program's telephony providers, whose lines the options and the
    // set-up wizard list; none until set.
    void SetTelephonyProviders(const CTapiProviders* pProviders) { m_pProviders = pProviders; }

    CMainDlg* MainDlg() const { return m_pMain.get(); }
    CCallNotifier* Notifier() const { return m_pNotifier.get(); }
    CAboutBox* AboutBox() const { return m_pAbout; }
    CMyPropertySheet* SetupWizard() const { return m_pWizard; }
    COptionsTreeDlg* OptionsDlg() const { return m_pOptions; }
    CCoreLoop* Loop() const { return m_pLoop.get(); }
    CContactsDlg* ContactsDlg() const;

    // A terminating signal: the orderly exit, once (a recording in progress
    // ends first, the modem is released, the settings saved).
    void LeaveInOrder();

    // IAppFrontEnd
    void Message(const std::string& text) override;
    void ShowMainWindow(bool bShow) override;
    void TrayStateChanged(int nState) override;
    void TrayTick() override;
    void StartMainRefresh(unsigned ms) override;
    void SaveMainWindowState() override;
    CallerFields GetCallerFields() override;
    void SetCallerFields(const CallerFields& fields) override;
    bool OnWindowCommand(int nId) override;
    bool ShowOptions(const OptionsValues& values,
                     std::function<void(std::optional<OptionsValues>)> onClose) override;
    void DataPathChanged(const std::string& sDataPath) override;
    void Beep() override;
    void RunMessageLoop(CBasicWindow& window) override;
    void TimersChanged() override;
    void WatchedChanged() override;
    void QuitPosted() override;
    void ScreeningChanged(const std::string& text) override;

    // IUiBridge, on the UI thread
    void SetStatusText(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void CallerChanged(const CallerDisplay& caller) override;
    void UpdateCurrentCall(bool bFinished) override;
    void ClearLastPlayed() override;
    void SetCallListFilter(const std::string& text) override;
    void SetTrayTooltip(const std::string& text) override;
    void StartTimer(UiTimer timer, uint32_t ms) override;
    void StopTimer(UiTimer timer) override;
    void ActivateMainWindow() override;
    void ShowPopup() override;
    void SetCallBusy(bool bBusy) override;
    void SetHandsetRecording(bool) override {}
    void AppendToneKey(char key) override;
    void MonitoringChanged(bool bPaused) override;
    void ShowMessage(int stringId, MessageIcon icon) override;
    void AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) override;
    void RunSetupWizard(const SetupWizardStart& start,
                        std::function<void(const SetupWizardResult&)> onDone) override;
    void RestartForNewSettings(int stringId) override;
    void ShowMessageText(const std::string& text, MessageIcon icon) override;
    void AskYesNoText(const std::string& text, bool bDefaultYes,
                      std::function<void(bool)> onAnswer) override;
    void PortScanDone() override;

    // IMainDlgHost
    void Command(int nId) override;
    std::string CurrentFile() override;
    void PlayToLine(const std::string& sFile) override;
    void Dial(const std::string& sNumber) override;
    void VolumeChosen(int nPercent) override;
    bool ToggleMute() override;
    bool IsMuted() override;
    bool IsTalking() override;
    TalkButton TalkButtonNow() override;
    CCallState* CallState() override;
    CCallLog* CallLog() override;

    // ICallLogListener: the main window's list follows, on this thread.
    void CallLogChanged(const CallLogChange& change) override;

private:
    // The main window's record button: starts a recording, or stops the
    // one that runs.
    void ToggleRecording();
    void RefreshCaller();
    // The call's record was written (a recording begun or stored, or the
    // caller's fields): the main window's fields and title follow.
    void CallUpdated();
    // One of the worker's call events, on this thread.
    void OnCallEvent(const CallEvent& event);
    void SetUpTray(CBasicWindow& window);
    void WakeTray();
    // "Record &Greeting...": the greeting recorder, modal.
    void RecordGreeting();
    // "D&iagnostics...": the diagnostics window, one at a time.
    void ShowDiagnostics();
    // "C&ontacts...": the contacts window, one at a time.
    void ShowContacts();

    CQueuedUiBridge m_queued;
    CBasicWindow* m_pWindow = nullptr;
    const CTapiProviders* m_pProviders = nullptr;
    std::unique_ptr<CMainDlg> m_pMain;
    std::unique_ptr<CCallNotifier> m_pNotifier;
    // The line's port that cannot be opened, goes away or comes back, told
    // on the status line once per change, in the words of the service's log.
    CServiceCallLog m_deviceTold{[this](const std::string& text) { SetStatusText(text); }};
    std::unique_ptr<CTrayIcon> m_pTray;
    std::unique_ptr<CCoreLoop> m_pLoop;
    // The web page, while the loop runs and [Web] bEnable is on.
    std::unique_ptr<CWebService> m_pWeb;
    QPointer<CAboutBox> m_pAbout;
    QPointer<CMyPropertySheet> m_pWizard;
    QPointer<CDiagnosticsDlg> m_pDiagnostics;
    QPointer<CContactsDlg> m_pContacts;
    QPointer<COptionsTreeDlg> m_pOptions;
    QTimer m_handsetTimer; // the main window's timer 3
    bool m_bLeaving = false;
};
