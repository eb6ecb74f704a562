#include "app/DaemonFrontEnd.h"

#include "app/AppWorker.h"
#include "app/BasicWindow.h"
#include "app/Brand.h"
#include "app/CurrentCaller.h"
#include "app/WebService.h"
#include "platform/ProgramFolder.h"

#include <pthread.h>

namespace {
volatile std::sig_atomic_t g_nExitSignal = 0;

extern "C" void OnExitSignal(int) {
    g_nExitSignal = 1;
}

// The loop's longest sleep. The exit signals reach only the loop's thread,
// where they break its wait at once; this bound only matters for a signal
// that lands between the loop's look at the flag and its wait.
constexpr int kLoopWaitMs = 5000;

sigset_t ExitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}
} // namespace

// What a window would show (title, timers, the caller fields) stays out of
// the log; the call log tells each call instead.
CDaemonFrontEnd::CDaemonFrontEnd(LineSink sink)
    : CLoggingUiBridge(sink, false), m_lineSink(sink), m_callLog(sink) {}

void CDaemonFrontEnd::InstallSignalHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnExitSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    // Blocked here, before any thread is made, so every thread inherits the
    // block; the message loop lets them in on its own thread only, so they
    // wake it rather than a worker, and the loop need not look every 100 ms.
    const sigset_t exitSignals = ExitSignals();
    pthread_sigmask(SIG_BLOCK, &exitSignals, nullptr);
    // A control client that goes away before its reply must not end us.
    signal(SIGPIPE, SIG_IGN);
    // Nor a file-size limit: a recording that reaches it ends with an error
    // it tells, like one on a full disk.
    signal(SIGXFSZ, SIG_IGN);
}

bool CDaemonFrontEnd::TakeExitSignal() {
    if (!g_nExitSignal)
        return false;
    g_nExitSignal = 0;
    return true;
}

void CDaemonFrontEnd::RaiseExitSignal() {
    g_nExitSignal = 1;
}

void CDaemonFrontEnd::AttachWorker(IAppWorker* pWorker) {
    m_pWorker = pWorker;
    if (CCallEventPublisher* events = pWorker ? pWorker->CallEvents() : nullptr)
        events->Subscribe("service log",
                          [this](const CallEvent& event) { m_callLog.OnEvent(event); });
}

void CDaemonFrontEnd::LogLine(const std::string& text) {
    if (m_lineSink)
        m_lineSink(LogEscape(text));
}

void CDaemonFrontEnd::Message(const std::string& text) {
    LogLine(text);
}

void CDaemonFrontEnd::ShowMainWindow(bool) {
    // The first call is start-up making the main window; there is none here.
    // Later ones come from a later start, which only leaves a trace.
    if (!m_bStarted) {
        m_bStarted = true;
        const std::string& title = AppBrand().sTitle;
        LogLine((title.empty() ? "" : title + " ") + "started; program folder " +
                GetProgramFolder());
        return;
    }
    LogLine("main window requested (none in the service)");
}

void CDaemonFrontEnd::TrayStateChanged(int nState) {
    LogLine(nState == 4 ? "monitoring paused"
                        : "monitoring on (state " + std::to_string(nState) + ")");
}

void CDaemonFrontEnd::StartMainRefresh(unsigned) {}

CallerFields CDaemonFrontEnd::GetCallerFields() {
    IAppWorker* pWorker = m_pWorker;
    return pWorker ? CurrentCallerFields(pWorker->CallState()) : CallerFields{};
}

void CDaemonFrontEnd::SetCallerFields(const CallerFields& fields) {
    if (IAppWorker* pWorker = m_pWorker)
        SetCurrentCallerFields(pWorker->CallState(), fields);
    LogLine("caller set from outside: " + fields.sName + " [" + fields.sNumber + "]");
}

bool CDaemonFrontEnd::OnWindowCommand(int nId) {
    LogLine("command " + std::to_string(nId) + " needs a window; ignored by the service");
    return false;
}

void CDaemonFrontEnd::RunMessageLoop(CBasicWindow& window) {
    const sigset_t exitSignals = ExitSignals();
    pthread_sigmask(SIG_UNBLOCK, &exitSignals, nullptr);
    bool exitStarted = false;
    // The web page, when switched on, serves for as long as the loop runs.
    CWebService web(window, [this](const std::string& line) { LogLine(line); });
    web.Start();
    while (!window.IsQuitPosted()) {
        if (TakeExitSignal() && !exitStarted) {
            LogLine("terminating signal: leaving in order");
            exitStarted = true;
            window.OnCommand(kCmdAppExit);
        }
        window.ProcessEvents(kLoopWaitMs);
    }
}

void CDaemonFrontEnd::StartTimer(UiTimer timer, uint32_t ms) {
    CLoggingUiBridge::StartTimer(timer, ms);
    if (timer == UiTimer::MainCallRefresh)
        if (IAppWorker* pWorker = m_pWorker.load())
            pWorker->RequestHandsetFlag(false, ms);
}

void CDaemonFrontEnd::StopTimer(UiTimer timer) {
    CLoggingUiBridge::StopTimer(timer);
    if (timer == UiTimer::MainCallRefresh)
        if (IAppWorker* pWorker = m_pWorker.load())
            pWorker->CancelHandsetFlag();
}

// The desktop program runs its set-up after a scan; the service's set-up is
// reopening the port with the settings as they stand, which the scan's own
// open has just done.
void CDaemonFrontEnd::PortScanDone() {
    LogLine("port scan finished");
}
