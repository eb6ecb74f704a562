// The state of the call in progress, owned by the engine (one per phone),
// and the worker's request codes with their table.
//
// The engine's thread writes the state through EngineState(); nothing outside
// src/engine names that function (the layering test checks it). The front
// ends and tools read copies (Flags(), CurrentCall()) and post requests: the
// request flags are atomics the worker polls between two steps.
#pragma once

#include "engine/Guarded.h"
#include "engine/Number.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// A copy of the call-state flags at one moment.
struct CallFlags {
    bool bPaused = false;
    bool bShuttingDown = false;
    bool bReconfigure = false;
    bool bHangUpRequest = false;
    bool bTestRing = false;
    bool bRinging = false;
    bool bTalking = false;
    bool bHold = false;
    bool bActionPending = false;
    bool bSpeakerphone = false;
    bool bCidBusy = false;
    bool bOffHookRequest = false;
    bool bOffHook = false;
    bool bRecording = false;
    bool bPlaying = false;
    bool bNewMessages = false;
    bool bCidReceived = false;
    bool bDialing = false;
    int32_t nAction = 0;
};

// The fields of the call state, as the engine's thread reads and writes them.
struct CCallStateData {
    // Monitoring and lifetime.
    std::atomic<bool> bPaused{false};       // monitoring is off; the worker closes the device
    std::atomic<bool> bShuttingDown{false}; // the worker leaves its loop

    // Call state.
    std::atomic<bool> bReconfigure{false};    // run the modem set-up and reopen the device
    std::atomic<bool> bHangUpRequest{false};  // hang up at the next step
    std::atomic<bool> bTestRing{false};       // imitate an incoming ring
    std::atomic<bool> bRinging{false};        // rings seen and not yet ended
    std::atomic<bool> bTalking{false};        // the line stays off-hook after an action
    std::atomic<bool> bHold{false};           // music on hold is playing
    std::atomic<bool> bActionPending{false};  // nAction holds a request
    std::atomic<bool> bSpeakerphone{false};   // speakerphone operation is wanted
    std::atomic<bool> bCidBusy{false};        // a ring is being handled
    std::atomic<bool> bOffHookRequest{false}; // go off-hook at the next step
    std::atomic<bool> bOffHook{false};        // the line is off-hook
    std::atomic<bool> bRecording{false};      // a recording runs; clearing it stops it
    std::atomic<bool> bPlaying{false};        // a file plays to a wave device
    std::atomic<bool> bNewMessages{false};    // there are unheard messages
    std::atomic<bool> bCidReceived{false};    // caller data arrived; the main window clears it
    std::atomic<bool> bDialing{false};        // a dial is in progress; a second request is ignored

    // Talking at the PC (a telephony line): the speaker's volume in percent
    // and the microphone's mute, as the user sets them during the call.
    std::atomic<int> nTalkVolume{100};
    std::atomic<bool> bTalkMute{false};

    // The worker's request code, valid while bActionPending is set.
    std::atomic<int32_t> nAction{0};

    // The call being handled, and the calls of this run (a copy is appended
    // when a recording starts).
    Guarded<CNumber> curCall;
    Guarded<std::vector<CNumber>> recentCalls;
    // The call folder selected in the main window (read by the recorder).
    Guarded<std::string> selectedCallFolder;

    // Appends a copy of call to the run's list (at most kMaxRecentCalls, the
    // oldest go first).
    void AppendRecentCall(const CNumber& call);
    // Marks the last call of the run as closed (its rings ended).
    void CloseLastRecentCall();
};

class CCallState {
public:
    CCallState() = default;
    CCallState(const CCallState&) = delete;
    CCallState& operator=(const CCallState&) = delete;

    // ---- copies (any thread) ---------------------------------------------
    CallFlags Flags() const;
    CNumber CurrentCall() const { return m_data.curCall.Get(); }
    std::vector<CNumber> RecentCalls() const { return m_data.recentCalls.Get(); }

