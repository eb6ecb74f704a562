#include "tapi/MyLine.h"

#include "platform/PrivateKeys.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

namespace {

constexpr int kStrNoTapiDevices = 57974;
constexpr int kStrNoVoiceLines = 57975;
// The status text of a line that is there but cannot be used.
constexpr const char* kLineUnavailable = "Line unavailable";

// A result as the status lines print it ("%lx": the 32-bit pattern).
unsigned long Hex(TapiResult r) {
    return static_cast<unsigned long>(static_cast<uint32_t>(r));
}

// The status line of a call state without a step of its own.
const char* StateLine(uint32_t dwState) {
    switch (dwState) {
    case kCallAccepted:
        return "LINECALLSTATE_ACCEPTED";
    case kCallDialing:
        return "Dialing";
    case kCallRingBack:
        return "LINECALLSTATE_RINGBACK";
    case kCallSpecialInfo:
        return "LINECALLSTATE_SPECIALINFO";
    case kCallProceeding:
        return "LINECALLSTATE_PROCEEDING";
    case kCallConferenced:
        return "LINECALLSTATE_CONFERENCED";
    case kCallUnknown:
        return "LINECALLSTATE_UNKNOWN";
    default:
        return "Default";
    }
}

} // namespace

const char* CallStateName(uint32_t state) {
    switch (state) {
    case kCallIdle:
        return "Idle";
    case kCallOffering:
        return "Offering";
    case kCallAccepted:
        return "Accepted";
    case kCallConnected:
        return "Connected";
    case kCallDisconnected:
        return "Disconnected";
    default:
        return "???";
    }
}

// ---- CMyLine -----------------------------------------------------------------

CMyLine::CMyLine(CTapiConnection& connection, uint32_t dwDeviceID, const TapiEngineLink& link)
    : CTapiLine(connection, dwDeviceID), m_link(link) {}

void CMyLine::Post(int nMessage, uintptr_t wParam, intptr_t lParam) {
    if (m_link.post)
        m_link.post(nMessage, wParam, lParam);
}

void CMyLine::Status(const std::string& text) {
    if (m_link.log)
        m_link.log(text);
    if (!m_bTracing)
        return;
    std::lock_guard lock(m_callMutex);
    m_sStatus = text;
}

std::string CMyLine::StatusText() const {
    std::lock_guard lock(m_callMutex);
    return m_sStatus;
}

TapiResult CMyLine::WaitReply(TapiResult r) {
    return Connection().WaitForReply(r, m_nReplyLimitMs.load());
}

void CMyLine::ClearCaller() {
    std::lock_guard lock(m_callMutex);
    m_caller = {};
}

std::shared_ptr<CTapiCall> CMyLine::Current() const {
    std::lock_guard lock(m_callMutex);
    return m_pCurrent;
}

bool CMyLine::IsCurrent(const std::shared_ptr<CTapiCall>& call) const {
    std::lock_guard lock(m_callMutex);
    return m_pCurrent && m_pCurrent == call;
}

bool CMyLine::HasCall() const {
    return Current() != nullptr;
}

std::string CMyLine::UnavailableReason() const {
    std::lock_guard lock(m_callMutex);
    return m_sUnavailable;
}

TapiLineStatus CMyLine::LineStatus() const {
    TapiLineStatus status;
    if (!IsOpen() || Provider().GetLineDevStatus(Handle(), &status) != 0)
        status = {};
    return status;
}

std::string LineUnavailableText(const TapiLineStatus& status) {
    if (status.bInService)
        return "";
    return std::string(kLineUnavailable) + (status.sText.empty() ? "" : ": " + status.sText);
}

void CMyLine::FollowLineStatus() {
    const std::string reason = LineUnavailableText(LineStatus());
    {
        std::lock_guard lock(m_callMutex);
        if (reason == m_sUnavailable)
            return;
        m_sUnavailable = reason;
    }
    Status(reason.empty() ? StrPrintf("Line %ld in service", static_cast<long>(DeviceID()))
                          : reason);
}

TapiCallerData CMyLine::CallerData() const {
    std::lock_guard lock(m_callMutex);
    return m_caller;
}

