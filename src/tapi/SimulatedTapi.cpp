#include "tapi/SimulatedTapi.h"

#include "platform/TextUtil.h"

#include <algorithm>

namespace {
// Line handles are the device id plus this (0 is no handle).
constexpr uint32_t kLineHandleBase = 0x100;
constexpr uint32_t kFirstCall = 0x10001;
} // namespace

CSimulatedTapi::CSimulatedTapi()
    : CSimulatedTapi(std::vector<LineScript>{LineScript{"Simulated line"}}) {}

CSimulatedTapi::CSimulatedTapi(std::vector<LineScript> lines)
    : m_lines(std::move(lines)),
      m_table("simulated telephony", kLineHandleBase, kFirstCall, m_lines.size()) {}

TapiResult CSimulatedTapi::NewRequest() {
    return m_table.Request(0, !m_bWithhold);
}

void CSimulatedTapi::Note(const std::string& s) {
    m_ops.push_back(s);
}

// ---- the script --------------------------------------------------------------

uint32_t CSimulatedTapi::OfferCall(uint32_t dwDevice, bool bRing) {
    std::lock_guard lock(m_mutex);
    if (dwDevice >= m_lines.size())
        return 0;
    const uint32_t hCall = m_table.Add(TapiCall{dwDevice, kCallOffering, {}, false});
    const uint32_t hLine = dwDevice + kLineHandleBase;
    m_table.Queue(hLine, TapiMsg::AppNewCall, 0, hCall);
    m_table.Queue(hCall, TapiMsg::CallState, kCallOffering);
    if (bRing)
        m_table.Queue(hLine, TapiMsg::LineDevState, kLineDevStateRinging);
    return hCall;
}

void CSimulatedTapi::Ring(uint32_t dwDevice) {
    std::lock_guard lock(m_mutex);
    m_table.Queue(dwDevice + kLineHandleBase, TapiMsg::LineDevState, kLineDevStateRinging);
}

void CSimulatedTapi::SendCallerId(uint32_t hCall, const CallerId& cid) {
    std::lock_guard lock(m_mutex);
    TapiCall* c = m_table.Find(hCall);
    if (!c)
        return;
    c->info.dwCallerIDFlags = cid.dwFlags;
    c->info.sCallerID = cid.sNumber;
    c->info.sCallerIDName = cid.sName;
    m_table.Queue(hCall, TapiMsg::CallInfo, kCallInfoCallerId);
}

void CSimulatedTapi::SendDigits(uint32_t hCall, const std::string& sDigits) {
    std::lock_guard lock(m_mutex);
    for (char d : sDigits)
        m_table.Queue(hCall, TapiMsg::MonitorDigits, static_cast<unsigned char>(d), kDigitModeDtmf);
}

void CSimulatedTapi::SendTone(uint32_t hCall, char cTone) {
    std::lock_guard lock(m_mutex);
    m_table.Queue(hCall, TapiMsg::MonitorTone, static_cast<unsigned char>(cTone));
}

void CSimulatedTapi::SendMediaMode(uint32_t hCall, uint32_t dwMediaMode) {
    std::lock_guard lock(m_mutex);
    m_table.Queue(hCall, TapiMsg::MonitorMedia, dwMediaMode);
}

void CSimulatedTapi::SetCallState(uint32_t hCall, uint32_t dwState) {
    std::lock_guard lock(m_mutex);
    m_table.SetState(hCall, dwState);
}

void CSimulatedTapi::FarEndHangsUp(uint32_t hCall) {
    SetCallState(hCall, kCallDisconnected);
}

void CSimulatedTapi::MessageWaiting(uint32_t dwDevice, bool bOn) {
    std::lock_guard lock(m_mutex);
    m_table.Queue(dwDevice + kLineHandleBase, TapiMsg::LineDevState,
          bOn ? kLineDevStateMsgWaitOn : kLineDevStateMsgWaitOff);
}

void CSimulatedTapi::WithholdReplies(bool bWithhold) {
    std::lock_guard lock(m_mutex);
    m_bWithhold = bWithhold;
}

void CSimulatedTapi::SetWaveIds(uint32_t dwWaveIn, uint32_t dwWaveOut) {
    std::lock_guard lock(m_mutex);
    m_dwWaveIn = dwWaveIn;
    m_dwWaveOut = dwWaveOut;
}

