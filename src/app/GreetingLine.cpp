#include "app/GreetingLine.h"

#include "app/EngineWorker.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"

bool CEngineGreetingLine::IsReady() const {
    return !g_bPaused && m_worker.IsReady() && !m_worker.IsCallActive() && !IsActionPending();
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
    ::RequestAction(nAction);
    m_worker.Wake();
}

bool CEngineGreetingLine::IsActionPending() const {
    return g_bActionPending && g_nAction != kActionQuiet;
}

void CEngineGreetingLine::HoldQuiet(bool bOn) {
    if (bOn) {
        // Only an idle worker is held: a request of someone else goes on.
        if (!g_bActionPending)
            ::RequestAction(kActionQuiet);
    } else if (g_bActionPending && g_nAction == kActionQuiet) {
        g_bActionPending = false;
        m_worker.Wake();
    }
}

void CEngineGreetingLine::Stop() {
    m_worker.SetStopRequest(true);
    m_worker.Wake();
}
