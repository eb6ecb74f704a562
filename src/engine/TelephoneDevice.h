// The telephone device the worker drives: one seam for every kind of device.
//
// The serial voice modem implements it today. A telephony line and the USB
// adapter plug in here later; until they exist, choosing one gives a device
// that says honestly that it is not available, so the worker pauses and the
// user sees why, instead of a device that pretends to ring.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

enum class DeviceKind { SerialModem, TelephonyLine, UsbAdapter };

// What the device's caller data says (telephony line, adapter).
struct DeviceCallerData {
    bool bPresent = false;
    std::string sName;
    std::string sNumber;
    std::string sRawMessage; // the adapter's raw caller-ID bytes, if any
};

class ITelephoneDevice {
public:
    virtual ~ITelephoneDevice() = default;
    virtual DeviceKind Kind() const = 0;

    // Opens the device for monitoring (the modem: open the port, initialise
    // for calls). False when it cannot be opened now.
    virtual bool Open() = 0;
    // Releases the device. bDeInit: send the modem its de-initialisation.
    virtual void Close(bool bDeInit) = 0;
    virtual bool IsOpen() const = 0;
    // Present at all (a device that is not there cannot be opened ever).
    virtual bool IsAvailable() const = 0;

    // Takes the line (answers in voice mode); false when the device refused.
    virtual bool GoOffHook() = 0;
    // Puts the line back and makes the device ready for the next call.
    virtual bool HangUp() = 0;

    // The caller data the device itself holds (not the serial modem, whose
    // caller ID arrives as text lines read by the worker).
    virtual DeviceCallerData CallerData() = 0;

    // Dials number; the AT engine's result code (1 OK ... -4 no dial tone).
    virtual int Dial(const std::string& number, bool bStayOffHook) = 0;
};

// A device of a kind this build cannot drive (no telephony line provider,
// no adapter): never available, every operation fails.
std::unique_ptr<ITelephoneDevice> MakeUnavailableDevice(DeviceKind kind);

// "not available" text for the status line and the log.
std::string DeviceKindName(DeviceKind kind);
