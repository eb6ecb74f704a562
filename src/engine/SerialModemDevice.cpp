#include "engine/SerialModemDevice.h"

#include "engine/CallState.h"
#include "engine/RingRules.h"
#include "modem/ModemSetup.h"
#include "modem/ResultCodes.h"

#include <algorithm>

bool CSerialModemDevice::Open() {
    CCommDriver& drv = m_driver;
    if (!drv.IsOpen()) {
        uint32_t baud = m_host.Settings().dwBaudRate > 0 ? static_cast<uint32_t>(m_host.Settings().dwBaudRate) : 115200;
        // Multi-bit ADPCM at 3 or 4 bits needs the profile's slower rate
        // (never above 115200); at 2 bits the port keeps its own.
        if (drv.Profile().nCompression == 4 && drv.Profile().nCompressionBS != 2 &&
            drv.Profile().dwBaudRateMax > 0)
            baud = std::min({baud, static_cast<uint32_t>(drv.Profile().dwBaudRateMax), 115200u});
        // With no port set, the scan runs once for this device: a scan that
        // found nothing would find nothing again at every retry, asking
        // its question and showing its message each time.
        if (drv.Settings().nComPort < 1 && m_bScanned)
            return false;
        m_bScanned = m_bScanned || drv.Settings().nComPort < 1;
        // The type code follows the modem's name at every open.
        if (OpenModemPort(drv, m_host.Settings().sModem, drv.Settings().nComPort, baud) != 0)
            return false;
    }
    InitForCalls();
    return drv.IsOpen();
}

void CSerialModemDevice::InitForCalls() {
    CCommDriver& drv = m_driver;
    drv.InitModem();
    if (!drv.m_bInitialized)
        return;
    CidSetup setup = CallerIdSetupFor(m_host.Settings().nCIDType);
    try {
        if (setup.kind == CidSetup::Hardware && !drv.Profile().sCmdEnableHardwareCID.empty())
            drv.CommOut(drv.Profile().sCmdEnableHardwareCID, kModeResult);
        else if (setup.kind == CidSetup::American)
            drv.SetAmericanCID(setup.nMode);
    } catch (const ModemCommandFailure&) {
        // A modem without caller ID still rings; the number then shows "NA".
    } catch (const ModemWriteFailure&) {
    }
}

void CSerialModemDevice::Close(bool bDeInit) {
    CCommDriver& drv = m_driver;
    if (drv.IsOpen())
        drv.Close(bDeInit);
}

bool CSerialModemDevice::IsOpen() const {
    return m_driver.IsOpen();
}

bool CSerialModemDevice::GoOffHook() {
    CCommDriver& drv = m_driver;
    if (!drv.IsOpen())
        return false;
    if (m_host.CallState().EngineState().bOffHook && drv.m_bVoiceMode)
        return true;
    if (!drv.m_bInitialized)
        InitForCalls();
    int r = drv.AnswerVoice();
    // The call is taken: rings and caller-ID lines its commands passed over
    // are this call's, not a new one's.
    drv.ClearHeldCallData();
    return r == kResultOk || r == kResultVcon || r == kResultConnect || r == kResultVoice;
}

bool CSerialModemDevice::HangUp() {
    CCommDriver& drv = m_driver;
    if (!drv.IsOpen())
        return false;
    // What the call's commands passed over belongs to the call; what the
    // set-up below passes over is the next call's.
    drv.ClearHeldCallData();
    int r = drv.Hangup();
    if (r != kResultOk)
        r = drv.Hangup();
    InitForCalls();
    return r == kResultOk;
}

int CSerialModemDevice::Dial(const std::string& number, bool bStayOffHook) {
    return m_driver.Dial(number, bStayOffHook);
}

void CSerialModemDevice::Shutdown() {
    CCommDriver& drv = m_driver;
    // The de-initialisation must wait for its answers.
    drv.SetStopRequest(false);
    if (drv.IsOpen())
        drv.Shutdown();
}

bool CSerialModemDevice::IsReady() const {
    return m_driver.IsOpen() && m_driver.m_bInitialized;
}

bool CSerialModemDevice::DeviceFailure() const {
    return m_driver.DeviceFailure() != 0;
}

std::string CSerialModemDevice::OpenError() const {
    return m_driver.OpenError();
}

void CSerialModemDevice::SetStopRequest(bool bStop) {
    m_driver.SetStopRequest(bStop);
}

bool CSerialModemDevice::StopRequested() const {
    return m_driver.StopRequested();
}

bool CSerialModemDevice::InVoiceMode() const {
    return m_driver.m_bVoiceMode;
}

bool CSerialModemDevice::HandsetOffHook() const {
    return m_driver.m_bHandsetOffHook;
}

void CSerialModemDevice::SetHandsetOffHook(bool bOffHook) {
    m_driver.m_bHandsetOffHook = bOffHook;
}

bool CSerialModemDevice::HandsetTracking() const {
    return m_driver.m_bHandsetTracking;
}

void CSerialModemDevice::SetHandsetTracking(bool bTracking) {
    m_driver.m_bHandsetTracking = bTracking;
}

int CSerialModemDevice::LastEvent() const {
    return m_driver.m_nLastEvent;
}

void CSerialModemDevice::SetLastEvent(int ch) {
    m_driver.m_nLastEvent = static_cast<unsigned char>(ch);
}

CCommDriver& CSerialModemDevice::Driver() {
    return m_driver;
}

int CSerialModemDevice::PlayFile(const std::string& file, bool bDetect) {
    return m_sound.PlayFile(file, bDetect);
}

RecordResult CSerialModemDevice::Record(const std::string& file, uint64_t maxMs,
                                        const std::function<bool(int ch)>& onEvent) {
    return m_sound.RecordFromModem(file, maxMs, onEvent);
}