    // ---- requests (any thread) -------------------------------------------
    // Sets nAction and then bActionPending, in that order, so that the worker
    // never sees the request flag with a stale code.
    void RequestAction(int32_t code);
    // Withdraws a request of code not yet taken (a dialog's quiet request);
    // true when there was one.
    bool WithdrawAction(int32_t code);
    // Hang up at the next step.
    void RequestHangUp() { m_data.bHangUpRequest = true; }
    // Withdraws what would keep or take the line: talking, an off-hook
    // request, a hang-up request (the "Away" command).
    void RequestLetGo();
    // Stops a recording now (the recording loops poll bRecording).
    void RequestStopRecording() { m_data.bRecording = false; }
    // Stops a recording, a play and the hold music.
    void RequestStopSound();
    // Ends the hold music or the speakerphone of the call.
    void RequestEndHold() { m_data.bHold = false; }
    void RequestEndSpeakerphone() { m_data.bSpeakerphone = false; }
    // Talk at the PC: answer the offered call, or take the call in progress,
    // through the computer's sound card (the speakerphone on a modem).
    void RequestTalk();
    // The talk path's speaker volume (0..100) and microphone mute.
    void SetTalkLevels(int nVolume, bool bMute);
    // The line stays off-hook after an action no longer.
    void RequestEndTalking() { m_data.bTalking = false; }
    // Monitoring off (true) or on; returns whether it was off.
    bool RequestPause(bool bPause) { return m_data.bPaused.exchange(bPause); }
    void RequestTestRing() { m_data.bTestRing = true; }
    void RequestReconfigure() { m_data.bReconfigure = true; }
    void RequestShutdown() { m_data.bShuttingDown = true; }
    // The caller data came from another program: the main window shows it.
    void MarkCallerIdReceived() { m_data.bCidReceived = true; }
    // What the user typed into the caller fields of the call in progress
    // (the main window, external control): its name, number and memo. The
    // number replaces the call's only when it differs from the one shown.
    void RequestCallerEdit(const std::string& sName, const std::string& sTypedNumber,
                           const std::string& sMemo);
    // The call folder chosen in the main window ("" none).
    void SelectCallFolder(const std::string& sFolder) { m_data.selectedCallFolder.Set(sFolder); }

    // ---- the engine's own access -----------------------------------------
    CCallStateData& EngineState() { return m_data; }

private:
    CCallStateData m_data;
};

// The request codes. Codes not listed do nothing; 1000 and above are not
// actions at all (a touch-tone key mapped to one runs nothing).
enum WorkerAction : int32_t {
    kActionQuiet = 0,               // a dialog needs the line quiet: sleep one quantum
    kActionRecord = 1,              // RecordCall(normal)
    kActionPlayFile = 2,            // play m_sPlayFile to the line
    kActionHoldMusic = 3,           // music on hold
    kActionPlayGreeting = 6,        // greeting recorder: play the greeting to the line
    kActionAnswer = 8,              // answering machine
    kActionRecordGreeting = 9,      // greeting recorder: record through the line
    kActionRecordGreetingCard = 10, // greeting recorder: record from the sound card
    kActionSpeakerphone = 13,       // speakerphone loop
    kActionOffHook = 14,            // take the line off-hook
    kActionDiagnostics = 16,        // modem diagnostics (the worker owns the port)
    kActionStopHangUp = 17,         // stop the call, then hang up
    kActionRecordHandset = 18,      // RecordCall(handset)
    kActionStop = 19,               // raise the driver's stop request
    kActionAltGreeting = 21,        // play the alternative greeting
    kActionDisconnect = 22,         // off-hook, 80 ms, hang up
    kActionTalk = 24,               // off-hook and talk
    kActionKeyRecordGreeting = 28,  // touch-tone key: record a new greeting
    kActionEnhancedHold = 29,       // hold with introduction and alert
    kActionRemoteAccess = 30,       // touch-tone key during the greeting: remote access
};

constexpr int32_t kFirstNonAction = 1000;

struct ActionInfo {
    int32_t code;
    const char* name;          // for the log
    bool bDispatcherClears;    // the dispatcher clears bActionPending afterwards
    bool bStopsCallAfterwards; // stop the call unless talking, on hold or speakerphone
};

// The table entry of a code, or nullptr for a code that does nothing.
const ActionInfo* FindAction(int32_t code);
