#include "tapi/TapiObjects.h"

#include "tapi/TapiConnection.h"

#include <algorithm>
#include <utility>

// ---- CTapiCall ---------------------------------------------------------------

ITapiProvider& CTapiCall::Provider() const {
    return m_line.Provider();
}

TapiResult CTapiCall::Answer() {
    return Provider().Answer(m_hCall);
}
TapiResult CTapiCall::Accept() {
    return Provider().Accept(m_hCall);
}
TapiResult CTapiCall::Dial(const std::string& sNumber) {
    return Provider().Dial(m_hCall, sNumber);
}
TapiResult CTapiCall::Drop() {
    return Provider().Drop(m_hCall);
}
TapiResult CTapiCall::Deallocate() {
    return Provider().Deallocate(m_hCall);
}
TapiResult CTapiCall::GenerateDigits(uint32_t dwDigitMode, const std::string& sDigits) {
    return Provider().GenerateDigits(m_hCall, dwDigitMode, sDigits);
}
TapiResult CTapiCall::MonitorDigits(uint32_t dwDigitModes) {
    return Provider().MonitorDigits(m_hCall, dwDigitModes);
}
TapiResult CTapiCall::SetMediaMode(uint32_t dwMediaModes) {
    return Provider().SetMediaMode(m_hCall, dwMediaModes);
}
TapiResult CTapiCall::Handoff(const std::string& sTarget, uint32_t dwMediaMode) {
    return Provider().Handoff(m_hCall, sTarget, dwMediaMode);
}
TapiResult CTapiCall::Redirect(const std::string& sAddress) {
    return Provider().Redirect(m_hCall, sAddress);
}
TapiResult CTapiCall::BlindTransfer(const std::string& sAddress) {
    return Provider().BlindTransfer(m_hCall, sAddress);
}

TapiResult CTapiCall::GetCallInfo(TapiCallInfo* pInfo) {
    TapiCallInfo info;
    const TapiResult r = Provider().GetCallInfo(m_hCall, &info);
    if (r == 0) {
        std::lock_guard lock(m_mutex);
        m_info = info;
    }
    *pInfo = info;
    return r;
}

TapiResult CTapiCall::GetCallStatus(TapiCallStatus* pStatus) {
    TapiCallStatus status;
    const TapiResult r = Provider().GetCallStatus(m_hCall, &status);
    if (r == 0) {
        std::lock_guard lock(m_mutex);
        m_status = status;
    }
    *pStatus = status;
    return r;
}

uint32_t CTapiCall::WaveInID() {
    uint32_t id = 0;
    return Provider().GetID(m_hCall, "wave/in", &id) == 0 ? id : 0;
}

uint32_t CTapiCall::WaveOutID() {
    uint32_t id = 0;
    return Provider().GetID(m_hCall, "wave/out", &id) == 0 ? id : 0;
}

// ---- CTapiLine ---------------------------------------------------------------

CTapiLine::CTapiLine(CTapiConnection& connection, uint32_t dwDeviceID)
    : m_connection(connection), m_dwDeviceID(dwDeviceID) {}

CTapiLine::~CTapiLine() = default;

ITapiProvider& CTapiLine::Provider() const {
    return m_connection.Provider();
}

TapiResult CTapiLine::Init() {
    const TapiResult r =
        Provider().NegotiateApiVersion(m_dwDeviceID, kTapiVersionLow, kTapiVersionHigh, &m_dwApiVersion);
    if (r != 0)
        return r;
    TapiLineCaps caps;
    const TapiResult rc = GetDevCaps(&caps);
    if (rc == 0)
        for (uint32_t i = 0; i < std::max<uint32_t>(caps.dwNumAddresses, 1); ++i)
            m_addresses.push_back(std::make_unique<CTapiAddress>(*this, i));
    return rc;
}

TapiResult CTapiLine::GetDevCaps(TapiLineCaps* pCaps) {
    return Provider().GetDevCaps(m_dwDeviceID, m_dwApiVersion, pCaps);
}

