#include "frontend/QtFrontEnd.h"

#include "app/AppWorker.h"
#include "app/BasicWindow.h"
#include "app/CurrentCaller.h"
#include "app/HelpManual.h"
#include "app/WebService.h"
#include "audio/SoundBackend.h"
#include "config/SettingsProvider.h"
#include "dialogs/AboutBox.h"
#include "dialogs/ContactsDlg.h"
#include "dialogs/DiagnosticsDlg.h"
#include "dialogs/RecGreetDlg.h"
#include "dialogs/UnbuiltWindows.h"
#include "engine/CallState.h"
#include "frontend/CoreLoop.h"
#include "frontend/MessageBoxes.h"
#include "main/CallerPanel.h"
#include "options/OptionsTreeDlg.h"
#include "platform/Strings.h"
#include "popup/NotifyDlg.h"
#include "tray/TrayIcon.h"
#include "wizard/MyPropertySheet.h"

#include <QApplication>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr const char* kNoTrayText = QT_TRANSLATE_NOOP(
    "CQtFrontEnd", "This desktop has no notification area, so Vorella shows its window instead.\n\n"
                   "Closing the window keeps Vorella watching the line; Exit in its menu ends it.");
} // namespace

CQtFrontEnd::CQtFrontEnd(CCallNotifier::Kind notifierKind, QObject* parent)
    : QObject(parent), m_queued(*this, this),
      m_pNotifier(std::make_unique<CCallNotifier>(notifierKind)) {
    connect(m_pNotifier.get(), &CCallNotifier::showMainRequested, this, [this] {
        if (m_pWindow)
            m_pWindow->ShowMainWindow();
    });
    connect(m_pNotifier.get(), &CCallNotifier::recordRequested, this,
            &CQtFrontEnd::ToggleRecording);
    connect(m_pNotifier.get(), &CCallNotifier::answerRequested, this,
            [this] { Command(kCmdTalk); });
    connect(m_pNotifier.get(), &CCallNotifier::blockRequested, this, [this](const QString& n) {
        if (m_pWindow)
            m_pWindow->PutOnList(n.toStdString(), ContactList::Block);
    });
    connect(m_pNotifier.get(), &CCallNotifier::permitRequested, this, [this](const QString& n) {
        if (m_pWindow)
            m_pWindow->PutOnList(n.toStdString(), ContactList::Permit);
    });
    connect(m_pNotifier.get(), &CCallNotifier::addContactRequested, this,
            [this](const QString& number, const QString& name) {
                if (m_pWindow)
                    m_pWindow->AddToContacts(number.toStdString(), name.toStdString());
            });
    // Timer 3: the worker sets or clears the handset flag itself, between
    // two of its steps; this thread never touches the device.
    m_handsetTimer.setSingleShot(true);
    connect(&m_handsetTimer, &QTimer::timeout, this, [this] {
        if (m_pWindow && m_pWindow->Worker())
            m_pWindow->Worker()->RequestHandsetFlag(m_pMain && m_pMain->IsStopPending(), 0);
    });
}

CQtFrontEnd::~CQtFrontEnd() = default;

void CQtFrontEnd::Command(int nId) {
    if (m_pWindow)
        m_pWindow->OnCommand(nId);
}

std::string CQtFrontEnd::CurrentFile() {
    return m_pWindow ? m_pWindow->GetCurrentFile() : std::string();
}

CCallLog* CQtFrontEnd::CallLog() {
    return m_pWindow && m_pWindow->Worker() ? &m_pWindow->Worker()->CallLog() : nullptr;
}

void CQtFrontEnd::CallLogChanged(const CallLogChange& change) {
    // Told on the writer's thread, often the worker's.
    QMetaObject::invokeMethod(
        this,
        [this, change] {
            if (m_pMain)
                m_pMain->CallLogChanged(change);
        },
        Qt::QueuedConnection);
}

void CQtFrontEnd::PlayToLine(const std::string& sFile) {
    if (m_pWindow)
        m_pWindow->PlayFile(sFile);
}

void CQtFrontEnd::Dial(const std::string& sNumber) {
    if (m_pWindow)
        m_pWindow->Dial(sNumber, false);
}

