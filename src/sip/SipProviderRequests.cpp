// The telephony layer's requests of the SIP provider: lines opened and
// closed, calls made, answered, keyed, handed off and dropped.
#include "sip/SipProvider.h"
#include "sip/SipProviderListener.h"
#include "sip/SipSocketGuard.h"

#include "platform/TextUtil.h"

#include <linphone++/linphone.hh>

#include <cstdio>

using namespace sipprovider;

namespace {

// Touch-tone keys sent in one go; a dial string is never longer.
constexpr size_t kMaxDigits = 64;

} // namespace

// ---- public --------------------------------------------------------------------

int CSipProvider::ListeningPort(uint32_t dwDevice) const {
    std::lock_guard lock(m_mutex);
    return dwDevice < m_lines.size() ? m_lines[dwDevice].nPort : 0;
}

SipRegistration CSipProvider::Registration(uint32_t dwDevice) const {
    std::lock_guard lock(m_mutex);
    return dwDevice < m_lines.size() ? m_lines[dwDevice].reg : SipRegistration{};
}

TapiResult CSipProvider::Initialize(const std::string&, uint32_t* pNumDevs) {
    std::lock_guard lock(m_mutex);
    if (m_lines.empty())
        return kTapiErrNoDevice;
    if (!SipInputGuardActive()) {
        // Without it a caller's overlong name would take the process down.
        std::fprintf(stderr, "SIP: the lines stay closed: this program does not guard the SIP "
                             "stack's input (its reading functions are not exported)\n");
        return kTapiErrOperationUnavail;
    }
    m_table.Messages().Open();
    *pNumDevs = static_cast<uint32_t>(m_lines.size());
    return 0;
}

TapiResult CSipProvider::Shutdown() {
    std::lock_guard lock(m_mutex);
    for (Line& line : m_lines)
        CloseLine(line);
    m_table.Messages().Close();
    return 0;
}

TapiResult CSipProvider::NegotiateApiVersion(uint32_t dwDeviceID, uint32_t dwLow, uint32_t dwHigh,
                                             uint32_t* pVersion) {
    if (dwDeviceID >= m_lines.size() || dwLow > kTapiVersionApp)
        return kTapiErrNoDevice;
    *pVersion = std::min(dwHigh, kTapiVersionApp);
    return 0;
}

TapiResult CSipProvider::GetDevCaps(uint32_t dwDeviceID, uint32_t, TapiLineCaps* pCaps) {
    std::lock_guard lock(m_mutex);
    if (dwDeviceID >= m_lines.size())
        return kTapiErrNoDevice;
    pCaps->sLineName = m_lines[dwDeviceID].account.LineName();
    pCaps->dwMediaModes = kMediaInteractiveVoice;
    pCaps->dwNumAddresses = 1;
    return 0;
}

TapiResult CSipProvider::GetMessage(TapiMessage* pMsg, uint32_t dwTimeoutMs) {
    // Not under m_mutex: a reader waiting holds up no stack.
    return m_table.Messages().Get(pMsg, dwTimeoutMs);
}

TapiResult CSipProvider::Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance,
                              uint32_t dwPrivileges, uint32_t dwMediaModes, uint32_t* phLine) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Messages().IsOpen() || dwDeviceID >= m_lines.size())
        return kTapiErrNoDevice;
    if (!(dwMediaModes & kMediaInteractiveVoice))
        return kTapiErrInvalMediaMode;
    Line& line = m_lines[dwDeviceID];
    if (line.core)
        return kTapiErrResourceUnavail;
    std::string why;
    auto core = MakeCore(line, &why);
    if (!core)
        return FailOpen(line, kTapiErrNoMem, why);
    // The registration starts with the stack.
    line.reg = {};
    line.nFailures = 0;
    if (line.gate.HasRegistrar()) {
        line.reg.state = SipRegistration::State::Registering;
        if (!line.gate.Resolve(&line.sResolveError))
            LogLine(line.account, line.sResolveError + "; it takes no call until it has one");
        else
            line.sResolveError.clear();
    }
    auto listener = std::make_shared<Listener>(*this, dwDeviceID);
    core->addListener(listener);
    if (core->start() != 0)
        return FailOpen(line, kTapiErrResourceUnavail, "the SIP stack did not start");
    auto used = core->getTransportsUsed();
    const int port = line.account.transport == SipTransport::Tcp   ? used->getTcpPort()
                     : line.account.transport == SipTransport::Tls ? used->getTlsPort()
                                                                   : used->getUdpPort();
    if (port <= 0) {
        core->removeListener(listener);
        core->stop();
        return FailOpen(line, kTapiErrResourceUnavail,
                        StrPrintf("cannot listen on %s port %d (in use by another program?)",
                                  line.account.sBindAddress.empty()
                                      ? "any address"
                                      : line.account.sBindAddress.c_str(),
                                  line.account.nPort));
    }
    line.sOpenError.clear();
    line.core = std::move(core);
    line.listener = std::move(listener);
    line.nPort = port;
    line.bMonitor = (dwPrivileges & kPrivilegeMonitor) != 0;
    *phLine = m_table.OpenLine(dwDeviceID, dwCallbackInstance);
    m_wake.Wake(); // the new line's port is watched from now on
    return 0;
}

