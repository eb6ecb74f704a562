// The serial voice modem as the worker's telephone device.
#pragma once

#include "engine/TelephoneDevice.h"

class CPhone;

class CSerialModemDevice : public ITelephoneDevice {
public:
    explicit CSerialModemDevice(CPhone& phone) : m_phone(phone) {}
    DeviceKind Kind() const override { return DeviceKind::SerialModem; }
    // Opens COM<nComPort> when it is closed (scanning the ports for a modem
    // when none is set, the first time) and initialises the modem for
    // calls, with the caller-ID set-up of nCIDType.
    bool Open() override;
    void Close(bool bDeInit) override;
    bool IsOpen() const override;
    bool IsAvailable() const override { return true; }
    // Voice set-up and answer, unless the line is already taken in voice mode.
    bool GoOffHook() override;
    // Hangs up (once more when the first attempt is not confirmed) and
    // initialises the modem for the next call.
    bool HangUp() override;
    DeviceCallerData CallerData() override { return {}; }
    int Dial(const std::string& number, bool bStayOffHook) override;

    // Initialisation for calls: the modem's set-up and the caller-ID command.
    void InitForCalls();

private:
    CPhone& m_phone;
    bool m_bScanned = false; // the port scan has run (nComPort was below 1)
};
