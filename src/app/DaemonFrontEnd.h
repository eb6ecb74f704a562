// The front end of the headless service: no windows. Messages and the
// worker's call events become log lines (each call and the device's port
// told step by step, see ServiceCallLog.h), questions take their default answer,
// the main window's caller fields are the current call's, and the message
// loop serves the control socket and the timers until it is told to quit.
// SIGTERM and SIGINT take the orderly exit path.
#pragma once

#include "app/AppFrontEnd.h"
#include "app/ServiceCallLog.h"
#include "engine/LoggingUiBridge.h"

#include <atomic>
#include <csignal>

class IAppWorker;

class CDaemonFrontEnd : public IAppFrontEnd, public CLoggingUiBridge {
public:
    explicit CDaemonFrontEnd(LineSink sink);

    // Installs the SIGTERM/SIGINT handlers (and ignores SIGPIPE and SIGXFSZ).
    static void InstallSignalHandlers();
    // A terminating signal arrived and its exit has not been started yet.
    static bool TakeExitSignal();
    // For tests: as if a terminating signal had arrived.
    static void RaiseExitSignal();
    // The worker the main window's timers would ask (none: they only log);
    // its call events are told in the log.
    void AttachWorker(IAppWorker* pWorker);

    // IAppFrontEnd
    void Message(const std::string& text) override;
    void ShowMainWindow(bool bShow) override;
    void TrayStateChanged(int nState) override;
    void StartMainRefresh(unsigned ms) override;
    CallerFields GetCallerFields() override;
    void SetCallerFields(const CallerFields& fields) override;
    bool OnWindowCommand(int nId) override;
    void RunMessageLoop(CBasicWindow& window) override;
    void Note(const std::string& text) override { LogLine(text); }

    // IUiBridge. Timer 3, the handset flag of a call offered without a ring: with no
    // window there is never a stop pending, and the worker waits out the
    // period itself (these calls come on its thread).
    void StartTimer(UiTimer timer, uint32_t ms) override;
    void StopTimer(UiTimer timer) override;
    void PortScanDone() override;

private:
    void LogLine(const std::string& text);
    LineSink m_lineSink;
    CServiceCallLog m_callLog;
    bool m_bStarted = false;
    std::atomic<IAppWorker*> m_pWorker{nullptr};
};