std::string CSipProvider::OpenFailure(uint32_t dwDeviceID) {
    std::lock_guard lock(m_mutex);
    return dwDeviceID < m_lines.size() ? m_lines[dwDeviceID].sOpenError : std::string();
}

TapiResult CSipProvider::Close(uint32_t hLine) {
    std::lock_guard lock(m_mutex);
    const uint32_t dwDevice = m_table.OpenDevice(hLine);
    if (dwDevice == m_table.kNoDevice)
        return kTapiErrInvalLineHandle;
    CloseLine(m_lines[dwDevice]);
    return 0;
}

TapiResult CSipProvider::SetStatusMessages(uint32_t hLine, uint32_t, uint32_t) {
    std::lock_guard lock(m_mutex);
    return m_table.OpenDevice(hLine) != m_table.kNoDevice ? 0 : kTapiErrInvalLineHandle;
}

TapiResult CSipProvider::GetLineDevStatus(uint32_t hLine, TapiLineStatus* pStatus) {
    std::lock_guard lock(m_mutex);
    const uint32_t dwDevice = m_table.OpenDevice(hLine);
    if (dwDevice == m_table.kNoDevice)
        return kTapiErrInvalLineHandle;
    const Line& line = m_lines[dwDevice];
    pStatus->bInService = line.reg.state != SipRegistration::State::Failed;
    pStatus->bPending = line.reg.state == SipRegistration::State::Registering;
    if (line.reg.state != SipRegistration::State::None)
        pStatus->sText = pStatus->bInService
                             ? SipRegistrationText(line.reg, line.account.sRegistrar)
                             : SipUnavailableCause(line.reg, line.account.sRegistrar);
    return 0;
}

TapiResult CSipProvider::MakeCall(uint32_t hLine, uint32_t* phCall, const std::string& sNumber) {
    std::lock_guard lock(m_mutex);
    const uint32_t dwDevice = m_table.OpenDevice(hLine);
    if (dwDevice == m_table.kNoDevice)
        return kTapiErrInvalLineHandle;
    // Taking the line with nobody called has no meaning in SIP.
    const std::string target = Target(m_lines[dwDevice], sNumber);
    if (target.empty())
        return kTapiErrOperationUnavail;
    auto core = m_lines[dwDevice].core;
    auto params = core->createCallParams(nullptr);
    if (!params)
        return kTapiErrOperationUnavail;
    params->enableVideo(false);
    auto call = core->inviteWithParams(target, params);
    if (!call)
        return kTapiErrOperationUnavail;
    Call c;
    c.dwDevice = dwDevice;
    c.call = call;
    c.info.dwMediaMode = kMediaInteractiveVoice;
    *phCall = m_table.Add(std::move(c));
    m_wake.Wake(); // a call's pace from now on
    return Reply(true);
}

TapiResult CSipProvider::Answer(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    if (!CallIsLive(c->call))
        return Reply(false);
    return Reply(c->call->accept() == 0);
}

TapiResult CSipProvider::Accept(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    // The stack already told the caller it rings (180).
    if (c->dwState == kCallOffering)
        SetState(hCall, kCallAccepted);
    return Reply(true);
}

