#include "app/GreetingLine.h"

#include "app/EngineWorker.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"

bool CEngineGreetingLine::IsReady() const {
    return !m_worker.CallState().Flags().bPaused && m_worker.IsReady() &&
           !m_worker.IsCallActive() && !IsActionPending();
}

int CEngineGreetingLine::LineSelection() const {
    return m_worker.Phone().DriverSettings().nLineSelection;
}

void CEngineGreetingLine::SetLineSelection(int nSource) {
    m_worker.Phone().DriverSettings().nLineSelection = nSource;
}

void CEngineGreetingLine::SetPlayFile(const std::string& sFile) {
    m_worker.SetPlayFile(sFile);
}

void CEngineGreetingLine::RequestAction(int32_t nAction) {
    m_worker.Phone().Device().SetStopRequest(false);
    m_worker.CallState().RequestAction(nAction);
    m_worker.Wake();
}

bool CEngineGreetingLine::IsActionPending() const {
    const CallFlags f = m_worker.CallState().Flags();
    return f.bActionPending && f.nAction != kActionQuiet;
}

void CEngineGreetingLine::HoldQuiet(bool bOn) {
    if (bOn) {
        // Only an idle worker is held: a request of someone else goes on.
        if (!m_worker.CallState().Flags().bActionPending)
            m_worker.CallState().RequestAction(kActionQuiet);
    } else if (m_worker.CallState().WithdrawAction(kActionQuiet)) {
        m_worker.Wake();
    }
}

void CEngineGreetingLine::Stop() {
    m_worker.SetStopRequest(true);
    m_worker.Wake();
}
