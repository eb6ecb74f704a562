#include "ControlClient.h"

#include "platform/ControlSocket.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstance.h"

#include <algorithm>
#include <vector>

namespace {

int ExitFor(ControlStatus status) {
    switch (status) {
    case ControlStatus::Ok:
        return kExitOk;
    case ControlStatus::NotRunning:
        return kExitNotRunning;
    case ControlStatus::NoReply:
        return kExitNoReply;
    case ControlStatus::Refused:
        return kExitRefused;
    case ControlStatus::Failed:
        break;
    }
    return kExitFailed;
}

std::string Explain(const std::string& word) {
    if (word == "disabled")
        return "Vorella is not ready for external control yet";
    if (word == "unknown-code")
        return "Vorella does not know this command";
    if (word == "bad-block")
        return "Vorella could not use the control block";
    return "Vorella answered '" + word + "'";
}

} // namespace

CtlOutcome CControlClient::Failure(int code, std::string error) const {
    CtlOutcome out;
    out.nExit = code;
    out.sError = std::move(error);
    return out;
}

CtlOutcome CControlClient::Connect() {
    std::string error;
    std::string folder = GetRuntimeFolder(&error);
    if (folder.empty())
        return Failure(kExitRefused, error);
    m_sSocket = ControlSocketPath(folder);
    switch (m_block.Open(ControlBlockName(folder), CommBlock::kSize,
                         SharedMemoryBlock::OpenMode::OpenExisting, &error)) {
    case SharedMemoryBlock::OpenResult::Ok:
        break;
    case SharedMemoryBlock::OpenResult::NotFound:
        if (!IsControlSocketLive(m_sSocket))
            return Failure(kExitNotRunning, "Vorella is not running");
        return Failure(kExitFailed, "Vorella runs but offers no control block");
    case SharedMemoryBlock::OpenResult::NotPrivate:
        return Failure(kExitRefused, error);
    case SharedMemoryBlock::OpenResult::Failed:
        return Failure(kExitFailed, error);
    }
    if (!m_block.Lock(m_nTimeoutMs))
        return Failure(kExitNoReply, "another program keeps Vorella's control block busy");
    return {};
}

CtlOutcome CControlClient::Call(const CommBlockData& request, bool bReply) {
    std::vector<uint8_t> raw(CommBlock::kUsedSize);
    EncodeCommBlock(request, raw.data());
    if (!m_block.WriteAt(0, raw.data(), raw.size()))
        return Failure(kExitFailed, "cannot write Vorella's control block");
    ControlReply r = SendControlRequest(m_sSocket, kRequestCall, m_nTimeoutMs);
    if (r.status == ControlStatus::NotRunning) // a block left behind by a crash
        return Failure(kExitNotRunning, "Vorella is not running");
    if (r.status != ControlStatus::Ok)
        return Failure(ExitFor(r.status), r.error);
    if (r.text != "ok")
        return Failure(kExitRejected, Explain(r.text));
    CtlOutcome out;
    if (bReply) {
        if (!m_block.ReadAt(0, raw.data(), raw.size()))
            return Failure(kExitFailed, "cannot read Vorella's control block");
        out.reply = DecodeCommBlock(raw.data());
    }
    return out;
}

CtlOutcome CControlClient::ReadReport(std::string* report) {
    std::vector<char> raw(CommBlock::kReport.size);
    if (!m_block.ReadAt(CommBlock::kReport.offset, raw.data(), raw.size()))
        return Failure(kExitFailed, "cannot read Vorella's control block");
    // Never past the field, whether or not the zero is there.
    auto end = std::find(raw.begin(), raw.end(), '\0');
    report->assign(raw.begin(), end);
    return {};
}

CtlOutcome CControlClient::Ask(const std::string& word) {
    std::string error;
    std::string folder = GetRuntimeFolder(&error);
    if (folder.empty())
        return Failure(kExitRefused, error);
    ControlReply r = SendControlRequest(ControlSocketPath(folder), word, m_nTimeoutMs);
    if (r.status == ControlStatus::NotRunning)
        return Failure(kExitNotRunning, "Vorella is not running");
    if (r.status != ControlStatus::Ok)
        return Failure(ExitFor(r.status), r.error);
    if (r.text != "ok")
        return Failure(kExitRejected, Explain(r.text));
    return {};
}
