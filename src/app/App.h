// CTarvo32App: the life of the process, from the command line to the restart.
//
// InitInstance() runs the start-up steps in their order (settings seeded,
// command-line words, the hidden window and the single instance, the phone
// object, the main window, the monitoring state, the worker, the call
// folders), the message loop, and the shutdown with its bounded waits.
#pragma once

#include "app/AppFrontEnd.h"
#include "app/AppWorker.h"
#include "app/BasicWindow.h"
#include "app/CommandLine.h"

#include <functional>
#include <memory>
#include <string>

class CMqttService;

class CTarvo32App {
public:
    // Creates the phone object and its worker (not yet started): the phone's
    // constructor loads every setting and the modem profile.
    using WorkerFactory = std::function<std::unique_ptr<IAppWorker>()>;

    // How long a "copy" start waits for a leaving instance's control socket.
    static constexpr uint32_t kCopyWaitMs = 10000;
    // Shutdown: the port closes within 800 polls of 10 ms, the worker ends
    // within 4000 ms; the process ends either way.
    static constexpr uint32_t kPortClosePolls = 800;
    static constexpr uint32_t kWorkerEndMs = 4000;

    CTarvo32App(IAppFrontEnd& frontEnd, IStartupEnvironment& env, WorkerFactory factory);
    ~CTarvo32App();

    // The whole life of the process; returns the exit status of main().
    int InitInstance(int argc, const char* const* argv);

    // Set while the message loop runs (for the front end and tests).
    CBasicWindow* Window() { return m_pWindow.get(); }
    IAppWorker* Worker() { return m_pWorker.get(); }

    // Whether the last InitInstance ended by handing over to a running
    // instance (or by a word like "quit"), without starting.
    bool EndedEarly() const { return m_bEndedEarly; }
    // Tests shorten the wait of a "copy" start.
    void SetCopyWaitMs(uint32_t ms) { m_nCopyWaitMs = ms; }

private:
    bool Start(const StartupPlan& plan);
    void Shutdown();
    void MatchStartDisabled();

    IAppFrontEnd& m_frontEnd;
    IStartupEnvironment& m_env;
    WorkerFactory m_factory;
    std::unique_ptr<IAppWorker> m_pWorker;
    std::unique_ptr<CBasicWindow> m_pWindow;
    std::unique_ptr<CMqttService> m_pMqtt;
    bool m_bEndedEarly = false;
    uint32_t m_nCopyWaitMs = kCopyWaitMs;
};

// Creates the call folder "Recorded Calls/" under folder; an existing one is
// no error. False (with a reason) when it cannot be made.
bool MakeCallFolder(const std::string& folder, std::string* error);
