#include "app/ControlService.h"

#include "platform/RuntimeFolder.h"
#include "platform/SingleInstance.h"

CControlService::StartResult CControlService::Start(std::string* error) {
    Stop();
    // The socket first: a second instance must not take over the block of
    // the one that runs.
    switch (ClaimInstance(m_server, error)) {
    case ClaimResult::First:
        break;
    case ClaimResult::AnotherRuns:
        return StartResult::AnotherRuns;
    case ClaimResult::Failed:
        return StartResult::Failed;
    }
    std::string folder = GetRuntimeFolder(error);
    if (folder.empty() || !m_commDll.Open(folder, error)) {
        m_server.Close();
        return StartResult::Failed;
    }
    m_server.SetHandler([this](const std::string& request) { return Handle(request); });
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
