// The telephone device the worker drives: one seam for every kind of device.
//
// The serial voice modem and the telephony line implement it here, the USB
// adapter on top of the engine. The program registers the makers it has
// (CDeviceFactories); a kind without one gives a device that says honestly
// that it is not available, so the worker pauses and the user sees why,
// instead of a device that pretends to ring.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

struct TalkSettings;

enum class DeviceKind { SerialModem, TelephonyLine, UsbAdapter };

// The kind the settings choose: the adapter (fUseHiPhone) before a
// telephony line (nTAPI not 0), the serial voice modem otherwise.
DeviceKind ChosenDeviceKind(bool fUseHiPhone, int nTAPI);

// What the kind is called in the status line and the log ("serial voice
// modem", "telephony line", "USB telephone adapter").
std::string DeviceKindName(DeviceKind kind);

class CCommDriver;

// What the device's caller data says (telephony line, adapter).
struct DeviceCallerData {
    bool bPresent = false;
    std::string sName;
    std::string sNumber;
    std::string sRawMessage; // the adapter's raw caller-ID bytes, if any
};

// What only the serial voice modem has: its driver, with the AT commands,
// the DLE-coded voice streams and the diagnostics probes. The worker asks
// for it where a step is modem-only (speakerphone, diagnostics, the modem's
// record and play loops); every other device has none.
// How a recording from the line ended.
struct RecordResult {
    bool bOpened = false;  // the WAV file was created
    bool bSilence = false; // ended by silence detection
    int nKey = -1;         // the event or key that ended it ('Z' bad data), -1 none
    uint64_t nSamples = 0; // samples written
    int nWriteErrno = 0;   // a write failed (a full disk) and ended it: its errno
    bool bStereo = false;  // two channels (a talked call's: far end left, the PC right)
};

class ISerialModemExtras {
public:
    virtual ~ISerialModemExtras() = default;
    virtual CCommDriver& Driver() = 0;
    // The modem's set-up for calls with the caller-ID command of nCIDType.
    virtual void InitForCalls() = 0;
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
    // Releases the device as the program ends (the modem is told to let go
    // of the line, whatever stop request is raised).
    virtual void Shutdown() = 0;
    virtual bool IsOpen() const = 0;
    // Present at all (a device that is not there cannot be opened ever).
    virtual bool IsAvailable() const = 0;
    // Open and set up for calls (the modem answered its initialisation).
    // Read by the front end's thread too.
    virtual bool IsReady() const = 0;
    // Opened but not answering (the modem failed its set-up, went away).
    virtual bool DeviceFailure() const = 0;
    // Why the last Open failed, for the user; may be empty.
    virtual std::string OpenError() const = 0;
    // Why the open device cannot take calls now, for the user (a telephony
    // line whose account cannot register); empty while it can.
    virtual std::string UnavailableReason() const { return {}; }

    // The stop request: breaks every wait, play and recording of the device.
    // Safe from any thread.
    virtual void SetStopRequest(bool bStop) = 0;
    virtual bool StopRequested() const = 0;

    // Takes the line (answers in voice mode); false when the device refused.
    virtual bool GoOffHook() = 0;
    // Puts the line back and makes the device ready for the next call.
    virtual bool HangUp() = 0;
    // The line is taken for sound (plays and recordings can run).
    virtual bool InVoiceMode() const = 0;

    // Plays a WAV file to the line (already off-hook). The event character
    // that interrupted it (with bDetect), or -1 when it played to its end,
    // was stopped, or could not be played.
    virtual int PlayFile(const std::string& file, bool bDetect) = 0;
    // Records the line (already off-hook) into file until the stop request,
    // an event that onEvent says ends it (without onEvent every event does),
    // silence, the device going away or maxMs (above 10,000,000: no limit).
    virtual RecordResult Record(const std::string& file, uint64_t maxMs,
                                const std::function<bool(int ch)>& onEvent) = 0;

    // The handset on the line as the device last reported it, and whether
    // the worker follows it for the call (putting it back ends a recording).
    virtual bool HandsetOffHook() const = 0;
    virtual void SetHandsetOffHook(bool bOffHook) = 0;
    virtual bool HandsetTracking() const = 0;
    virtual void SetHandsetTracking(bool bTracking) = 0;
    // The last line event or touch-tone key (0 none; 255 while a telephony
    // line changes the call's media mode).
    virtual int LastEvent() const = 0;
    virtual void SetLastEvent(int ch) = 0;

    // The caller data the device itself holds (not the serial modem, whose
    // caller ID arrives as text lines read by the worker).
    virtual DeviceCallerData CallerData() = 0;