void CQtFrontEnd::VolumeChosen(int nPercent) {
    if (m_pWindow)
        m_pWindow->SetPlaybackVolume(nPercent);
}

CCallState* CQtFrontEnd::CallState() {
    IAppWorker* pWorker = m_pWindow ? m_pWindow->Worker() : nullptr;
    return pWorker ? &pWorker->CallState() : nullptr;
}

bool CQtFrontEnd::ToggleMute() {
    return m_pWindow && m_pWindow->ToggleMute();
}

bool CQtFrontEnd::IsMuted() {
    return m_pWindow && m_pWindow->IsMuted();
}

bool CQtFrontEnd::IsTalking() {
    return m_pWindow && m_pWindow->IsTalking();
}

TalkButton CQtFrontEnd::TalkButtonNow() {
    return m_pWindow ? m_pWindow->TalkButtonNow() : TalkButton{};
}

void CQtFrontEnd::LeaveInOrder() {
    if (m_bLeaving || !m_pWindow)
        return;
    m_bLeaving = true;
    Command(kCmdAppExit);
}

// The worker reported something about the call: the tray's picture follows.
void CQtFrontEnd::WakeTray() {
    if (m_pWindow)
        m_pWindow->WakeTray();
}

// The pop-up's button is the main window's record button: it stops a
// recording, or asks for one, or for the answering machine with "&L" on.
void CQtFrontEnd::ToggleRecording() {
    if (m_pMain)
        m_pMain->OnCommand(kCmdRecord);
    else
        Command(m_pWindow && m_pWindow->CallFlagsNow().bRecording ? kCmdStopRecording : kCmdRecord);
}

// IAppFrontEnd

void CQtFrontEnd::Message(const std::string& text) {
    OpenMessageBox(m_pMain && m_pMain->isVisible() ? m_pMain.get() : nullptr, text);
}

void CQtFrontEnd::ShowMainWindow(bool bShow) {
    if (!m_pMain) {
        // The first call is the start-up's: the saved placement and state
        // decide how the window comes up.
        m_pMain = std::make_unique<CMainDlg>(*this);
        m_pMain->ApplyStartPlacement(bShow);
        return;
    }
    if (!bShow)
        return;
    if (m_pMain->isMinimized())
        m_pMain->showNormal();
    m_pMain->show();
    m_pMain->raise();
    m_pMain->activateWindow();
}

void CQtFrontEnd::TrayStateChanged(int nState) {
    if (m_pTray)
        m_pTray->SetState(nState);
}

void CQtFrontEnd::TrayTick() {
    if (m_pTray)
        m_pTray->Tick();
}

void CQtFrontEnd::StartMainRefresh(unsigned ms) {
    if (m_pMain)
        m_pMain->StartStopTimer(static_cast<int>(ms));
}

void CQtFrontEnd::SaveMainWindowState() {
    if (m_pMain)
        m_pMain->SaveState();
}

CallerFields CQtFrontEnd::GetCallerFields() {
    const CCallState* pState = CallState();
    return pState ? CurrentCallerFields(*pState) : CallerFields{};
}

void CQtFrontEnd::SetCallerFields(const CallerFields& fields) {
    if (CCallState* pState = CallState())
        SetCurrentCallerFields(*pState, fields);
    RefreshCaller();
}

bool CQtFrontEnd::OnWindowCommand(int nId) {
    if (nId == kCmdAbout) {
        if (!m_pAbout) {
            m_pAbout = new CAboutBox;
            m_pAbout->setAttribute(Qt::WA_DeleteOnClose);
        }
        m_pAbout->show();
        m_pAbout->raise();
        m_pAbout->activateWindow();
        return true;
    }
    if (nId == kCmdRecordGreeting) {
        RecordGreeting();
        return true;
    }
    if (nId == kCmdPlay) {
        // The tray's "&Play" is the main window's: its recording, through the line.
        if (m_pMain)
            m_pMain->OnCommand(kCmdPlay);
        return true;
    }
    if (nId == kCmdHelp) {
        if (const std::string error = OpenManualPage("index.html"); !error.empty())
            OpenMessageBox(nullptr, error, MessageIcon::Information);
        return true;
    }
    if (nId == kCmdDiagnostics) {
        ShowDiagnostics();
        return true;
    }
    if (nId == kCmdContacts) {
        ShowContacts();
        return true;
    }
    if (const char* text = UnbuiltWindowMessage(nId)) {
        OpenMessageBox(nullptr, QCoreApplication::translate("UnbuiltWindows", text).toStdString(),
                       MessageIcon::Information);
        return true;
    }
    return false;
}

