// CPhone: the phone object. Every user setting as a field, the modem command
// profile and the trace, the device the worker drives (with the serial modem
// driver while that device is a modem), and the two loops that move sound between
// the line and a WAV file (record from the modem, play a file to it).
//
// One instance per engine; it owns the state of the call in progress (the
// worker writes it, everyone else reads copies and posts requests). The
// worker thread owns the device; the UI thread reads the settings, changes them only
// while the worker is paused, and may raise the stop request, the mute flag
// or clear the fax deadline at any time.
#pragma once

#include "audio/SilenceDetection.h"
#include "audio/VoiceCodec.h"
#include "config/Settings.h"
#include "engine/CallState.h"
#include "engine/DeviceHost.h"
#include "engine/TelephoneDevice.h"
#include "modem/CommDriver.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class IUiBridge;

using ModemRecordResult = RecordResult;

class CPhone : public CPhoneSettings, public IDeviceHost, public IModemSound {
public:
    // Loads nothing: the settings stay zeroed until LoadAll() (tests fill
    // the fields they need by hand).
    CPhone();
    ~CPhone();
    CPhone(const CPhone&) = delete;
    CPhone& operator=(const CPhone&) = delete;

    // Loads the modem profile named by the settings when they choose a
    // modem, then every setting.
    void LoadAll();
    // Saves every setting and the profile; false when a file could not be
    // written, and sError (when given) then says which and why.
    bool SaveAll(std::string* sError = nullptr);
    // After the settings changed: a modem loads the profile of the modem
    // chosen and its type code (no other device has a use for them); the
    // trace takes the debug level.
    void FollowSettings();

    // The volume chosen for what is played (m_iVolume), on the worker's
    // thread: the phone's at once, and written to the settings with bSave
    // (a failure is said on the status line).
    void KeepVolume(int nPercent, bool bSave);

    // The state of the call in progress.
    CCallState& CallState() override { return m_callState; }
    const CCallState& CallState() const { return m_callState; }

    // The front end the phone reports its status line to (never null).
    void SetUi(IUiBridge* pUi);
    IUiBridge& Ui() const override { return *m_pUi; }
    void SetStatusText(const std::string& text) override;
    std::string StatusText() const;

    // The makers of the devices: the serial modem (on a driver made for it)
    // and the telephony line are there from the start; the program adds
    // the USB adapter, a test its own devices.
    CDeviceFactories& DeviceFactories() { return m_factories; }
    // The device in use, chosen from nTAPI and fUseHiPhone and made by its
    // maker. Rebuilt by ChooseDevice() after the settings changed (worker
    // paused).
    void ChooseDevice();
    // Where a device with threads of its own posts its events (the worker's
    // thread messages); kept for every device ChooseDevice() makes later.
    void
    SetDeviceEventSink(std::function<void(int nMessage, uintptr_t wParam, intptr_t lParam)> sink);
    ITelephoneDevice& Device() { return *m_pDevice; }
    const ITelephoneDevice& Device() const { return *m_pDevice; }
    bool IsSerialModem() const { return m_pDevice->Kind() == DeviceKind::SerialModem; }
    // The driver settings (port, time-outs, key table, silence detection):
    // every device kind reads them.
    const CDriverSettings& DriverSettings() const override { return m_driverSettings; }
    CDriverSettings& DriverSettings() { return m_driverSettings; }
    // The command profile of the modem chosen. Only a modem loads it (and
    // the start-up, which reads a setting's default from it); other
    // devices, and the settings dialogs, read what it holds.
    const CModemProfile& Profile() const { return m_profile; }
    CModemProfile& Profile() { return m_profile; }
    // One line into the program's trace ("modem.log" when nDebugLevel is set).
    void Trace(const std::string& text) override { m_trace.Log(text, ""); }
    // The serial port and AT driver, on the profile, settings and trace
    // above: there only while the device chosen is the serial modem,
    // nullptr otherwise.
    CCommDriver* ModemDriver() { return m_pModemDriver.get(); }
    const CCommDriver* ModemDriver() const { return m_pModemDriver.get(); }

    // IDeviceHost
    const CPhoneSettings& Settings() const override { return *this; }
    bool Muted() const override { return m_bMute; }
    bool Closing() const override { return m_bClosing; }
    std::atomic<uint64_t>& PlayedSamples() override { return m_nPlayedSamples; }

    // Records voice from the modem (already off-hook) into file until the
    // stop request, an event that onEvent says ends it, silence, bad data,
    // the modem going away or maxMs (above 10,000,000: no limit). onEvent
    // gets every line event (key, busy, dial tone ...); without it every
    // event ends the recording.
    ModemRecordResult RecordFromModem(const std::string& file, uint64_t maxMs,
                                      const std::function<bool(int ch)>& onEvent = {}) override;
    // Plays a WAV file to the line in voice transmit mode. The event
    // character that interrupted it (with bDetect), or -1 when it played to
    // its end, was stopped, or could not be played.
    int PlayFile(const std::string& file, bool bDetect) override;
    // A play or recording that failed: in the trace each time, on the status
    // line when it is not the one told last (a hold sound that cannot be
    // read fails at every turn of its loop). A sound that plays or records
    // clears it.
    void TellSoundProblem(const std::string& text);
    void SoundWorks();

    CWorkerSettings m_workerSettings; // the worker's data path (Options/sPath)

    // Shared with the UI thread.
    std::atomic<bool> m_bMute{false};         // record and play silence
    std::atomic<bool> m_bEnhancedHold{false}; // the enhanced hold runs (keys go to it)
    std::atomic<bool> m_bDetectEvents{false}; // the enhanced hold wants line events
    std::atomic<bool> m_bClosing{false};      // the worker is shutting the phone down
    std::atomic<uint32_t> m_dwFaxDeadline{0}; // tick count; 0 = no fax hand-off running
    std::atomic<bool> m_bHoldEvent{false};    // the enhanced hold saw a key or tone

    // Samples the last PlayFile sent and the last RecordFromModem wrote.
    std::atomic<uint64_t> m_nPlayedSamples{0};

    // The modem's voice format and the soft gain control, for its codecs.
    VoiceCodecSettings CodecSettings() const;

private:
    // The modem's driver, made for the serial modem device when none is
    // there (it stays while the modem is chosen anew, the port with it).
    CCommDriver& MakeModemDriver();
    // The trace, and the driver's file emulation, follow nDebugLevel.
    void FollowDebugLevel();

    CCallState m_callState;
    IUiBridge* m_pUi;
    std::unique_ptr<IUiBridge> m_pOwnUi;
    CModemProfile m_profile;
    CDriverSettings m_driverSettings;
    CModemTrace m_trace;
    std::unique_ptr<IModemUi> m_pModemUi;
    // Declared before the device, which holds it, and gone before the parts
    // it is on.
    std::unique_ptr<CCommDriver> m_pModemDriver;
    CDeviceFactories m_factories;
    std::unique_ptr<ITelephoneDevice> m_pDevice;
    std::function<void(int, uintptr_t, intptr_t)> m_deviceSink;
    CLevelNormalizer m_normalizer;
    mutable std::mutex m_statusMutex;
    std::string m_sStatus;
    std::string m_sSoundProblemTold; // under m_statusMutex
};