    // Dials number; the AT engine's result code (1 OK ... -4 no dial tone).
    virtual int Dial(const std::string& number, bool bStayOffHook) = 0;

    // Hands the current call to another program, as fax (bFax) or as modem
    // data: to sTarget ("\"program\" parameters") when given, else to
    // whichever program takes that kind of call. False when the device
    // cannot hand a call over (the modem releases its port instead).
    virtual bool HandOffCall(bool /*bFax*/, const std::string& /*sTarget*/) { return false; }

    // Forwarding: the offered call sent on to sTarget unanswered (bAnswered
    // false), or the call in progress transferred there. False, with *pWhy
    // in words for the user, when the device or the far end cannot.
    virtual bool ForwardCall(const std::string& /*sTarget*/, bool /*bAnswered*/,
                             std::string* pWhy) {
        *pWhy = "the " + DeviceKindName(Kind()) + " cannot forward a call";
        return false;
    }

    // Talking at the PC: the call's sound between the line and the
    // computer's sound card (TalkSettings: which card, its levels), for the
    // call offered or in progress. While the device talks, PlayFile plays to
    // the far end in place of the microphone and Record records the
    // conversation. False, with *pWhy in words for the user, when it cannot
    // (the modem has a speakerphone of its own instead; a card that cannot
    // open).
    virtual bool StartTalking(const TalkSettings& /*settings*/, std::string* pWhy) {
        *pWhy = DeviceKindName(Kind()) + " cannot talk at the PC";
        return false;
    }
    // Lets go of the sound card; safe when not talking.
    virtual void StopTalking() {}
    // Started and not yet stopped (the card may have failed meanwhile).
    virtual bool Talking() const { return false; }
    // Why talking stopped by itself (the card went away); empty otherwise.
    virtual std::string TalkFailure() const { return {}; }
    // The card's speaker volume (0..100) and its microphone's mute.
    virtual void SetTalkLevels(int /*nVolume*/, bool /*bMute*/) {}

    // Where a device whose events come on its own threads (a telephony
    // line) posts them: the worker's thread messages. An empty sink stops it.
    virtual void
    SetEventSink(std::function<void(int nMessage, uintptr_t wParam, intptr_t lParam)>) {}

    // The serial modem's own extras; nullptr on every other device.
    virtual ISerialModemExtras* SerialExtras() { return nullptr; }
};

// The state every device other than the modem keeps alike: the stop
// request, the handset and the last event (the modem's driver keeps its
// own, read by its waits).
class CTelephoneDeviceState : public ITelephoneDevice {
public:
    void SetStopRequest(bool bStop) override { m_bStopRequest = bStop; }
    bool StopRequested() const override { return m_bStopRequest; }
    bool HandsetOffHook() const override { return m_bHandsetOffHook; }
    void SetHandsetOffHook(bool bOffHook) override { m_bHandsetOffHook = bOffHook; }
    bool HandsetTracking() const override { return m_bHandsetTracking; }
    void SetHandsetTracking(bool bTracking) override { m_bHandsetTracking = bTracking; }
    int LastEvent() const override { return m_nLastEvent; }
    void SetLastEvent(int ch) override { m_nLastEvent = ch; }

private:
    std::atomic<bool> m_bStopRequest{false};
    std::atomic<bool> m_bHandsetOffHook{false};
    std::atomic<bool> m_bHandsetTracking{false};
    std::atomic<int> m_nLastEvent{0};
};

// A device of a kind this build cannot drive (no adapter), or one its maker
// could not make (sWhy: why, its OpenError): never available, every
// operation fails.
std::unique_ptr<ITelephoneDevice> MakeUnavailableDevice(DeviceKind kind, std::string sWhy = {});

class IDeviceHost;
// Makes a device of one kind for the host, with the settings of the moment.
using DeviceFactory = std::function<std::unique_ptr<ITelephoneDevice>(IDeviceHost& host)>;

// The makers of the devices the engine can drive, one for each kind. The
// program registers those it has at start-up (tests register their own the
// same way); choosing a kind without one gives the unavailable device.
// Safe from any thread.
class CDeviceFactories {
public:
    // Sets the maker of kind; an empty factory removes it.
    void Register(DeviceKind kind, DeviceFactory factory);
    bool Has(DeviceKind kind) const;
    // A device of kind from its maker, or the unavailable device when there
    // is no maker or it made none.
    std::unique_ptr<ITelephoneDevice> Make(DeviceKind kind, IDeviceHost& host) const;

private:
    mutable std::mutex m_mutex;
    std::map<DeviceKind, DeviceFactory> m_factories; // under m_mutex
};
