// The call-state flags the worker and the UI thread share, and the worker's
// request code with its table.
//
// Each flag is written by one side and polled by the other. They are atomics
// because a plain shared byte is a data race; the polling rules stay as they
// are. Every flag of the call state lives here and nowhere else.
#pragma once

#include <atomic>
#include <cstdint>

// Monitoring and lifetime.
extern std::atomic<bool> g_bPaused;       // monitoring is off; the worker closes the device
extern std::atomic<bool> g_bShuttingDown; // the worker leaves its loop

// Call state.
extern std::atomic<bool> g_bReconfigure;    // run the modem set-up and reopen the device
extern std::atomic<bool> g_bHangUpRequest;  // hang up at the next step
extern std::atomic<bool> g_bTestRing;       // imitate an incoming ring
extern std::atomic<bool> g_bRinging;        // rings seen and not yet ended
extern std::atomic<bool> g_bTalking;        // the line stays off-hook after an action
extern std::atomic<bool> g_bHold;           // music on hold is playing
extern std::atomic<bool> g_bActionPending;  // g_nAction holds a request
extern std::atomic<bool> g_bSpeakerphone;   // speakerphone operation is wanted
extern std::atomic<bool> g_bCidBusy;        // a ring is being handled
extern std::atomic<bool> g_bOffHookRequest; // go off-hook at the next step
extern std::atomic<bool> g_bOffHook;        // the line is off-hook
extern std::atomic<bool> g_bRecording;      // a recording runs; clearing it stops it
extern std::atomic<bool> g_bPlaying;        // a file plays to a wave device
extern std::atomic<bool> g_bNewMessages;    // there are unheard messages
extern std::atomic<bool> g_bCidReceived;    // caller data arrived; the main window clears it
extern std::atomic<bool> g_bDialing;        // a dial is in progress; a second request is ignored

// The worker's request code, valid while g_bActionPending is set.
extern std::atomic<int32_t> g_nAction;

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
};

constexpr int32_t kFirstNonAction = 1000;

struct ActionInfo {
    int32_t code;
    const char* name;          // for the log
    bool bDispatcherClears;    // the dispatcher clears g_bActionPending afterwards
    bool bStopsCallAfterwards; // stop the call unless talking, on hold or speakerphone
};

// The table entry of a code, or nullptr for a code that does nothing.
const ActionInfo* FindAction(int32_t code);

// Sets g_nAction and then g_bActionPending, in that order, so that the worker
// never sees the request flag with a stale code.
void RequestAction(int32_t code);

// Zeroes every flag of this file (process start, and tests).
void ResetCallState();
