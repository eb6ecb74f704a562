// The serial voice modem as the worker's telephone device. The modem's own
// extras (AT commands, voice streams, diagnostics) stay behind the seam, in
// its driver, reached through SerialExtras().
#pragma once

#include "engine/DeviceHost.h"
#include "engine/TelephoneDevice.h"
#include "modem/CommDriver.h"

class CSerialModemDevice : public ITelephoneDevice, public ISerialModemExtras {
public:
    // The modem on driver, with its sound loops and the host's settings.
    CSerialModemDevice(IDeviceHost& host, CCommDriver& driver, IModemSound& sound)
        : m_host(host), m_driver(driver), m_sound(sound) {}
    DeviceKind Kind() const override { return DeviceKind::SerialModem; }
    // Opens COM<nComPort> when it is closed (scanning the ports for a modem
    // when none is set, the first time) and initialises the modem for
    // calls, with the caller-ID set-up of nCIDType.
    bool Open() override;
    void Close(bool bDeInit) override;
    void Shutdown() override;
    bool IsOpen() const override;
    bool IsAvailable() const override { return true; }
    bool IsReady() const override;
    bool DeviceFailure() const override;
    std::string OpenError() const override;
    void SetStopRequest(bool bStop) override;
    bool StopRequested() const override;
    // Voice set-up and answer, unless the line is already taken in voice mode.
    bool GoOffHook() override;
    // Hangs up (once more when the first attempt is not confirmed) and
    // initialises the modem for the next call.
    bool HangUp() override;
    bool InVoiceMode() const override;
    // The modem's voice transmit and receive loops.
    int PlayFile(const std::string& file, bool bDetect) override;
    RecordResult Record(const std::string& file, uint64_t maxMs,
                        const std::function<bool(int ch)>& onEvent) override;
    bool HandsetOffHook() const override;
    void SetHandsetOffHook(bool bOffHook) override;
    bool HandsetTracking() const override;
    void SetHandsetTracking(bool bTracking) override;
    int LastEvent() const override;
    void SetLastEvent(int ch) override;
    DeviceCallerData CallerData() override { return {}; }
    int Dial(const std::string& number, bool bStayOffHook) override;
    ISerialModemExtras* SerialExtras() override { return this; }

    // ISerialModemExtras
    CCommDriver& Driver() override;
    void InitForCalls() override;

private:
    IDeviceHost& m_host;
    CCommDriver& m_driver;
    IModemSound& m_sound;
    bool m_bScanned = false; // the port scan has run (nComPort was below 1)
};
