#include "platform/SingleInstance.h"

#include "platform/RuntimeFolder.h"

bool IsInstanceRunning() {
    std::string folder = GetRuntimeFolder(nullptr);
    return !folder.empty() && IsControlSocketLive(ControlSocketPath(folder));
}

ControlReply AskRunningInstance(const std::string& request, uint32_t timeoutMs) {
    ControlReply reply;
    std::string folder = GetRuntimeFolder(&reply.error);
    if (folder.empty()) {
        reply.status = ControlStatus::Refused;
        return reply;
    }
    return SendControlRequest(ControlSocketPath(folder), request, timeoutMs);
}

ClaimResult ClaimInstance(ControlServer& server, std::string* error) {
    std::string folder = GetRuntimeFolder(error);
    if (folder.empty())
        return ClaimResult::Failed;
    switch (server.Listen(ControlSocketPath(folder), error)) {
    case ControlServer::ListenResult::Listening:
        return ClaimResult::First;
    case ControlServer::ListenResult::AlreadyRunning:
        return ClaimResult::AnotherRuns;
    case ControlServer::ListenResult::Failed:
        break;
    }
    return ClaimResult::Failed;
}