void CQtFrontEnd::ShowDiagnostics() {
    if (!m_pDiagnostics) {
        if (!m_pWindow || !m_pWindow->Worker())
            return;
        QWidget* parent = m_pMain && m_pMain->isVisible() ? m_pMain.get() : nullptr;
        m_pDiagnostics = new CDiagnosticsDlg(*m_pWindow->Worker(), parent);
        m_pDiagnostics->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pDiagnostics->show();
    m_pDiagnostics->raise();
    m_pDiagnostics->activateWindow();
}

CContactsDlg* CQtFrontEnd::ContactsDlg() const {
    return m_pContacts;
}

void CQtFrontEnd::ShowContacts() {
    if (!m_pContacts) {
        QWidget* parent = m_pMain && m_pMain->isVisible() ? m_pMain.get() : nullptr;
        m_pContacts = new CContactsDlg(ContactsPlaceFromSettings(), parent);
        m_pContacts->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pContacts->show();
    m_pContacts->raise();
    m_pContacts->activateWindow();
}

bool CQtFrontEnd::ShowOptions(const OptionsValues& values,
                              std::function<void(std::optional<OptionsValues>)> onClose) {
    QWidget* parent = m_pMain && m_pMain->isVisible() ? m_pMain.get() : nullptr;
    auto* dlg =
        new COptionsTreeDlg(values, GetSoundBackend(),
                            m_pWindow ? m_pWindow->GreetingLine() : nullptr, m_pProviders, parent);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    m_pOptions = dlg;
    connect(dlg, &QDialog::finished, this, [dlg, onClose = std::move(onClose)](int result) {
        onClose(result == QDialog::Accepted ? std::optional(dlg->Values()) : std::nullopt);
    });
    dlg->open();
    dlg->raise();
    dlg->activateWindow();
    return true;
}

void CQtFrontEnd::DataPathChanged(const std::string&) {
    if (m_pMain)
        m_pMain->DataFolderChanged();
}

void CQtFrontEnd::Beep() {
    QApplication::beep();
}

void CQtFrontEnd::RecordGreeting() {
    if (!m_pWindow)
        return;
    ISettingsProvider& settings = SettingsProvider();
    CGreetingRecorder::Setup setup;
    setup.sFile = settings.GetString("sWaveGreet");
    setup.nMaxRecordMs = static_cast<uint32_t>(settings.GetInt("dwInactiveTimer"));
    QWidget* parent = m_pMain && m_pMain->isVisible() ? m_pMain.get() : nullptr;
    CRecGreetDlg dlg(GetSoundBackend(), m_pWindow->GreetingLine(), setup, parent);
    if (dlg.exec() != QDialog::Accepted || !m_pWindow)
        return;
    // The worker owns the setting: it takes the file and saves it.
    m_pWindow->SetGreetingFile(dlg.FileName());
}

void CQtFrontEnd::SetUpTray(CBasicWindow& window) {
    m_pTray = std::make_unique<CTrayIcon>(window);
    // A panel that comes later (the desktop still starting) gets the icon.
    connect(m_pTray.get(), &CTrayIcon::availabilityChanged, this, [this](bool bAvailable) {
        if (bAvailable && m_pTray->ShownPicture() == 0)
            m_pTray->Show();
    });
    if (m_pTray->IsAvailable()) {
        m_pTray->Show();
        return;
    }
    // Without a notification area the window is the only way in.
    ShowMainWindow(true);
    OpenMessageBox(m_pMain.get(), tr(kNoTrayText).toStdString(), MessageIcon::Information);
}

void CQtFrontEnd::RunMessageLoop(CBasicWindow& window) {
    m_pWindow = &window;
    // Closing the last window hides it; only the exit commands end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    SetUpTray(window);
    m_pLoop = std::make_unique<CCoreLoop>(window);
    CCallLog* log = CallLog();
    if (log)
        log->AddListener(*this);
    // The worker's call events come on a thread of their own; the window
    // takes them on this one.
    IAppWorker* pWorker = window.Worker();
    CCallEventPublisher* events = pWorker ? pWorker->CallEvents() : nullptr;
    const int nEvents = events
                            ? events->Subscribe("desktop",
                                                [this](const CallEvent& event) {
                                                    QMetaObject::invokeMethod(
                                                        this, [this, event] { OnCallEvent(event); },
                                                        Qt::QueuedConnection);
                                                })
                            : 0;
    // The web page, when switched on; whether it runs or why not is shown
    // in the status line and the log.
    m_pWeb = std::make_unique<CWebService>(window, [this](const std::string& line) {
        Note(line);
        SetStatusText(line);
    });
    m_pWeb->Start();
    window.AttachWeb(m_pWeb.get());
    WatchedChanged();
    if (!window.IsQuitPosted())
        QApplication::exec();
    window.AttachWeb(nullptr);
    m_pWeb.reset();
    WatchedChanged();
    if (events)
        events->Unsubscribe(nEvents);
    if (log)
        log->RemoveListener(*this);
    // The worker may still report while the shutdown waits for it; nothing
    // of that is shown any more.
    m_pNotifier->Close();
    if (m_pMain)
        m_pMain->hide();
    m_pLoop.reset();
}

void CQtFrontEnd::TimersChanged() {
    if (m_pLoop)
        m_pLoop->Rearm();
}

void CQtFrontEnd::WatchedChanged() {
    if (m_pLoop)
        m_pLoop->WatchSockets();
}

void CQtFrontEnd::QuitPosted() {
    QApplication::exit(0);
}

// IUiBridge

void CQtFrontEnd::SetStatusText(const std::string& text) {
    WakeTray();
    if (m_pMain)
        m_pMain->SetStatusText(Q(text));
}

void CQtFrontEnd::SetWindowTitle(const std::string& title) {
    if (m_pMain)
        m_pMain->setWindowTitle(Q(title));
}

void CQtFrontEnd::RefreshCaller() {
    const CallerFields caller = GetCallerFields();
    if (m_pMain)
        m_pMain->SetCaller(caller.sName, caller.sNumber, caller.sText);
}

void CQtFrontEnd::CallerChanged(const CallerDisplay& caller) {
    WakeTray();
    if (m_pMain)
        m_pMain->SetCaller(caller.sName, caller.sNumber, caller.sMemo);
    m_pNotifier->SetCaller(Q(caller.sName), Q(caller.sNumber));
}

void CQtFrontEnd::UpdateCurrentCall(bool) {
    CallUpdated();
}

void CQtFrontEnd::OnCallEvent(const CallEvent& event) {
    if (std::holds_alternative<RecordingStarted>(event) ||
        std::holds_alternative<RecordingStored>(event))
        CallUpdated();
    else if (std::holds_alternative<LineLost>(event) || std::holds_alternative<LineBack>(event))
        m_deviceTold.OnEvent(event);
}

void CQtFrontEnd::CallUpdated() {
    WakeTray();
    // The worker has written the call's record already (from its thread).
    if (m_pMain)
        m_pMain->WorkerUpdatedCall();
}

void CQtFrontEnd::ClearLastPlayed() {
    if (m_pMain)
        m_pMain->ForgetWorkerFile();
}

void CQtFrontEnd::SetCallBusy(bool bBusy) {
    if (m_pMain)
        m_pMain->Caller()->SetCallBusy(bBusy);
}

void CQtFrontEnd::AppendToneKey(char key) {
    if (m_pMain)
        m_pMain->Caller()->AppendToneKey(key);
}

void CQtFrontEnd::SetCallListFilter(const std::string& text) {
    if (m_pMain)
        m_pMain->SetSearchText(text);
}

void CQtFrontEnd::SetTrayTooltip(const std::string& text) {
    WakeTray();
    if (m_pTray)
        m_pTray->SetTooltip(text);
}

void CQtFrontEnd::StartTimer(UiTimer timer, uint32_t ms) {
    switch (timer) {
    case UiTimer::PopupClose:
        m_pNotifier->RestartCloseTimer(static_cast<int>(ms));
        break;
    case UiTimer::MainCallRefresh:
        RefreshCaller();
        m_handsetTimer.start(static_cast<int>(ms));
        break;
    case UiTimer::MainPlayRefresh:
        StartMainRefresh(ms);
        break;
    case UiTimer::OrderlyExit:
        Command(kCmdAppExit);
        break;
    }
}

void CQtFrontEnd::StopTimer(UiTimer timer) {
    switch (timer) {
    case UiTimer::PopupClose:
        m_pNotifier->Close();
        break;
    case UiTimer::MainCallRefresh:
        m_handsetTimer.stop();
        break;
    case UiTimer::MainPlayRefresh:
        break;
    case UiTimer::OrderlyExit:
        break;
    }
}

void CQtFrontEnd::ActivateMainWindow() {
    if (m_pMain && m_pMain->isVisible()) {
        m_pMain->raise();
        m_pMain->activateWindow();
    }
}

void CQtFrontEnd::ShowPopup() {
    WakeTray();
    const TalkButton answer = m_pWindow ? m_pWindow->TalkButtonNow() : TalkButton{};
    m_pNotifier->SetAnswer(answer.bShown, answer.bEnabled);
    m_pNotifier->ShowCall(CNotifyDlg::kCloseMs);
}

void CQtFrontEnd::ScreeningChanged(const std::string& text) {
    Note(text);
    SetStatusText(text);
    if (m_pTray)
        m_pTray->ScreeningChanged();
}

void CQtFrontEnd::MonitoringChanged(bool bPaused) {
    WakeTray();
    if (m_pMain)
        m_pMain->SetStatusText(bPaused ? tr("Monitoring paused") : QString::fromUtf8(LoadStr(109)));
}

void CQtFrontEnd::ShowMessage(int stringId, MessageIcon icon) {
    OpenMessageBox(nullptr, LoadStr(stringId), icon);
}

void CQtFrontEnd::AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) {
    OpenYesNoBox(nullptr, LoadStr(stringId), bDefaultYes, std::move(onAnswer));
}

void CQtFrontEnd::RunSetupWizard(const SetupWizardStart& start,
                                 std::function<void(const SetupWizardResult&)> onDone) {
    // The worker asks once per set-up; a wizard still open is the answer.
    if (m_pWizard) {
        m_pWizard->raise();
        m_pWizard->activateWindow();
        return;
    }
    // The detection's questions reach the user the way the worker's do.
    m_pWizard = new CMyPropertySheet(start, m_queued, m_pProviders);
    m_pWizard->setAttribute(Qt::WA_DeleteOnClose);
    CMyPropertySheet* sheet = m_pWizard;
    connect(sheet, &QDialog::finished, this,
            [sheet, onDone = std::move(onDone)](int) { onDone(sheet->Result()); });
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

void CQtFrontEnd::RestartForNewSettings(int stringId) {
    QMessageBox* box = OpenMessageBox(nullptr, LoadStr(stringId), MessageIcon::Information);
    connect(box, &QMessageBox::finished, this, [this] { Command(kCmdRestart); });
}

void CQtFrontEnd::ShowMessageText(const std::string& text, MessageIcon icon) {
    OpenMessageBox(nullptr, text, icon);
}

void CQtFrontEnd::AskYesNoText(const std::string& text, bool bDefaultYes,
                               std::function<void(bool)> onAnswer) {
    OpenYesNoBox(nullptr, text, bDefaultYes, std::move(onAnswer));
}

// The tray call-back 32002 of the port scan: the set-up runs again.
void CQtFrontEnd::PortScanDone() {
    if (m_pWindow)
        m_pWindow->OnCommand(kCmdConfigure);
}
