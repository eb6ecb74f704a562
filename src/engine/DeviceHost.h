// What a telephone device needs of the phone it serves, and no more: the
// settings as they stand, the trace and the status line, the front end's
// timers, and what the front end may change while a sound runs (mute, the
// program closing). The phone implements it; tests may give their own.
#pragma once

#include "config/Settings.h"
#include "engine/CallState.h"
#include "engine/TelephoneDevice.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class IUiBridge;

class IDeviceHost {
public:
    virtual ~IDeviceHost() = default;

    // The user's settings, and the driver settings (port, time-outs, key
    // table, silence detection) that every device reads.
    // Changed only while the worker is paused.
    virtual const CPhoneSettings& Settings() const = 0;
    virtual const CDriverSettings& DriverSettings() const = 0;

    // One line into the program's trace ("modem.log" when nDebugLevel is set).
    virtual void Trace(const std::string& text) = 0;
    // The status line of the front end.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual IUiBridge& Ui() const = 0;
    // The call in progress (the engine's; a device reads it and posts
    // requests, as any other party does).
    virtual CCallState& CallState() = 0;

    // Record and play silence (the front end's mute).
    virtual bool Muted() const = 0;
    // The worker is shutting the device down: every play and recording ends.
    virtual bool Closing() const = 0;
    // Samples the last play sent, for the front end's progress.
    virtual std::atomic<uint64_t>& PlayedSamples() = 0;
};

// The modem's own sound loops, over its voice streams (the phone's).
class IModemSound {
public:
    virtual ~IModemSound() = default;
    // Records voice from the modem (already off-hook) into file; see
    // ITelephoneDevice::Record.
    virtual RecordResult RecordFromModem(const std::string& file, uint64_t maxMs,
                                         const std::function<bool(int ch)>& onEvent) = 0;
    // Plays a WAV file to the line in voice transmit mode; see
    // ITelephoneDevice::PlayFile.
    virtual int PlayFile(const std::string& file, bool bDetect) = 0;
};