TapiResult CMyLine::OpenLine() {
    TapiLineCaps caps;
    const uint32_t dwMedia =
        GetDevCaps(&caps) == 0 ? (caps.dwMediaModes & kMediaInteractiveVoice) : kMediaInteractiveVoice;
    const uint32_t dwPrivileges = kPrivilegeMonitor | kPrivilegeOwner;
    TapiResult r = Open(dwPrivileges, dwMedia);
    if (r == kTapiErrInvalMediaMode) {
        Status(StrPrintf("Line %ld failed open due to MEDIA MODE, retrying with only MODEM",
                         static_cast<long>(DeviceID())));
        r = Open(dwPrivileges, kMediaDataModem);
    }
    Status(StrPrintf("Line %ld opened (OWNER), rc=0x%lx", static_cast<long>(DeviceID()), Hex(r)));
    if (r == 0)
        SetStatusMessages(kLineDevStateRinging, 0);
    {
        std::lock_guard lock(m_callMutex);
        m_sUnavailable.clear();
    }
    if (r == 0)
        FollowLineStatus();
    ClearCaller();
    m_bConnected = false;
    return r;
}

TapiResult CMyLine::CloseLine() {
    {
        std::lock_guard lock(m_callMutex);
        m_pCurrent.reset();
    }
    const TapiResult r = Close();
    m_bConnected = false;
    {
        std::lock_guard lock(m_callMutex);
        m_sUnavailable.clear();
    }
    Status(StrPrintf("Line %ld closed, rc=0x%lx", static_cast<long>(DeviceID()), Hex(r)));
    return r;
}

