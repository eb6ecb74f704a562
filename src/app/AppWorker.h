// What the application core asks of the phone object and its worker thread.
//
// The hidden window's commands and the start-up and shutdown steps reach the
// engine only through this interface: the programs give the real phone and
// worker, the tests a scripted fake, so the core's waits and orders can be
// checked without a modem. The state of the call in progress is the
// engine's: the core reads its copies and posts its requests.
#pragma once

#include "app/HandOver.h"
#include "app/OptionsLogic.h"
#include "engine/CallState.h"
#include "engine/DiagnosticsRun.h"

#include <cstdint>
#include <memory>
#include <string>

class CCallEventPublisher;
class CCallLog;
class IGreetingLine;

class IAppWorker {
public:
    virtual ~IAppWorker() = default;

    // Settings the core needs from the phone object.
    virtual bool StartDisabled() const = 0;
    virtual uint32_t TimeoutDefault() const = 0; // dwTimeoutDefault, ms
    // The settings name no device to open yet (a serial modem without a
    // port): the set-up has to run first.
    virtual bool NeedsSetup() const { return false; }

    // The engine's state of the call in progress: copies and requests.
    virtual CCallState& CallState() = 0;
    virtual const CCallState& CallState() const = 0;

    // Starts the worker thread; it waits for nothing else before its first step.
    virtual void Start() = 0;
    // The folder the worker puts "Recorded Calls/" under.
    virtual void SetDataPath(const std::string& sPath) = 0;
    // Waits at most timeoutMs for the worker thread to end; true when it has.
    virtual bool WaitEnded(uint32_t timeoutMs) = 0;

    // The modem port is closed (the worker closes it while paused).
    virtual bool IsPortClosed() const = 0;
    // The phone is busy with the device (switching, initialising).
    virtual bool IsBusy() const = 0;
    // The modem driver has initialised the device for calls.
    virtual bool IsReady() const = 0;
    // A call is being handled (ringing, off-hook, recording ...).
    virtual bool IsCallActive() const = 0;
    // The device can talk at the PC (a telephony line; not a modem, whose
    // speakerphone is its own, nor the adapter).
    virtual bool CanTalkAtPc() const { return false; }
    // Why the open device cannot take calls now ("" when it can).
    virtual std::string DeviceUnavailable() const { return {}; }

    // The modem driver's stop request: breaks a running wait, play or record.
    virtual void SetStopRequest(bool bStop) = 0;
    // The phone's exit request, the last thing the orderly exit sets.
    virtual void SetExitRequest() = 0;
    // Forgets the calls counted but not yet shown.
    virtual void ClearPendingCalls() = 0;
    // The main window's timer 3 for a call offered without a ring: the
    // worker sets the device's handset flag when it has counted no ring for
    // the call and no stop is pending, else clears it, afterMs from now.
    // Cancel: the timer was stopped before it ran out.
    virtual void RequestHandsetFlag(bool /*bStopPending*/, uint32_t /*afterMs*/) {}
    virtual void CancelHandsetFlag() {}
    // Stops the call being handled: hang up at the next step.
    virtual void StopCall() = 0;
    // Stops a recording (or a play) but keeps the line.
    virtual void StopRecording() = 0;
    // The imitated ring of "Imitate incoming ring".
    virtual void ImitateRing() = 0;
    // The stored online/away state (nAction): 0 online, 1 away.
    virtual void SetStoredAction(int nAction) = 0;

    // The one writer of the call folders' indexes, shared by the worker and
    // the window.
    virtual CCallLog& CallLog() = 0;

    // The worker's current file: the recording or message of the call.
    virtual std::string CurrentFile() const = 0;
    virtual void SetCurrentFile(const std::string& sFile) = 0;
    // The file a play request (action 2) plays to the line.
    virtual void SetPlayFile(const std::string& sFile) = 0;
    // Dials sNumber (WM_USER+2); bSpeak keeps the line for talking.
    virtual void Dial(const std::string& sNumber, bool bSpeak) = 0;
    // The caller data came from another program (external control).
    virtual void MarkExternalCallerId() = 0;
    // A request or flag was just set: the worker should look now rather
    // than at the end of its current wait for the modem.
    virtual void Wake() {}
    // The tray state (the worker keeps the ring sound quiet in some).
    virtual void SetTrayState(int /*nState*/) {}
    // The main window's volume (m_iVolume) and mute for what the phone plays.
    virtual void SetPlaybackVolume(int /*nPercent*/) {}
    virtual void SetMute(bool /*bMute*/) {}
    // The greeting recorder's way to the line (none without a line), and the
    // greeting it kept (sWaveGreet), for the settings the worker saves.
    virtual IGreetingLine* GreetingLine() { return nullptr; }
    // The modem diagnostics run on the worker (action 16): start one (or
    // follow the one running), look at its report, give it up.
    virtual DiagnosticsState StartDiagnostics() { return DiagnosticsState::NoModem; }
    virtual DiagnosticsProgress DiagnosticsNow() const { return {}; }
    virtual void CancelDiagnostics() {}
    virtual void SetGreetingFile(const std::string& /*sFile*/) {}
    // What happens on the line, to subscribe to (none without a worker).
    virtual CCallEventPublisher* CallEvents() { return nullptr; }
    // A failure of a service beside the worker (the MQTT broker), told where
    // the worker tells its own: the log and the status line. Any thread.
    virtual void ReportProblem(const std::string& /*text*/) {}

    // The options dialog's values from the settings the worker holds, read
    // on its thread between two steps (it alone touches them while it runs).
    virtual void ReadOptions(std::shared_ptr<CHandOver<OptionsValues>> out) = 0;
    // The dialog's OK: between two steps the worker writes the values into
    // its settings, reloads the modem profile, runs the modem type check,
    // picks the device anew when its kind changed and saves every setting;
    // the next call is handled with them.
    virtual void ApplyOptions(const OptionsValues& values,
                              std::shared_ptr<CHandOver<OptionsOutcome>> out) = 0;
};
