#include "app/ControlService.h"

#include "platform/RuntimeFolder.h"
#include "platform/SingleInstance.h"
#include "platform/TickCount.h"

CControlService::StartResult CControlService::Start(std::string* error,
                                                    uint32_t waitForPreviousMs) {
    Stop();
    // The socket first: a second instance must not take over the block of
    // the one that runs.
    const uint32_t start = GetTickCount();
    for (;;) {
        ClaimResult claim = ClaimInstance(m_server, error);
        if (claim == ClaimResult::First)
            break;
        if (claim == ClaimResult::Failed)
            return StartResult::Failed;
        if (GetTickCount() - start >= waitForPreviousMs)
            return StartResult::AnotherRuns;
        SleepMs(50);
    }
    m_server.SetHandler([this](const std::string& request) { return Handle(request); });
    std::string folder = GetRuntimeFolder(error);
    if (folder.empty() || !m_commDll.Open(folder, error))
        return StartResult::NoBlock;
    return StartResult::Serving;
}

void CControlService::Stop() {
    m_server.Close();
    m_commDll.Close();
}

std::string CControlService::Handle(const std::string& request) {
    if (request == kRequestCall)
        return CommResultWord(m_commDll.OnCallback(m_control));
    if (request == kRequestShow) {
        m_control.ShowMainWindow();
        return "ok";
    }
    if (request == kRequestQuit) {
        m_control.Quit();
        return "ok";
    }
    return "unknown-request";
}