TapiResult CMyLine::Answer() {
    auto call = Current();
    if (!call)
        return kTapiErrInvalCallHandle;
    const TapiResult r = WaitReply(call->Answer());
    Status(StrPrintf("lineAnswer, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::MakeCall(const std::string& sNumber) {
    TapiResult r;
    {
        // Held while the call is placed: its first state change, handled on
        // the message thread, must find it current already.
        std::lock_guard lock(m_callMutex);
        std::shared_ptr<CTapiCall> call;
        r = CTapiLine::MakeCall(sNumber, &call);
        if (call && !m_pCurrent)
            m_pCurrent = call;
    }
    r = WaitReply(r);
    Status(StrPrintf("lineMakeCall, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::Dial(const std::string& sNumber) {
    auto call = Current();
    const TapiResult r = call ? WaitReply(call->Dial(sNumber)) : kTapiErrInvalCallHandle;
    Status(StrPrintf("lineDial, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::GenerateDigits(const std::string& sDigits) {
    auto call = Current();
    const TapiResult r =
        call ? call->GenerateDigits(kDigitModeDtmf, sDigits) : kTapiErrInvalCallHandle;
    Status(StrPrintf("lineGenerateDigits, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::MonitorDigits() {
    auto call = Current();
    const TapiResult r = call ? call->MonitorDigits(kDigitModeDtmf) : kTapiErrInvalCallHandle;
    Status(StrPrintf("Started MonitorDigits <0x%lx>", Hex(r)));
    return r;
}

TapiResult CMyLine::SetMediaMode(uint32_t dwMediaMode) {
    auto call = Current();
    return call ? WaitReply(call->SetMediaMode(dwMediaMode)) : kTapiErrInvalCallHandle;
}

TapiResult CMyLine::Handoff(const std::string& sTarget, uint32_t dwMediaMode) {
    auto call = Current();
    return call ? call->Handoff(sTarget, dwMediaMode) : kTapiErrInvalCallHandle;
}

TapiResult CMyLine::Redirect(const std::string& sAddress) {
    auto call = Current();
    const TapiResult r = call ? WaitReply(call->Redirect(sAddress)) : kTapiErrInvalCallHandle;
    Status(StrPrintf("lineRedirect, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::BlindTransfer(const std::string& sAddress) {
    auto call = Current();
    const TapiResult r = call ? WaitReply(call->BlindTransfer(sAddress)) : kTapiErrInvalCallHandle;
    Status(StrPrintf("lineBlindTransfer, rc=0x%lx", Hex(r)));
    return r;
}

TapiResult CMyLine::Drop() {
    auto call = Current();
    const TapiResult r = call ? WaitReply(call->Drop()) : kTapiErrInvalCallHandle;
    m_bConnected = false;
    Status("OnDrop()");
    Post(kTapiMsgHangUp);
    return r;
}

uint32_t CMyLine::WaveInID() {
    auto call = Current();
    return call ? call->WaveInID() : 0;
}

uint32_t CMyLine::WaveOutID() {
    auto call = Current();
    return call ? call->WaveOutID() : 0;
}

// ---- events (the message thread) -------------------------------------------------

void CMyLine::OnNewCall(const std::shared_ptr<CTapiCall>& call) {
    {
        std::lock_guard lock(m_callMutex);
        // A second call while one is current is left alone.
        if (m_pCurrent)
            return;
        m_pCurrent = call;
    }
    Status(StrPrintf("New Call detected <0x%lx>", static_cast<unsigned long>(call->Handle())));
    Post(kTapiMsgNewCall);
}

void CMyLine::OnLineDevStateChange(uint32_t dwState) {
    if (dwState & kLineDevStateRinging) {
        Status("RING");
        Post(kTapiMsgRing);
    }
    if (dwState & (kLineDevStateInService | kLineDevStateOutOfService))
        FollowLineStatus();
    if (dwState & (kLineDevStateMsgWaitOn | kLineDevStateMsgWaitOff))
        Status(StrPrintf("Message Waiting lamp is now %s",
                         (dwState & kLineDevStateMsgWaitOn) ? "On" : "Off"));
}

void CMyLine::OnCallInfoChange(const std::shared_ptr<CTapiCall>& call, uint32_t dwInfoState) {
    if (!(dwInfoState & kCallInfoCallerId) || !IsCurrent(call))
        return;
    Status(StrPrintf("CallerID for 0x%lx", static_cast<unsigned long>(call->Handle())));
    TapiCallInfo info;
    const bool bRead = call->GetCallInfo(&info) == 0;
    TapiCallerData caller;
    caller.bPresent = true;
    if (bRead) {
        if (info.dwCallerIDFlags & kCallerIdBlocked) {
            caller.bPrivate = true;
            Status("   BLOCKED (PRIVATE)");
        }
        if (info.dwCallerIDFlags & kCallerIdOutOfArea) {
            caller.bOutOfArea = true;
            Status("   OUT OF AREA");
        }
        if (info.dwCallerIDFlags & kCallerIdAddress) {
            caller.sNumber = info.sCallerID;
            Status(StrPrintf("   Number: %s", caller.sNumber.c_str()));
        }
        if (info.dwCallerIDFlags & kCallerIdName) {
            caller.sName = info.sCallerIDName;
            Status(StrPrintf("   Name <%s>", caller.sName.c_str()));
        }
    }
    {
        std::lock_guard lock(m_callMutex);
        m_caller = caller;
    }
    Post(kTapiMsgCallerId);
}

void CMyLine::OnCallStateChange(const std::shared_ptr<CTapiCall>& call, uint32_t dwState,
                                uint32_t /*dwDetail*/) {
    if (!IsCurrent(call)) {
        // Not our call: a second call's end still frees its object.
        if (dwState == kCallIdle) {
            call->Deallocate();
            RemoveCall(call->Handle());
        }
        return;
    }
    const auto hCall = static_cast<unsigned long>(call->Handle());
    Status(StrPrintf("Call 0x%lx <%s>", hCall, CallStateName(dwState)));
    const auto handling = [this] { return m_link.handlingCall && m_link.handlingCall(); };
    switch (dwState) {
    case kCallIdle:
        Status(StrPrintf("Deallocating call 0x%lx", hCall));
        call->Deallocate();
        RemoveCall(call->Handle());
        {
            std::lock_guard lock(m_callMutex);
            m_pCurrent.reset();
        }
        m_bConnected = false;
        Post(kTapiMsgDeallocated);
        break;
    case kCallOffering:
        Status("LINECALLSTATE_OFFERING");
        call->Accept();
        break;
    case kCallDialTone:
        Status("Dial Tone");
        if (!(m_link.placingCall && m_link.placingCall()))
            m_bConnected = true;
        break;
    case kCallBusy:
        if (handling())
            Post(kTapiMsgHangUp);
        break;
    case kCallConnected:
        Status("Connected");
        m_bConnected = true;
        break;
    case kCallDisconnected:
        Status("Disconnected");
        m_bConnected = false;
        if (handling())
            Post(kTapiMsgHangUp);
        break;
    default:
        Status(StateLine(dwState));
        break;
    }
}

void CMyLine::OnDigitDetected(const std::shared_ptr<CTapiCall>&, uint32_t dwDigit, uint32_t dwMode) {
    Status(KeysPrivate()
               ? std::string("OnDigitDetected <hidden>")
               : StrPrintf("OnDigitDetected <0x%lx>", static_cast<unsigned long>(dwDigit)));
    Post(kTapiMsgDigit, dwDigit & 0xFF, static_cast<intptr_t>(dwMode));
}

void CMyLine::OnToneDetected(const std::shared_ptr<CTapiCall>&, uint32_t dwTone) {
    // A provider reports a tone by its character ('b' busy, 'd' dial tone,
    // 'c' fax calling tone); any other value is shown as '?'.
    const int ch = (dwTone >= 0x20 && dwTone < 0x7F) ? static_cast<int>(dwTone) : '?';
    Status(StrPrintf("OnToneDetected <0x%lx '%c'>", static_cast<unsigned long>(dwTone), ch));
    Post(kTapiMsgTone, static_cast<uintptr_t>(ch), static_cast<intptr_t>(dwTone));
}

void CMyLine::OnMediaModeDetected(const std::shared_ptr<CTapiCall>&, uint32_t dwMode) {
    Status(StrPrintf("OnCallMediaModeChange <0x%lx>", static_cast<unsigned long>(dwMode)));
    int ch = 0;
    if (dwMode & kMediaDataModem) {
        Status("OnCallMediaModeChange LINEMEDIAMODE_DATAMODEM");
        ch = kToneCharDataModem;
    } else if (dwMode & kMediaG3Fax) {
        Status("OnCallMediaModeChange LINEMEDIAMODE_G3FAX");
        ch = kToneCharFax;
    } else if (dwMode & kMediaG4Fax) {
        Status("OnCallMediaModeChange LINEMEDIAMODE_G4FAX");
        ch = kToneCharFax;
    }
    if (ch)
        Post(kTapiMsgTone, static_cast<uintptr_t>(ch), static_cast<intptr_t>(dwMode));
}

// ---- CMyTapi -----------------------------------------------------------------

CMyTapi::CMyTapi(ITapiProvider& provider, TapiEngineLink link)
    : m_connection(provider), m_link(std::move(link)) {}

CMyTapi::~CMyTapi() {
    Stop();
}

bool CMyTapi::Start() {
    if (m_bAvailable)
        return true;
    const TapiResult r = m_connection.Initialize(
        "Vorella",
        [this](CTapiConnection& c, uint32_t dwDevice) -> std::unique_ptr<CTapiLine> {
            return std::make_unique<CMyLine>(c, dwDevice, m_link);
        },
        kTapiVersionApp);
    m_bAvailable = r == 0;
    if (!m_bAvailable) {
        std::lock_guard lock(m_statusMutex);
        m_sStatus = LoadStr(kStrNoTapiDevices);
    }
    return m_bAvailable;
}

void CMyTapi::Stop() {
    CloseLine();
    m_connection.Shutdown();
    m_bAvailable = false;
}

std::vector<CMyTapi::LineEntry> CMyTapi::ListLines(std::string* pMessage) {
    std::vector<LineEntry> lines;
    for (size_t i = 0; i < m_connection.LineCount(); ++i) {
        CTapiLine* line = m_connection.Line(i);
        if (!line)
            continue;
        TapiLineCaps caps;
        if (line->GetDevCaps(&caps) != 0) {
            lines.push_back({line->DeviceID(), kLineUnavailable});
            continue;
        }
        if (!(caps.dwMediaModes & kMediaListable))
            continue;
        lines.push_back({line->DeviceID(), caps.sLineName.empty() ? "Line unnamed" : caps.sLineName});
    }
    if (pMessage)
        *pMessage = lines.empty() ? LoadStr(kStrNoVoiceLines) : "";
    return lines;
}

bool CMyTapi::OpenLine(uint32_t dwDeviceID) {
    CloseLine();
    auto* line = dynamic_cast<CMyLine*>(m_connection.FindLine(dwDeviceID));
    std::string why;
    if (!line)
        why = StrPrintf("there is no line %u", dwDeviceID);
    else if (const TapiResult r = line->OpenLine(); r != 0) {
        why = m_connection.Provider().OpenFailure(dwDeviceID);
        if (why.empty())
            why = StrPrintf("line %u cannot be opened (error 0x%x)", dwDeviceID,
                           static_cast<unsigned>(r));
    }
    std::lock_guard lock(m_statusMutex);
    m_sOpenError = why;
    if (!why.empty())
        return false;
    m_pOpen = line;
    return true;
}

std::string CMyTapi::OpenError() const {
    std::lock_guard lock(m_statusMutex);
    return m_sOpenError;
}

void CMyTapi::CloseLine() {
    if (CMyLine* line = m_pOpen.exchange(nullptr))
        line->CloseLine();
}

std::string CMyTapi::StatusText() const {
    if (CMyLine* line = m_pOpen.load())
        return line->StatusText();
    std::lock_guard lock(m_statusMutex);
    return m_sStatus;
}
