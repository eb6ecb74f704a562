// The commands' waits as steps of the window's loop. A command that has to
// wait for the worker (the port to close, the modem to be ready) used to sleep
// on the UI thread for up to seconds, freezing every window meanwhile; here
// it leaves its continuation with the window, and the step timer, running
// only while something waits, looks at the condition between other events.
#include "app/BasicWindow.h"

#include "platform/TickCount.h"

namespace {
bool Reached(uint32_t now, uint32_t due) {
    return static_cast<int32_t>(now - due) >= 0;
}
} // namespace

void CBasicWindow::WaitThen(uint32_t maxMs, std::function<bool()> done,
                            std::function<void()> then) {
    if (done()) {
        then();
        return;
    }
    m_steps.push_back(Step{std::move(done), GetTickCount() + maxMs, std::move(then)});
    // A timer already running keeps its rhythm; restarting it on every new
    // wait could put a waiting step off for ever.
    if (!m_timers.IsRunning(kTimerStep))
        StartTimer(kTimerStep, kStepTickMs);
}

void CBasicWindow::After(uint32_t ms, std::function<void()> then) {
    WaitThen(ms, [] { return false; }, std::move(then));
}

void CBasicWindow::RunSteps() {
    const uint32_t now = GetTickCount();
    std::vector<Step> ready;
    for (auto it = m_steps.begin(); it != m_steps.end();) {
        if (it->done() || Reached(now, it->deadline)) {
            ready.push_back(std::move(*it));
            it = m_steps.erase(it);
        } else {
            ++it;
        }
    }
    if (m_steps.empty())
        KillTimer(kTimerStep);
    // Continuations may wait again; they find the list in order.
    for (Step& step : ready) {
        if (m_bQuitPosted)
            return;
        step.then();
    }
}