void CSimulatedTapi::SetReinitCount(int n) {
    std::lock_guard lock(m_mutex);
    m_nReinit = n;
}

std::vector<std::string> CSimulatedTapi::Operations() const {
    std::lock_guard lock(m_mutex);
    return m_ops;
}

bool CSimulatedTapi::Did(const std::string& sOperation) const {
    std::lock_guard lock(m_mutex);
    return std::find(m_ops.begin(), m_ops.end(), sOperation) != m_ops.end();
}

uint32_t CSimulatedTapi::CallState(uint32_t hCall) const {
    std::lock_guard lock(m_mutex);
    const TapiCall* c = m_table.Find(hCall);
    return c ? c->dwState : 0;
}

bool CSimulatedTapi::IsOpen(uint32_t dwDevice) const {
    std::lock_guard lock(m_mutex);
    return m_table.LineHandle(dwDevice) != 0;
}

uint32_t CSimulatedTapi::LastPlacedCall() const {
    std::lock_guard lock(m_mutex);
    return m_hLastPlaced;
}

// ---- ITapiProvider -------------------------------------------------------------

TapiResult CSimulatedTapi::Initialize(const std::string& sAppName, uint32_t* pNumDevs) {
    std::lock_guard lock(m_mutex);
    if (m_nReinit > 0) {
        --m_nReinit;
        return kTapiErrReinit;
    }
    Note("Initialize " + sAppName);
    m_table.Messages().Open();
    *pNumDevs = static_cast<uint32_t>(m_lines.size());
    return 0;
}

TapiResult CSimulatedTapi::Shutdown() {
    std::lock_guard lock(m_mutex);
    for (uint32_t d = 0; d < m_lines.size(); ++d)
        m_table.CloseLine(d);
    m_table.Messages().Close();
    return 0;
}

TapiResult CSimulatedTapi::NegotiateApiVersion(uint32_t dwDeviceID, uint32_t dwLow, uint32_t dwHigh,
                                               uint32_t* pVersion) {
    if (dwDeviceID >= m_lines.size() || dwLow > kTapiVersionApp)
        return kTapiErrNoDevice;
    *pVersion = std::min(dwHigh, kTapiVersionApp);
    return 0;
}

TapiResult CSimulatedTapi::GetDevCaps(uint32_t dwDeviceID, uint32_t, TapiLineCaps* pCaps) {
    std::lock_guard lock(m_mutex);
    if (dwDeviceID >= m_lines.size() || !m_lines[dwDeviceID].bCapsReadable)
        return kTapiErrNoDevice;
    pCaps->sLineName = m_lines[dwDeviceID].sName;
    pCaps->dwMediaModes = m_lines[dwDeviceID].dwMediaModes;
    pCaps->dwNumAddresses = 1;
    return 0;
}

TapiResult CSimulatedTapi::GetMessage(TapiMessage* pMsg, uint32_t dwTimeoutMs) {
    return m_table.Messages().Get(pMsg, dwTimeoutMs);
}

TapiResult CSimulatedTapi::Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance, uint32_t,
                                uint32_t dwMediaModes, uint32_t* phLine) {
    std::lock_guard lock(m_mutex);
    if (dwDeviceID >= m_lines.size())
        return kTapiErrNoDevice;
    Note(StrPrintf("Open %u media 0x%x", dwDeviceID, dwMediaModes));
    if ((dwMediaModes & kMediaInteractiveVoice) && m_lines[dwDeviceID].bRefusesVoice)
        return kTapiErrInvalMediaMode;
    *phLine = m_table.OpenLine(dwDeviceID, dwCallbackInstance);
    return 0;
}

TapiResult CSimulatedTapi::Close(uint32_t hLine) {
    std::lock_guard lock(m_mutex);
    const uint32_t dwDevice = m_table.OpenDevice(hLine);
    if (dwDevice == m_table.kNoDevice)
        return kTapiErrInvalLineHandle;
    Note(StrPrintf("Close %u", dwDevice));
    m_table.CloseLine(dwDevice);
    m_table.DropCalls(dwDevice);
    return 0;
}

