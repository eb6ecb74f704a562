#include "app/GreetingLine.h"

#include "app/EngineWorker.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"

bool CEngineGreetingLine::IsReady() const {
    return !g_bPaused && m_worker.IsReady() && !m_worker.IsCallActive() && !g_bActionPending;
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
    return g_bActionPending;
}

void CEngineGreetingLine::Stop() {
    m_worker.SetStopRequest(true);
    m_worker.Wake();
}
