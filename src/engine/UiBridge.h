// How the worker talks to the front end. The engine never includes Qt: the
// desktop program implements this by queueing each call to the UI thread,
// the headless service by writing log lines. Every call is asynchronous and
// returns at once; nothing here may wait for the UI, because the UI may be
// waiting for the worker.
#pragma once

#include "engine/SetupChoice.h"
#include "engine/TelephoneDevice.h"

#include <cstdint>
#include <functional>
#include <string>

// The icon of a message box.
enum class MessageIcon { None, Information, Exclamation, Error, Question };

// The UI timers the worker starts or stops. The values are the timer ids of
// their windows.
enum class UiTimer : int {
    PopupClose = 1,      // pop-up window: close after its display time
    MainCallRefresh = 3, // main window: refresh for a new call
    MainPlayRefresh = 4, // main window: refresh after a play on the line
    OrderlyExit = 666,   // hidden window: the orderly exit step
};
// Timer 4's period after a play through a line's sound device.
inline constexpr uint32_t kMainPlayRefreshMs = 4000;

// How the device's port stands, as the worker last tried it.
enum class DeviceState {
    Open,          // opened and set up for calls
    OpenFailed,    // could not be opened (missing, refused, in use)
    Lost,          // was open and went away (unplugged, its program ended)
    NotResponding, // opened, but the modem did not answer its set-up
    Unavailable,   // open, but cannot take calls now (a SIP account that cannot register)
};

// What the worker shows about the current call in the main window.
struct CallerDisplay {
    std::string sName;
    std::string sNumber;
    std::string sMemo;
};

class IUiBridge {
public:
    virtual ~IUiBridge() = default;

    // The phone's status line ("Result - Busy", "Bad frame in compressed flow.").
    virtual void SetStatusText(const std::string& text) = 0;
    // The main window's title ("Vorella", "%s - [%s] - Vorella").
    virtual void SetWindowTitle(const std::string& title) = 0;
    // The caller fields of the main window changed.
    virtual void CallerChanged(const CallerDisplay& caller) = 0;
    // The current call is in the call index (the worker stored it through
    // the call log) without a recording of its own, or a recording's name
    // was chosen (bFinished false). The main window's fields follow. A
    // recording begun or stored comes as a call event (CallEvents.h).
    virtual void UpdateCurrentCall(bool bFinished) = 0;
    // The main window forgets which message it played last.
    virtual void ClearLastPlayed() = 0;
    // The call list shows only calls matching this text ("" shows all).
    virtual void SetCallListFilter(const std::string& text) = 0;
    // The tray icon's tooltip.
    virtual void SetTrayTooltip(const std::string& text) = 0;
    // (Re)starts a UI timer with the given period, or stops it.
    virtual void StartTimer(UiTimer timer, uint32_t ms) = 0;
    virtual void StopTimer(UiTimer timer) = 0;
    // First ring of a call: main window to the foreground, flashing stopped.
    virtual void ActivateMainWindow() = 0;
    // The incoming-call pop-up: shown on the first ring of a call.
    virtual void ShowPopup() = 0;
    // The main window is (or is no longer) busy with a call.
    virtual void SetCallBusy(bool bBusy) = 0;
    // The main window's mark that the running recording was started by the handset.
    virtual void SetHandsetRecording(bool bOn) = 0;
    // A touch-tone key for the main window's key display.
    virtual void AppendToneKey(char key) = 0;
    // Monitoring was switched on or off by the worker (a device that failed).
    virtual void MonitoringChanged(bool bPaused) = 0;
    // A string-table message in a message box.
    virtual void ShowMessage(int stringId, MessageIcon icon) = 0;
    // A Yes/No question from the string table. The answer comes later through
    // onAnswer (on whatever thread the front end answers on); a front end
    // without a user answers bDefaultYes.
    virtual void AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) = 0;

    // (What happens on the line, the rings, the caller, the recordings, the
    // device, are facts published as call events: see CallEvents.h.)
    // The port scan (no port was set) has ended, found a modem or not: the
    // hidden window's tray call-back 32002, which runs the set-up again.
    virtual void PortScanDone() {}

    // Runs the set-up wizard from start and hands what the user chose to
    // onDone once the wizard is closed (on whatever thread the front end
    // answers on). A front end without a user answers at once with a result
    // whose bRun is false.
    virtual void RunSetupWizard(const SetupWizardStart& /*start*/,
                                std::function<void(const SetupWizardResult&)> onDone) {
        onDone(SetupWizardResult{});
    }
    // The program restarts so that everything starts from new settings:
    // the front end shows string stringId, then takes the restart command.
    // A front end without a user never runs the wizard, so never gets here.
    virtual void RestartForNewSettings(int /*stringId*/) {}

    // The same with a ready-made text (the modem layer's messages and questions).
    virtual void ShowMessageText(const std::string& text, MessageIcon icon) = 0;
    virtual void AskYesNoText(const std::string& text, bool bDefaultYes,
                              std::function<void(bool)> onAnswer) = 0;
};

// Asks a question and waits at most timeoutMs for the answer; the default
// when no answer comes in time. For the worker only: the UI thread must never
// call it.
bool AskYesNoAndWait(IUiBridge& ui, int stringId, bool bDefaultYes, uint32_t timeoutMs);
bool AskYesNoTextAndWait(IUiBridge& ui, const std::string& text, bool bDefaultYes,
                         uint32_t timeoutMs);
