// The byte channel of CCommDriver: the port, its time-out sets, the modem
// log and the file emulation.
#include "modem/CommDriver.h"

#include "config/SettingsStore.h"
#include "modem/ModemLog.h"
#include "platform/Event.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPorts.h"
#include "platform/TickCount.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kMax = SerialTimeouts::kMaxDword;

// A zero time-out in a settings file would turn "wait up to" into "wait
// for ever" on the classic rules; one millisecond keeps its intent.
uint32_t AtLeastOne(int ms) {
    return ms > 0 ? static_cast<uint32_t>(ms) : 1u;
}

ManualResetEvent& BusyEvent() {
    return NamedEvent("Tavrin Comm Driver Busy", true);
}

} // namespace

void CCommDriver::MarkBusy(bool bBusy) {
    if (bBusy)
        BusyEvent().Reset();
    else
        BusyEvent().Set();
}

CCommDriver::CCommDriver(IModemUi* pUi)
    : m_pOwn(std::make_unique<OwnParts>()), m_profile(m_pOwn->profile),
      m_settings(m_pOwn->settings), m_trace(m_pOwn->trace), m_pUi(pUi ? pUi : &m_silentUi) {
    SetDriverDefaults(m_settings);
}

CCommDriver::CCommDriver(CModemProfile& profile, CDriverSettings& settings, CModemTrace& trace,
                         IModemUi* pUi)
    : m_profile(profile), m_settings(settings), m_trace(trace), m_pUi(pUi ? pUi : &m_silentUi) {}

CCommDriver::~CCommDriver() {
    Close(false);
}

void CCommDriver::SetDebugLevel(int nDebugLevel) {
    m_trace.SetDebugLevel(nDebugLevel);
    m_bFileEmulation = nDebugLevel == 4;
}

int CCommDriver::Open(int nPort, uint32_t dwBaud) {
    if (m_bFileEmulation)
        return OpenDevice("", dwBaud);
    std::string sDevice = nPort >= 1 && nPort <= kMaxComPort ? ComPortDevice(nPort) : "";
    if (sDevice.empty()) {
        m_bInitialized = m_bVoiceMode = m_bHandsetOffHook = false;
        std::lock_guard lock(m_ioLock);
        m_sOpenError = "COM" + std::to_string(nPort) + " has no device in [Ports]";
        return kInvalidHandle;
    }
    int h = OpenDevice(sDevice, dwBaud);
    if (h != kInvalidHandle)
        m_nPort = nPort;
    return h;
}

std::string CCommDriver::OpenError() const {
    std::lock_guard lock(m_ioLock);
    return m_sOpenError;
}

int CCommDriver::OpenDevice(const std::string& sDevice, uint32_t dwBaud) {
    std::lock_guard lock(m_ioLock);
    m_nDeviceFailure = 0;
    m_bInitialized = false;
    m_bStopRequest = false;
    m_bVoiceMode = false;
    m_nEmulationOffset = 0;
    m_bHandsetOffHook = false;
    m_voiceCarry.clear();
    if (m_bFileEmulation) {
        m_hPort = 1;
        return 1;
    }
    std::string sError, sNotes;
    if (!m_port.Open(sDevice, dwBaud, &sError, &sNotes)) {
        m_hPort = kInvalidHandle;
        m_sOpenError = sError;
        return kInvalidHandle;
    }
    m_sOpenError.clear();
    if (!sNotes.empty() && !m_bControlLinesNoted) {
        m_bControlLinesNoted = true;
        Log(sNotes, "Port: ");
    }
    m_dwBaud = dwBaud;
    m_hPort = m_port.Fd();
    SetDefaultTimeouts();
    return m_hPort;
}

bool CCommDriver::Close(bool bDeInit) {
    std::lock_guard lock(m_ioLock);
    BusyScope busy;
    m_bHandsetOffHook = false;
    if (m_bFileEmulation) {
        m_hPort = kInvalidHandle;
        m_nEmulationOffset = 0;
        return true;
    }
    if (m_port.IsOpen()) {
        if (bDeInit) {
            CancelIo();
            SetDefaultTimeouts();
            Purge(kPurgeAll);
            CommOut(m_profile.sCmdDeInit, kModeResult);
            Purge(kPurgeAll);
        }
        m_port.Close(bDeInit);
    }
    m_hPort = kInvalidHandle;
    m_nEmulationOffset = 0;
    m_voiceCarry.clear();
    ClearHeldCallData(); // a call seen before the port closed is not the next one's
    return true;
}

void CCommDriver::PortFailed() {
    if (!m_nDeviceFailure)
        Log("the device failed or was removed", "Port: ");
    m_nDeviceFailure = 1;
    SetStopRequest(true);
}

