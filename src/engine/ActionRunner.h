// CActionRunner: runs the actions a call asks for, from the front end's
// requests (the call state's nAction) and from the caller's touch-tone keys
// and the line's events: record, play a file or the greeting, music on hold
// and the enhanced hold, the speakerphone, record a greeting, hand a fax
// call over. It also decides which line events end a recording. Recording,
// answering and dialling are the parts' own (CCallRecorder,
// CAnsweringMachine, CDialer); the runner only starts them.
//
// The steps run on the worker's thread; SetPlayFile and LastPlayEvent may be
// used from any thread.
#pragma once

#include "engine/AnsweringMachine.h"
#include "engine/Guarded.h"

#include <atomic>
#include <mutex>
#include <string>

class CCallRecorder;
class CPhone;
class ICallControl;
class IUiBridge;
struct CCallStateData;

// What the action runner asks of the worker that runs it.
class IActionHost {
public:
    // Whether the worker was asked to stop.
    virtual bool StopAsked() const = 0;
    // Runs the requests queued so far (a long play lets them through).
    virtual void PumpMessages() = 0;
    // The worker's pause between two looks at the line.
    virtual void SleepQuantum() = 0;
    // Hangs the line up.
    virtual void HangUp() = 0;
    // Runs the modem diagnostics asked for.
    virtual void RunDiagnostics() = 0;
    // Whether the recording running is of a call a lifted handset took.
    virtual bool HandsetRecordingMarked() const = 0;

protected:
    ~IActionHost() = default;
};

class CActionRunner final : public IMachineHost {
public:
    CActionRunner(CPhone& phone, CCallStateData& state, IUiBridge& ui, CCallRecorder& recorder,
                  CAnsweringMachine& machine, ICallControl& line, IActionHost& host);
    CActionRunner(const CActionRunner&) = delete;
    CActionRunner& operator=(const CActionRunner&) = delete;

    // ---- the worker's steps ---------------------------------------------
    // The action the call state's nAction names.
    void RunAction();
    // A request from the front end; while a speakerphone request waits for
    // its loop, nothing else runs.
    void RunPendingAction();
    // A line event or key: what it asks for runs.
    void OnEvent(int ch);
    // An event a device reported as a thread message: a key or line event
    // (kMsgDeviceEvent), or one heard in the call's sound (kMsgMediaEvent).
    void OnDeviceEvent(int ch);
    void OnMediaEvent(int ch);
    // Records the call on the line; a fax tone heard meanwhile hands the
    // call over once the recording ends.
    void RecordCall();
    // Plays the hold music while the call is on hold.
    void PlayHoldMusic();
    // Stops what is played or recorded and leaves the call's sound.
    void StopAudio();
    // The line was hung up: the speakerphone loop no longer runs, and the
    // talk at the PC ends.
    void LineHungUp();
    // Talking at the PC on a line that has no speakerphone of its own (a
    // telephony line): the user asked for it (the speakerphone request,
    // a call dialled) and it has not started yet.
    bool TalkWanted();
    // Starts talking at the PC: the sound card first (a card that cannot
    // open leaves the call unanswered, and the user learns why), then the
    // offered call is answered, or the call in progress kept (a call placed
    // here: until the far end answers, pending requests wait).
    void TalkAtPc();
    // One look at the talk between two steps: the levels the user set, and
    // its end (the user's, the far end's, a card that failed).
    void FollowTalk();

    // ---- any thread -----------------------------------------------------
    // The file for action 2 (and 6, 9 when set).
    void SetPlayFile(const std::string& file) { m_playFile.Set(file); }
    // The event that ended the last play or recording (-1 none, 'Z' bad data).
    int LastPlayEvent() const { return m_nLastPlayEvent.load(); }

private:
    // What the answering machine asks of the runner.
    void RunLineEvent(int ch) override { OnEvent(ch); }
    void RecordMessage() override { RecordCall(); }
    void PlayEnded(int ev) override { m_nLastPlayEvent = ev; }

    void OnKey(int ch);
    bool EventEndsRecording(int ch);
    void HandOffFax();
    void PlayFileToLine();
    void PlayGreetingToLine();
    void RecordGreeting(bool bFromLine);
    void EnhancedHold();
    void SpeakerphoneLoop();
    // The talk ends: the card is let go, and the call is hung up.
    void EndTalk(const std::string& sWhy);
    void Log(const std::string& text);

    CPhone& m_phone;
    CCallStateData& m_state;
    IUiBridge& m_ui;
    CCallRecorder& m_recorder;
    CAnsweringMachine& m_machine;
    ICallControl& m_line;
    IActionHost& m_host;

    Guarded<std::string> m_playFile;
    std::atomic<int> m_nLastPlayEvent{-1};

    // Worker thread only.
    bool m_bSpeakerphoneRunning = false;
    int m_nHandOffAfterRecording = 0; // the fax or data tone that ended a recording
    int m_nLastKey = 0;
};
