// CMultiThread: the worker thread that owns the telephone device for the
// life of the process. Its loop looks at the line at each step and hands the
// work to its parts: the rings to CRingWatcher, the requests of the UI
// thread (the request flags and nAction of the phone's CCallState) and of
// the caller (touch-tone keys) to CActionRunner, which starts recording
// (CCallRecorder), answering (CAnsweringMachine) and the plays; dialling
// out is CDialer's. The worker itself opens and closes the device, takes
// and hangs up the line, and runs the thread's request queue.
//
// The UI side starts it, signals the start event, sets flags and requests,
// posts thread messages, and at the end asks it to stop and waits for its
// end. It never waits for the worker while the worker could be waiting for
// it: everything the worker tells the front end goes through IUiBridge,
// asynchronously.
#pragma once

#include "engine/ActionRunner.h"
#include "engine/AnsweringMachine.h"
#include "engine/CallControl.h"
#include "engine/CallEvents.h"
#include "engine/CallHistory.h"
#include "engine/CallProgram.h"
#include "engine/CallRecorder.h"
#include "engine/CallState.h"
#include "engine/CallerAnnouncer.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/DiagnosticsRun.h"
#include "engine/Dialer.h"
#include "engine/MessageForwarder.h"
#include "engine/MissedCallMail.h"
#include "engine/Number.h"
#include "engine/RemoteMenu.h"
#include "engine/RingWatcher.h"
#include "engine/TextNotice.h"
#include "engine/ThreadMessages.h"
#include "engine/UiBridge.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CCallLog;
class CPhone;

class CMultiThread final : private ICallControl, private IRingHost, private IActionHost {
public:
    // The worker uses phone, reports to ui and stores its calls in callLog;
    // all three outlive it.
    CMultiThread(CPhone& phone, IUiBridge& ui, CCallLog& callLog);
    // Asks the thread to stop and joins it.
    ~CMultiThread();
    CMultiThread(const CMultiThread&) = delete;
    CMultiThread& operator=(const CMultiThread&) = delete;

    // ---- lifetime (UI thread) -----------------------------------------
    // Starts the thread. It waits at most startTimeoutMs for SignalStart()
    // before it begins to monitor.
    bool Start(uint32_t startTimeoutMs = 10000);
    void SignalStart();
    // Asks the loop to end (its own stop flag; the call state's bShuttingDown
    // does the same for the whole engine) and breaks any wait of the driver.
    void RequestStop();
    // Waits until the thread has finished (settings saved, device closed).
    // True when it did within timeoutMs; Join() then reaps it.
    bool WaitForEnd(uint32_t timeoutMs);
    void Join();
    bool IsRunning() const { return m_bRunning.load(); }

