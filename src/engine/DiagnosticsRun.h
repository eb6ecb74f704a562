// One modem diagnostics run as the front ends follow it: the UI thread asks
// for it and looks at the report as it grows; the worker, which owns the
// port, sends the probes (action 16) and fills it. Nobody waits here: the
// window polls, vorellactl asks again.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

enum class DiagnosticsState : int {
    NoModem = 0, // no open modem to ask (paused, not a serial modem, port not open)
    Running = 1, // the probes are being sent; the report so far
    Done = 2,    // the whole report
    Busy = 3,    // a call or another request has the line; ask again later
};

struct DiagnosticsProgress {
    DiagnosticsState state = DiagnosticsState::NoModem;
    std::string sReport;
};

class CDiagnosticsRun {
public:
    // UI thread: a new run begins (the report is emptied). False when one
    // is running already, which the caller then follows instead.
    bool Begin();
    // UI thread: the run is no longer wanted; the worker stops after the
    // probe it is sending.
    void Cancel() { m_bCancelled = true; }
    DiagnosticsProgress Now() const;

    // Worker: the report so far; false once the run was cancelled.
    bool Update(const std::string& sReport);
    // Worker: the run is over (bNoModem: nothing could be asked).
    void Finish(const std::string& sReport, bool bNoModem);

private:
    mutable std::mutex m_mutex;
    DiagnosticsProgress m_progress; // under m_mutex
    bool m_bRunning = false;        // under m_mutex
    std::atomic<bool> m_bCancelled{false};
};
