#include "app/App.h"

#include "app/AppState.h"
#include "app/Brand.h"
#include "app/MqttService.h"
#include "config/DataFolder.h"
#include "config/SettingsProvider.h"
#include "engine/CallState.h"
#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "platform/ProgramFolder.h"
#include "platform/TickCount.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool MakeCallFolder(const std::string& folder, std::string* error) {
    const std::string path = WithTrailingSlash(folder) + "Recorded Calls/";
    if (MakeDirectories(path) && DirectoryExists(path))
        return true;
    if (error)
        *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
}

CTarvo32App::CTarvo32App(IAppFrontEnd& frontEnd, IStartupEnvironment& env, WorkerFactory factory)
    : m_frontEnd(frontEnd), m_env(env), m_factory(std::move(factory)) {}

CTarvo32App::~CTarvo32App() {
    if (m_pWindow)
        m_pWindow->AttachMqtt(nullptr);
    m_pMqtt.reset();
    m_pWindow.reset();
    m_pWorker.reset();
}

int CTarvo32App::InitInstance(int argc, const char* const* argv) {
    m_bEndedEarly = false;
    // 4, first for the words that end this start: the help and "quit" leave
    // the program folder as it is (not even made or seeded).
    const StartupPlan plan = ParseCommandLine(JoinArguments(argc, argv));
    if (plan.word == StartupWord::ShowHelp || plan.word == StartupWord::QuitRunning) {
        ApplyStartupPlan(plan, m_env);
        m_bEndedEarly = true;
        return 0;
    }
    // 1. Relative names (the modem log, the profiles) are the program folder's.
    const std::string programFolder = GetProgramFolder();
    if (::chdir(programFolder.c_str()) != 0) {
        m_frontEnd.Message("Cannot enter the program folder " + programFolder + ": " +
                           std::strerror(errno));
        return 1;
    }
    // 3. The settings file, seeded from the defaults without overwriting.
    SeedSettingsFile();
    // The branding: every message box's caption, the tray tooltip, the About box.
    SetAppBrand(LoadBrand(programFolder + "brand.ini"));

    // 4. The other command-line words.
    if (ApplyStartupPlan(plan, m_env) == StartupOutcome::End) {
        m_bEndedEarly = true;
        return 0;
    }
    if (::chdir(programFolder.c_str()) != 0)
        return 1;
    ::unlink((programFolder + "modem.log").c_str());

    if (!Start(plan))
        return m_bEndedEarly ? 0 : 1;
    // 19. The message loop.
    m_frontEnd.RunMessageLoop(*m_pWindow);
    Shutdown();
    return 0;
}

void CTarvo32App::MatchStartDisabled() {
    if (m_pWorker && m_pWorker->StartDisabled() != m_pWorker->CallState().Flags().bPaused)
        m_pWindow->ToggleMonitoring();
}