int CCommDriver::Read(void* pBuffer, int nCount, int* pnRead) {
    int n = 0;
    if (!IsOpen() || nCount <= 0)
        n = 0;
    else if (m_bFileEmulation)
        n = EmulationRead(pBuffer);
    else {
        std::lock_guard lock(m_ioLock);
        BusyScope busy;
        n = m_port.Read(pBuffer, static_cast<size_t>(nCount));
        if (n < 0) {
            PortFailed();
            n = 0;
        }
    }
    if (pnRead)
        *pnRead = n;
    return n;
}

int CCommDriver::ReadByte(unsigned char* pByte) {
    return Read(pByte, 1) == 1 ? 1 : 0;
}

int CCommDriver::Write(const void* pBuffer, int nCount, int* pnWritten) {
    int n = 0;
    if (!IsOpen() || nCount <= 0)
        n = 0;
    else if (m_bFileEmulation)
        n = EmulationWrite(pBuffer, nCount);
    else {
        std::lock_guard lock(m_ioLock);
        BusyScope busy;
        n = m_port.Write(pBuffer, static_cast<size_t>(nCount));
        if (n <= 0) {
            // A write that moves nothing means the line is gone or stuck.
            PortFailed();
            n = 0;
        }
    }
    if (pnWritten)
        *pnWritten = n;
    return n;
}

void CCommDriver::WriteByte(unsigned char b) {
    if (IsOpen() && Write(&b, 1) != 1)
        SetStopRequest(true);
}

void CCommDriver::Purge(unsigned nFlags) {
    if (!IsOpen())
        return;
    std::lock_guard lock(m_ioLock);
    BusyScope busy;
    Log("", "Purge");
    if (nFlags & (kPurgeRxAbort | kPurgeRxClear))
        m_voiceCarry.clear();
    m_port.Purge(nFlags);
}

void CCommDriver::SetDefaultTimeouts() {
    m_port.SetTimeouts({kMax, kMax, AtLeastOne(m_settings.dwTimeoutDefault),
                        static_cast<uint32_t>(m_settings.dwTimeoutQuant),
                        AtLeastOne(m_settings.dwTimeoutDefault)});
}

void CCommDriver::SetImmediateTimeouts() {
    m_port.SetTimeouts({kMax, 0, 0, static_cast<uint32_t>(m_settings.dwTimeoutQuant),
                        AtLeastOne(m_settings.dwTimeoutDefault)});
}

void CCommDriver::SetQuantumTimeouts() {
    uint32_t q = AtLeastOne(m_settings.dwTimeoutQuant);
    m_port.SetTimeouts({q, q, q, q, AtLeastOne(m_settings.dwTimeoutDefault)});
}

bool CCommDriver::SetEventMask(uint32_t) {
    return IsOpen();
}

bool CCommDriver::WaitCommEvent(uint32_t* pMask, uint32_t dwTimeoutMs) {
    if (pMask)
        *pMask = 0;
    if (!IsOpen() || m_bFileEmulation)
        return false;
    std::lock_guard lock(m_ioLock);
    if (!m_port.WaitForInput(dwTimeoutMs))
        return false;
    if (m_port.Failed()) {
        PortFailed();
        return false;
    }
    if (pMask)
        *pMask = EV_RXCHAR;
    return true;
}

// Every port operation here completes (or times out) before it returns, so
// there is never an operation pending to cancel.
void CCommDriver::CancelIo() {}

void CCommDriver::SetStopRequest(bool bStop) {
    m_bStopRequest = bStop;
    if (bStop)
        m_port.Wake();
}

void CCommDriver::Log(std::string_view sText, std::string_view sPrefix) {
    m_trace.Log(sText, sPrefix);
}

int CCommDriver::EmulationRead(void* pBuffer) {
    std::FILE* f = std::fopen((GetProgramFolder() + "fFrom").c_str(), "rb");
    if (!f)
        return 0;
    int c = EOF;
    if (std::fseek(f, m_nEmulationOffset, SEEK_SET) == 0)
        c = std::fgetc(f);
    std::fclose(f);
    // Past the end of the file there is no byte to deliver: report none
    // rather than a stale one, so that waits time out as with a silent modem.
    if (c == EOF)
        return 0;
    *static_cast<unsigned char*>(pBuffer) = static_cast<unsigned char>(c);
    ++m_nEmulationOffset;
    return 1;
}

int CCommDriver::EmulationWrite(const void* pBuffer, int nCount) {
    const char* p = static_cast<const char*>(pBuffer);
    size_t len = strnlen(p, static_cast<size_t>(nCount));
    std::FILE* f = std::fopen((GetProgramFolder() + "fTo").c_str(), "ab");
    if (!f)
        return 0;
    std::fwrite(p, 1, len, f);
    std::fclose(f);
    return static_cast<int>(len);
}