TapiResult CTapiLine::Open(uint32_t dwPrivileges, uint32_t dwMediaModes) {
    uint32_t hLine = 0;
    const TapiResult r =
        Provider().Open(m_dwDeviceID, m_dwDeviceID, dwPrivileges, dwMediaModes, &hLine);
    std::lock_guard lock(m_mutex);
    m_hLine = r == 0 ? hLine : 0;
    return r;
}

TapiResult CTapiLine::Close() {
    uint32_t hLine;
    {
        std::lock_guard lock(m_mutex);
        hLine = std::exchange(m_hLine, 0);
        m_calls.clear();
    }
    return hLine ? Provider().Close(hLine) : kTapiErrInvalLineHandle;
}

void CTapiLine::MarkClosed() {
    std::lock_guard lock(m_mutex);
    m_hLine = 0;
    m_calls.clear();
}

bool CTapiLine::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_hLine != 0;
}

uint32_t CTapiLine::Handle() const {
    std::lock_guard lock(m_mutex);
    return m_hLine;
}

TapiResult CTapiLine::SetStatusMessages(uint32_t dwLineStates, uint32_t dwAddressStates) {
    return Provider().SetStatusMessages(Handle(), dwLineStates, dwAddressStates);
}

TapiResult CTapiLine::MakeCall(const std::string& sNumber, std::shared_ptr<CTapiCall>* pCall) {
    uint32_t hCall = 0;
    const TapiResult r = Provider().MakeCall(Handle(), &hCall, sNumber);
    if (r >= 0 && hCall != 0) {
        auto call = AddCall(hCall);
        if (pCall)
            *pCall = call;
    }
    return r;
}

std::shared_ptr<CTapiCall> CTapiLine::AddCall(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    for (const auto& c : m_calls)
        if (c->Handle() == hCall)
            return c;
    m_calls.push_back(std::make_shared<CTapiCall>(*this, hCall));
    return m_calls.back();
}

std::shared_ptr<CTapiCall> CTapiLine::FindCall(uint32_t hCall) const {
    std::lock_guard lock(m_mutex);
    for (const auto& c : m_calls)
        if (c->Handle() == hCall)
            return c;
    return nullptr;
}

void CTapiLine::RemoveCall(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_calls, [hCall](const auto& c) { return c->Handle() == hCall; });
}

size_t CTapiLine::CallCount() const {
    std::lock_guard lock(m_mutex);
    return m_calls.size();
}

void CTapiLine::Dispatch(const TapiMessage& msg) {
    const auto p1 = static_cast<uint32_t>(msg.dwParam1);
    const auto p2 = static_cast<uint32_t>(msg.dwParam2);
    switch (msg.dwMessageID) {
    case TapiMsg::AppNewCall:
        OnNewCall(AddCall(p2));
        return;
    case TapiMsg::Close:
        MarkClosed();
        return;
    case TapiMsg::LineDevState:
        OnLineDevStateChange(p1);
        return;
    default:
        break;
    }
    // Call messages: a call the line does not know (another application's,
    // or one already deallocated) is none of ours.
    std::shared_ptr<CTapiCall> call = FindCall(msg.hDevice);
    if (!call) {
        // A monitored call this line has not been told about yet.
        if (msg.dwMessageID != TapiMsg::CallState)
            return;
        call = AddCall(msg.hDevice);
    }
    switch (msg.dwMessageID) {
    case TapiMsg::CallInfo:
        OnCallInfoChange(call, p1);
        break;
    case TapiMsg::CallState:
        OnCallStateChange(call, p1, p2);
        break;
    case TapiMsg::MonitorDigits:
        OnDigitDetected(call, p1, p2);
        break;
    case TapiMsg::MonitorMedia:
        OnMediaModeDetected(call, p1);
        break;
    case TapiMsg::MonitorTone:
        OnToneDetected(call, p1);
        break;
    default:
        break;
    }
}

// ---- CTapiPhone --------------------------------------------------------------

TapiResult CTapiPhone::Init() {
    return m_connection.Provider().PhoneNegotiateApiVersion(m_dwDeviceID, kTapiVersionLow,
                                                            kTapiPhoneVersionHigh, &m_dwApiVersion);
}
