#include "engine/DiagnosticsRun.h"

bool CDiagnosticsRun::Begin() {
    std::lock_guard lock(m_mutex);
    if (m_bRunning)
        return false;
    m_bRunning = true;
    m_bCancelled = false;
    m_progress = {DiagnosticsState::Running, ""};
    return true;
}

DiagnosticsProgress CDiagnosticsRun::Now() const {
    std::lock_guard lock(m_mutex);
    return m_progress;
}

bool CDiagnosticsRun::Update(const std::string& sReport) {
    std::lock_guard lock(m_mutex);
    m_progress.sReport = sReport;
    return !m_bCancelled;
}

void CDiagnosticsRun::Finish(const std::string& sReport, bool bNoModem) {
    std::lock_guard lock(m_mutex);
    m_bRunning = false;
    m_progress = {bNoModem ? DiagnosticsState::NoModem : DiagnosticsState::Done, sReport};
}