TapiResult CSimulatedTapi::SetStatusMessages(uint32_t hLine, uint32_t dwLineStates, uint32_t) {
    std::lock_guard lock(m_mutex);
    Note(StrPrintf("SetStatusMessages %u 0x%x", hLine - kLineHandleBase, dwLineStates));
    return 0;
}

TapiResult CSimulatedTapi::MakeCall(uint32_t hLine, uint32_t* phCall, const std::string& sNumber) {
    std::lock_guard lock(m_mutex);
    const uint32_t dwDevice = m_table.OpenDevice(hLine);
    if (dwDevice == m_table.kNoDevice)
        return kTapiErrInvalLineHandle;
    const uint32_t hCall = m_table.Add(TapiCall{dwDevice, 0, {}, false});
    m_hLastPlaced = hCall;
    *phCall = hCall;
    Note("MakeCall " + sNumber);
    const TapiResult id = NewRequest();
    // The line is taken: dial tone; a number is dialled and answered.
    m_table.SetState(hCall, kCallDialTone);
    if (!sNumber.empty()) {
        m_table.SetState(hCall, kCallDialing);
        m_table.SetState(hCall, kCallConnected);
    }
    return id;
}

TapiResult CSimulatedTapi::Answer(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("Answer 0x%x", hCall));
    const TapiResult id = NewRequest();
    m_table.SetState(hCall, kCallConnected);
    return id;
}

TapiResult CSimulatedTapi::Accept(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("Accept 0x%x", hCall));
    const TapiResult id = NewRequest();
    m_table.SetState(hCall, kCallAccepted);
    return id;
}

TapiResult CSimulatedTapi::Dial(uint32_t hCall, const std::string& sNumber) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note("Dial " + sNumber);
    const TapiResult id = NewRequest();
    if (!sNumber.empty())
        m_table.SetState(hCall, kCallConnected);
    return id;
}

TapiResult CSimulatedTapi::Drop(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("Drop 0x%x", hCall));
    const TapiResult id = NewRequest();
    m_table.SetState(hCall, kCallIdle);
    return id;
}

TapiResult CSimulatedTapi::Deallocate(uint32_t hCall) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Erase(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("Deallocate 0x%x", hCall));
    return 0;
}

TapiResult CSimulatedTapi::GenerateDigits(uint32_t hCall, uint32_t dwDigitMode,
                                          const std::string& sDigits) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("GenerateDigits %u ", dwDigitMode) + sDigits);
    return 0;
}

TapiResult CSimulatedTapi::MonitorDigits(uint32_t hCall, uint32_t dwDigitModes) {
    std::lock_guard lock(m_mutex);
    TapiCall* c = m_table.Find(hCall);
    if (!c)
        return kTapiErrInvalCallHandle;
    c->bMonitorDigits = dwDigitModes != 0;
    Note(StrPrintf("MonitorDigits 0x%x", dwDigitModes));
    return 0;
}

TapiResult CSimulatedTapi::SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) {
    std::lock_guard lock(m_mutex);
    const TapiResult r = m_table.SetMediaMode(hCall, dwMediaModes);
    if (r == 0)
        Note(StrPrintf("SetMediaMode 0x%x", dwMediaModes));
    return r;
}

TapiResult CSimulatedTapi::Handoff(uint32_t hCall, const std::string& sTarget,
                                   uint32_t dwMediaMode) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    Note(StrPrintf("Handoff 0x%x ", dwMediaMode) + sTarget);
    return 0;
}

TapiResult CSimulatedTapi::GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) {
    std::lock_guard lock(m_mutex);
    return m_table.GetCallInfo(hCall, pInfo);
}

TapiResult CSimulatedTapi::GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) {
    std::lock_guard lock(m_mutex);
    return m_table.GetCallStatus(hCall, pStatus);
}

TapiResult CSimulatedTapi::GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) {
    std::lock_guard lock(m_mutex);
    if (!m_table.Find(hCall))
        return kTapiErrInvalCallHandle;
    if (sDeviceClass == "wave/in")
        *pId = m_dwWaveIn;
    else if (sDeviceClass == "wave/out")
        *pId = m_dwWaveOut;
    else
        return kTapiErrOperationUnavail;
    return 0;
}
