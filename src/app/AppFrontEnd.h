// What differs between the desktop program and the headless service: the
// windows. The core (CBasicWindow, CTarvo32App) calls these on the UI thread;
// the service answers them with log lines and a small caller model.
#pragma once

#include "app/ExternalControl.h"
#include "app/OptionsLogic.h"

#include <functional>
#include <optional>
#include <string>

class CBasicWindow;

class IAppFrontEnd {
public:
    virtual ~IAppFrontEnd() = default;

    // A line for the user: a message box in the desktop program, the log in
    // the service.
    virtual void Message(const std::string& text) = 0;

    // ShowMainWindow(): creates the main window on first use (shown only when
    // bShow), later brings it to the front.
    virtual void ShowMainWindow(bool bShow) = 0;
    // The tray state number changed (4 = paused).
    virtual void TrayStateChanged(int nState) = 0;
    // Timer 3: the tray shows window.TrayIconId(). Timer 3 runs only while
    // the line has something for the tray to follow; a front end with a tray
    // calls window.WakeTray() when the worker reports a call (pop-up, caller,
    // call busy, recording, monitoring changed), so the picture follows it.
    virtual void TrayTick() {}
    // The main window's refresh timer 4 (after "&Stop").
    virtual void StartMainRefresh(unsigned ms) = 0;
    // Both exits keep what the main window shows: its placement, the record
    // toggle (Options/Legal), the volume.
    virtual void SaveMainWindowState() {}

    // The main window's caller name, number and text.
    virtual CallerFields GetCallerFields() = 0;
    virtual void SetCallerFields(const CallerFields& fields) = 0;

    // Commands that open windows (options, help, diagnostics, notification
    // tests, about). False when this front end has no such window.
    virtual bool OnWindowCommand(int nId) = 0;

    // The options dialog, modal for the user but not for the loop: it
    // returns at once and onClose runs when the dialog is done, with the
    // chosen values after OK, nothing after Cancel. False when this front
    // end has no such window.
    virtual bool ShowOptions(const OptionsValues& /*values*/,
                             std::function<void(std::optional<OptionsValues>)> /*onClose*/) {
        return false;
    }
    // The desktop's short warning sound (a telephony device that records
    // compressed was chosen).
    virtual void Beep() {}
    // OK moved the data folder: the main window shows the new call folder
    // and writes the current call into its index.
    virtual void DataPathChanged(const std::string& /*sDataPath*/) {}

    // Runs the message loop until window.IsQuitPosted().
    virtual void RunMessageLoop(CBasicWindow& window) = 0;
    // The window started or stopped one of its timers: a loop that sleeps
    // until the next one is due looks again.
    virtual void TimersChanged() {}
    // The descriptors the window's loop waits on changed (ControlServer::Watch).
    virtual void WatchedChanged() {}
    // A line for the log (the service's log; the desktop program's standard
    // error): something worth knowing that is no failure.
    virtual void Note(const std::string& text);
    // What a screening command did, or why not (a caller blocked, screening
    // paused): the status line and the tray in the desktop program, the log
    // in the service.
    virtual void ScreeningChanged(const std::string& text) { Note(text); }
    // The window posted its quit: a loop that does not look after every
    // event ends now.
    virtual void QuitPosted() {}
};