    // ---- requests (any thread) ----------------------------------------
    // PostThreadMessage: queues one of the WorkerMessage codes.
    bool PostThreadMessage(int message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // The number a dial request (kMsgDial) dials.
    void SetDialNumber(const std::string& number) { m_dialer.SetNumber(number); }
    // External control's "speak" flag: a dialled call stays off-hook.
    void SetSpeak(bool bSpeak) { m_dialer.SetSpeak(bSpeak); }
    // The file for action 2 (and 6, 9 when set); the hidden window's m_sPlayFile.
    void SetPlayFile(const std::string& file) { m_actions.SetPlayFile(file); }
    // The folder recordings go to, overriding the main window's choice ("" none).
    void SetTargetFolder(const std::string& folder) { m_recorder.SetTargetFolder(folder); }
    // The name external control asked for (customised naming only).
    void SetRequestedFileName(const std::string& name) { m_recorder.SetRequestedFileName(name); }
    // Forgets the rings counted for the call now ringing (the "Online"
    // command): its rings-ended step, handset recording and notice do not run.
    void ClearPendingCalls();
    // The main window's timer 3 has run out for a call offered without a
    // ring: the device's handset flag is set when no ring has been counted
    // for the call and no stop is pending, else cleared. Any thread: the
    // worker applies it between two steps, afterMs from now (the service,
    // which has no window, asks at once with the timer's period). Cancel
    // drops a request not yet applied (the timer was stopped).
    void RequestHandsetFlag(bool bStopPending, uint32_t afterMs = 0);
    void CancelHandsetFlag() { m_ringWatcher.CancelHandsetFlag(); }
    // The main window's mail settings for notices (filled by the front end
    // from the phone's settings; the worker takes a copy per notice).
    void SetMailSettingsProvider(std::function<MailSettings()> provider);

    // Modem diagnostics (action 16): asks the worker for a run, unless there
    // is no open modem or the line is busy; Running also when one runs
    // already (the caller then follows that one).
    DiagnosticsState StartDiagnostics();
    DiagnosticsProgress DiagnosticsNow() const { return m_diagnostics.Now(); }
    void CancelDiagnostics() { m_diagnostics.Cancel(); }

    // ---- state the front end reads --------------------------------------
    // The recording now made, or last made.
    std::string CurrentFile() const { return m_recorder.CurrentFile(); }
    // The last finished recording (kept after the hang-up forgets the current file).
    std::string LastRecording() const { return m_recorder.LastRecording(); }
    std::string DataPath() const { return m_recorder.DataPath(); } // the worker's data path
    // Why the open device cannot take calls, as last told ("" when it can).
    std::string DeviceUnavailable() const;
    int LastDialResult() const { return m_dialer.LastResult(); }
    int RingCount() const { return m_ringWatcher.RingCount(); }
    int MailsSent() const { return m_mail.Sent(); }
    // The event that ended the last play or recording (-1 none, 'Z' bad data).
    int LastPlayEvent() const { return m_actions.LastPlayEvent(); }
    int LastRecordKey() const { return m_recorder.LastKey(); }
    bool LastRecordEndedBySilence() const { return m_recorder.LastEndedBySilence(); }
    // The hidden window's tray state (1 to 3 keep the ring sound and the
    // caller's announcement quiet).
    void SetTrayState(int nState) {
        m_ringWatcher.SetTrayState(nState);
        m_announcer.SetTrayState(nState);
    }
    int CallersAnnounced() const { return m_announcer.Said(); }
    // The main window's volume for what is played (m_iVolume, 0 to 100):
    // taken over between two steps, so a play in progress keeps its level.
    // The worker is the one writer of the setting: it becomes the phone's
    // and is written at once (with SaveOnExit); the window only asks.
    void SetPlaybackVolume(int nPercent) { m_nChosenVolume = nPercent; }
    // The greeting kept in the greeting recorder (sWaveGreet): taken over
    // between two steps (KeepGreeting).
    void SetGreetingFile(const std::string& sFile);
    // On the worker's thread, or while it does not run: the greeting becomes
    // the phone's and is written to the settings at once (with SaveOnExit).
    void KeepGreeting(const std::string& sFile);
    // Runs work on the worker's thread between two steps, where the phone's
    // settings may be read and changed (the options dialog's open and OK).
    void RunBetweenSteps(std::function<void()> work);
    // The folder recordings go under (the data path, Options/sPath).
    void SetDataPath(const std::string& sPath) { m_recorder.SetDataPath(sPath); }
    // Whether the worker saves the settings when it ends and a kept greeting
    // at once (the program does; tests that share no settings file need not).
    void SetSaveOnExit(bool bSave) { m_bSaveOnExit = bSave; }
    // How long the rings-ended step lets the front end settle before a
    // missed-call notice, in 50 ms rounds (300: 15 s).
    void SetMailSettleRounds(int nRounds) { m_ringWatcher.SetMailSettleRounds(nRounds); }
    // The pauses between tries of a notice the mail server did not take
    // (before Start).
    void SetMailRetryPolicy(const MailRetryPolicy& policy) { m_mail.SetRetryPolicy(policy); }
    // The wait before a forwarded message is dialled again (before Start).
    void SetForwardRetryDelay(std::chrono::milliseconds delay) { m_forwarder.SetRetryDelay(delay); }
    // The clock remote access counts failed PINs and its lock-out by (before Start).
    void SetRemoteAccessClock(CRemoteMenu::Clock clock) { m_remote.SetClock(std::move(clock)); }
    uint64_t StepCount() const { return m_nSteps.load(); }
    // Set while the worker records a call a lifted handset took: the dial
    // tone after the far end's hang-up must not end it then. Any thread.
    bool HandsetRecordingMarked() const override { return m_bHandsetRecording.load(); }
    // What happens on the line, for whoever follows the calls.
    CCallEventPublisher& CallEvents() { return m_events; }

    // ---- the worker's steps (worker thread; public for the tests) -------
    void Run();
    void PumpMessages() override;
    void TakeChosenSettings();
    // Breaks the worker's wait for modem input, so that a flag or request
    // just set is seen at once (the UI's way to hurry the worker).
    void Wake();
    void Step();
    bool CheckLine();
    void GoOffHook() override;
    void HangUp() override;
    void OpenDevice() override;
    void CloseDevice();
    // The set-up step: the front end's wizard, then its choice applied,
    // saved and taken into use by a restart.
    void Reconfigure();

private:
    void Dispatch(const ThreadMessage& msg);
    // What the ring watcher and the action runner ask of the worker.
    bool StopAsked() const override { return m_bStop.load(); }
    bool MessagesWaiting() const override { return m_queue.Size() != 0; }
    void SetWaiting(bool bWaiting) override { m_bInWait = bWaiting; }
    // Waits for the next thread message of a device whose events come so.
    void WaitForMessage() override;
    void RecordCall() override;
    void RecordHandsetCall() override;
    void SendMissedCalls(const std::vector<CNumber>& calls, bool bRecorded) override;
    void PlayThenHangUp(const std::string& file) override;
    ScreeningDecision Screen(const ScreeningCall& call, std::optional<Contact>& contact) override {
        return m_history.Screen(call, contact);
    }
    void SleepQuantum() override;
    void RunDiagnostics() override;
    void StopCall() override;
    // Tells what ended a step early (modem log and status line).
    void StepFailed(const std::string& what);
    // The step failure last on the status line, so that one repeating at
    // every step is told once.
    std::string m_sStepFailureTold;
    SetupWizardStart SetupStart() const;
    // The wizard's result; none when the program ends while it is open.
    std::optional<SetupWizardResult> WaitForSetupWizard();
    void CheckGsmFraming();
    void ClearHandsetRecording();
    // The device for log lines: "COM9 (/dev/ttyACM0)".
    std::string DeviceLabel() const;
    static constexpr uint32_t kBusyPollMs = 55;
    static constexpr uint32_t kQuietWaitMs = 4000;
    // Tells the front end when the open device can no longer take calls,
    // or can again.
    void FollowAvailability();
    // Closes an open device whose set-up failed since it was opened (a modem
    // that stopped answering), for the line check to open it afresh; true
    // when it did.
    bool CloseIfSetUpFailed();
    void Log(const std::string& text);
    // A call program that pauses monitoring started (true) or ended (false).
    void PauseForProgram(bool bPause);
    // The port of the line's voice modem; 0 for another kind of device.
    int LinePort() const;

    CPhone& m_phone;
    IUiBridge& m_ui;
    CCallStateData& m_state; // the phone's call state, as the worker writes it
    CCallLog& m_callLog;
    CThreadMessageQueue m_queue;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<uint64_t> m_nSteps{0};
    std::atomic<int> m_nChosenVolume{-1}; // -1: none since the last step
    std::mutex m_chosenMutex;
    std::vector<std::function<void()>> m_betweenSteps; // under m_chosenMutex
    bool m_bDeviceUp = false; // opened by OpenDevice, not closed by CloseDevice since
    // The device's reason last told ("" available); under m_fieldMutex.
    std::string m_sUnavailableTold;

    // Start and end events.
    std::mutex m_eventMutex;
    std::condition_variable m_eventCv;
    bool m_bStarted = false;
    bool m_bEnded = false;

    mutable std::mutex m_fieldMutex; // for m_sUnavailableTold
    CDiagnosticsRun m_diagnostics;
    CDialer m_dialer;
    CMessageForwarder m_forwarder;
    CCallRecorder m_recorder;
    CAnsweringMachine m_machine;
    CActionRunner m_actions;
    std::atomic<bool> m_bSaveOnExit{true};
    CMissedCallMail m_mail;
    CCallHistory m_history;
    CCallerAnnouncer m_announcer;
    CRemoteMenu m_remote;
    CCallProgram m_program;
    bool m_bProgramPaused = false; // the worker's thread: monitoring paused for a call program
    CTextNotice m_textNotice;
    CRingWatcher m_ringWatcher;
    std::atomic<bool> m_bInWait{false};
    std::atomic<bool> m_bHandsetRecording{false}; // read by a device's event thread
    // Last, so that it ends first: what is queued is delivered while the
    // rest of the worker is still whole.
    CCallEventPublisher m_events;
};