TapiResult CSipProvider::Dial(uint32_t hCall, const std::string& sNumber) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    if (sNumber.empty() || !CallIsLive(c->call))
        return kTapiErrOperationUnavail;
    std::string keys;
    for (char ch : sNumber)
        if (IsDtmfKey(ch) && keys.size() < kMaxDigits)
            keys += ch;
    return Reply(!keys.empty() && c->call->sendDtmfs(keys) == 0);
}

TapiResult CSipProvider::Drop(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    bool bOk = true;
    if (CallIsLive(c->call))
        bOk = c->call->terminate() == 0;
    const TapiResult id = Reply(bOk);
    SetState(hCall, kCallIdle);
    return id;
}

TapiResult CSipProvider::Deallocate(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    if (CallIsLive(c->call))
        c->call->terminate();
    StopHearing(hCall);
    m_table.Erase(hCall);
    return 0;
}

TapiResult CSipProvider::GenerateDigits(uint32_t hCall, uint32_t dwDigitMode,
                                        const std::string& sDigits) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    if (dwDigitMode != kDigitModeDtmf || !CallIsLive(c->call))
        return kTapiErrOperationUnavail;
    std::string keys;
    for (char ch : sDigits)
        if (IsDtmfKey(ch) && keys.size() < kMaxDigits)
            keys += ch;
    if (keys.empty())
        return 0;
    return c->call->sendDtmfs(keys) == 0 ? 0 : kTapiErrOperationUnavail;
}

TapiResult CSipProvider::MonitorDigits(uint32_t hCall, uint32_t dwDigitModes) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    c->bMonitorDigits = (dwDigitModes & kDigitModeDtmf) != 0;
    return 0;
}

TapiResult CSipProvider::SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) {
    std::lock_guard lock(m_mutex);
    return m_table.SetMediaMode(hCall, dwMediaModes);
}

TapiResult CSipProvider::Handoff(uint32_t hCall, const std::string& sTarget, uint32_t) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    // Only a call can be handed to a named address (a transfer); there is
    // no program on this side to hand a media mode to.
    const std::string target = Target(m_lines[c->dwDevice], sTarget);
    if (target.empty() || !CallIsLive(c->call))
        return kTapiErrOperationUnavail;
    auto address = linphone::Factory::get()->createAddress(target);
    if (!address)
        return kTapiErrOperationUnavail;
    return c->call->transferTo(address) == 0 ? 0 : kTapiErrOperationUnavail;
}

TapiResult CSipProvider::Redirect(uint32_t hCall, const std::string& sAddress) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    const std::string target = Target(m_lines[c->dwDevice], sAddress);
    if (target.empty() || !c->call ||
        c->call->getState() != linphone::Call::State::IncomingReceived)
        return kTapiErrOperationUnavail;
    auto address = linphone::Factory::get()->createAddress(target);
    if (!address || c->call->redirectTo(address) != 0)
        return kTapiErrOperationUnavail;
    SetState(hCall, kCallIdle);
    return 0;
}

TapiResult CSipProvider::BlindTransfer(uint32_t hCall, const std::string& sAddress) {
    std::lock_guard lock(m_mutex);
    Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    const std::string target = Target(m_lines[c->dwDevice], sAddress);
    if (target.empty() || !CallIsLive(c->call) || c->nTransferRequest > 0)
        return kTapiErrOperationUnavail;
    auto address = linphone::Factory::get()->createAddress(target);
    if (!address || c->call->transferTo(address) != 0)
        return kTapiErrOperationUnavail;
    // Replied when the far end says what became of it.
    c->nTransferRequest = m_table.Request(0, false);
    m_wake.Wake();
    return c->nTransferRequest;
}

TapiResult CSipProvider::GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) {
    std::lock_guard lock(m_mutex);
    return m_table.GetCallInfo(hCall, pInfo);
}

TapiResult CSipProvider::GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) {
    std::lock_guard lock(m_mutex);
    return m_table.GetCallStatus(hCall, pStatus);
}

TapiResult CSipProvider::GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) {
    std::lock_guard lock(m_mutex);
    const Call* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    // A line has one call at a time, so the line's device is the call's.
    if (sDeviceClass != "wave/in" && sDeviceClass != "wave/out")
        return kTapiErrOperationUnavail;
    *pId = c->dwDevice;
    return 0;
}