bool CTarvo32App::Start(const StartupPlan& plan) {
    ISettingsProvider& settings = SettingsProvider();
    // 5. The window settings.
    g_bFixedFont = settings.GetBool("g_bFixedFont");
    g_bShowMainDlg = settings.GetBool("ShowMainDlg");
    g_bFlashOnNewMsg = settings.GetBool("bFlashOnNewMsg");

    // 6-7. The hidden window, which is also the single instance: whoever
    // holds the control socket. A start that lost the race to another one
    // hands over as the running-instance test would have.
    m_pWorker.reset();
    m_pWindow.reset();
    std::string error;
    const bool copy = plan.word == StartupWord::Go;
    m_pWindow = std::make_unique<CBasicWindow>(m_frontEnd);
    switch (m_pWindow->Create(&error, copy ? m_nCopyWaitMs : 0)) {
    case CControlService::StartResult::Serving:
        break;
    case CControlService::StartResult::AnotherRuns:
        if (!copy) {
            m_env.AskRunningInstance("show");
            m_bEndedEarly = true;
            m_pWindow.reset();
            m_pWorker.reset();
            return false;
        }
        // "copy" starts a second full instance; it cannot take over the
        // running one's control socket, so external control stays there.
        m_frontEnd.Message("Another instance keeps the control socket; this one runs without "
                           "external control.");
        break;
    case CControlService::StartResult::NoBlock:
    case CControlService::StartResult::Failed:
        m_frontEnd.Message("External control is not available: " + error);
        break;
    }
    g_nWindowReady = kWindowReady;

    // 10. The phone object: its constructor loads the settings and the
    // modem profile; nothing opens the modem before the worker runs.
    m_pWorker = m_factory();
    if (!m_pWorker) {
        m_frontEnd.Message("The phone object could not be created.");
        m_pWindow.reset();
        return false;
    }
    m_pWindow->AttachWorker(*m_pWorker);

    // 8-11. The start event is an in-process event that is already set; the
    // window above is ready as soon as it exists.
    for (int i = 0; i < 7000 && g_nWindowReady != kWindowReady; ++i)
        SleepMs(1);

    // 12. The main window (shown only when wanted); it enables external control.
    m_frontEnd.ShowMainWindow(g_bShowMainDlg);
    m_pWindow->EnableExternalControl();
    m_pWindow->WatchHookButtons();

    // 13.
    MatchStartDisabled();
    // No device to open yet: the set-up comes first. A restart after a
    // set-up that left no port comes back paused instead (below), rather
    // than opening the wizard again at every start.
    const bool bSetup = m_pWorker->NeedsSetup();
    if (bSetup && !copy)
        m_pWorker->CallState().RequestReconfigure();
    // 14-15. The worker, with its data path.
    std::string sPath = settings.GetString("sPath");
    m_pWorker->SetDataPath(sPath.empty() ? GetProgramFolder() : WithTrailingSlash(sPath));
    m_pWorker->Start();
    // The call events out to a home-automation broker, when one is set.
    m_pMqtt = std::make_unique<CMqttService>(
        m_pWindow->Control().Server(), *m_pWindow,
        [worker = m_pWorker.get()](const std::string& text) { worker->ReportProblem(text); });
    m_pMqtt->Start(settings, m_pWorker->CallEvents());
    m_pWindow->AttachMqtt(m_pMqtt.get());
    m_frontEnd.WatchedChanged();
    // 16. The state may have changed while the worker started.
    MatchStartDisabled();
    if (bSetup && copy && !m_pWorker->CallState().Flags().bPaused)
        m_pWindow->ToggleMonitoring();
    // 17.
    settings.SetInt("bProperShutdown", 0);
    // 18. The call folders.
    if (!MakeCallFolder(GetDataFolder(), &error))
        m_frontEnd.Message(error);
    if (!sPath.empty() && !MakeCallFolder(sPath, &error))
        m_frontEnd.Message(error);
    return true;
}

void CTarvo32App::Shutdown() {
    // 20. The worker closes the port once it sees the pause.
    m_pWorker->CallState().RequestShutdown();
    m_pWorker->CallState().RequestPause(true);
    for (uint32_t i = 0; i < kPortClosePolls; ++i) {
        if (m_pWorker->IsPortClosed() && !m_pWorker->IsBusy())
            break;
        SleepMs(10);
    }
    // 21. The start event is never reset here, so only the worker's end counts.
    if (!m_pWorker->WaitEnded(kWorkerEndMs))
        m_frontEnd.Message("The worker did not stop in time; leaving without it.");
    // The broker hears the last events and "offline".
    m_pWindow->AttachMqtt(nullptr);
    m_pMqtt.reset();
    m_frontEnd.WatchedChanged();
    // The socket goes before a restart, so the new instance can claim it.
    m_pWindow->Destroy();
    // 22.
    if (g_bRestart) {
        LaunchResult launched = RestartSelf();
        if (launched.status != LaunchStatus::Started)
            m_frontEnd.Message("The restart failed: " + launched.error);
    }
}
