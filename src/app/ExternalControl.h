// What external control asks of the running program. CCommDll decodes the
// block and calls these; the program's core carries them out (on the UI
// thread, like any menu command) and the tests put a fake in its place.
#pragma once

#include "app/ScreeningCommands.h"
#include "engine/DiagnosticsRun.h"

#include <cstdint>
#include <string>

struct CallerFields {
    std::string sName;
    std::string sNumber;
    std::string sText;
};

// Talking at the PC on a telephony line (codes 14 and 15).
enum class TalkRequest {
    Answer, // answer the ringing call at the PC
    Take,   // take the call in progress (or the ringing one) to the PC
    End,    // end talking: hang up
};

// What became of a request; the numbers are external control's replies.
enum class TalkOutcome : int32_t {
    Done = 0,
    NoCall = 1,     // no call to answer or take, or none talked to end
    CannotTalk = 2, // the device cannot talk at the PC (a modem, the adapter)
};

class IExternalControl {
public:
    virtual ~IExternalControl() = default;

    // Code 0: monitoring runs (not paused).
    virtual bool IsMonitoring() = 0;
    // Code 0 also: why the device cannot take calls now ("" when it can).
    virtual std::string DeviceUnavailable() { return {}; }
    // Code 1: stop a call in progress, then switch monitoring on or off.
    virtual void SetMonitoring(bool bOn) = 0;
    // Code 2: a call is being handled.
    virtual bool IsCallActive() = 0;
    // Code 3 with parameter 2 != 0, as the "&Record" command: make sure
    // monitoring runs, wait until the worker is ready, request a recording.
    virtual void StartRecording() = 0;
    // Code 3 with parameter 2 == 0: stop the current call.
    virtual void StopCall() = 0;
    // Code 4: the main window's caller name, number and text.
    virtual CallerFields GetCallerFields() = 0;
    // Code 5: set them, marking the caller ID as supplied from outside.
    virtual void SetCallerFields(const CallerFields& fields) = 0;
    // Code 6: the worker's current file name.
    virtual std::string GetCurrentFile() = 0;
    // Code 7: stop a recording if one runs, then play sFile through the line.
    virtual void PlayFile(const std::string& sFile) = 0;
    // Code 8: stop recording, as the "&Stop" command.
    virtual void StopRecording() = 0;
    // Code 9: set the worker's current file name.
    virtual void SetCurrentFile(const std::string& sFile) = 0;
    // Code 10: the immediate exit path ("E&xit").
    virtual void Exit() = 0;
    // Codes 11 and 12: dial sNumber; bSpeak keeps the line for talking (12).
    virtual void Dial(const std::string& sNumber, bool bSpeak) = 0;
    // Code 12 with a number of seconds: pause monitoring once they have passed
    // (the hidden window's timer 4).
    virtual void StartSpeakTimer(unsigned nMilliseconds) = 0;
    // Code 13: the modem diagnostics report; bStart asks for a new run
    // unless one runs. Never waits: the caller asks again until it is Done.
    virtual DiagnosticsProgress Diagnostics(bool /*bStart*/) { return {}; }
    // Codes 14 and 15: answer the ringing call at the PC, take the call in
    // progress to it, or end talking and hang up.
    virtual TalkOutcome Talk(TalkRequest /*r*/) { return TalkOutcome::CannotTalk; }
    // Code 16: put sNumber ("" the last caller) on the list.
    virtual ScreeningReply PutOnList(const std::string& /*sNumber*/, ContactList /*list*/) {
        return {false, "This program does not screen calls"};
    }
    // Code 17: pause screening or switch it on again, and whether it is on.
    virtual ScreeningReply PauseScreening(bool /*bPaused*/) {
        return {false, "This program does not screen calls"};
    }
    virtual bool IsScreeningOn() { return true; }

    // A later start of the program asked this one to show its main window.
    virtual void ShowMainWindow() = 0;
    // "quit" on a later start's command line: leave as the message loop does
    // when it is told to quit.
    virtual void Quit() = 0;
};
