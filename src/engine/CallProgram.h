// CCallProgram: the user's program for each call (bRunProg). It is sRunApp
// with the words of sRunParam, where the words "call.number", "call.name",
// "call.file" and "call.event" become the call's values whole, whatever they
// hold; the same values are in its environment (VORELLA_EVENT,
// VORELLA_NUMBER, VORELLA_NAME, VORELLA_FILE, VORELLA_DECISION) and the
// event is one JSON object on its standard input. No shell is involved.
//
// It follows the worker's call events on a subscription of its own and
// starts the program once the caller of a ringing call is known (event
// "caller"), after the call (bRunAfter, "ended") or after a call nobody
// answered (bRunNotAnsw, "missed"); never for a blocked caller with
// bRunDisableBlack. Each program runs on a thread of its own, at most
// kMaxRunning at once (more are refused), and is ended at its time limit;
// none of our descriptors reach it. What became of it (its exit status and
// output, the limit, a refusal, a start that failed: once until one works)
// is told through the report; with bRunPause monitoring pauses until it
// ends.
#pragma once

#include "engine/CallEvents.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct CPhoneSettings;

// What screening did with a call, in the word programs and pages are told
// ("ring", "blocked", "hang-up", "not-in-service", "take-message",
// "never-answer", "answer-at-once", "challenge").
const char* ScreenActionWord(ScreenAction a);

struct CallProgramSettings {
    bool bEnabled = false;     // bRunProg
    std::string sProgram;      // sRunApp
    std::string sParams;       // sRunParam
    bool bPause = false;       // bRunPause
    bool bAfter = false;       // bRunAfter
    bool bNotAnswered = false; // bRunNotAnsw
    bool bSkipBlocked = true;  // bRunDisableBlack
    uint32_t nTimeLimitMs = 60000;

    static CallProgramSettings From(const CPhoneSettings& s);
};

// One call as the program is told it.
struct CallProgramFacts {
    std::string sEvent; // "caller", "ended", "missed"
    std::string sNumber;
    std::string sName;
    std::string sFile;     // its recording or message ("" none)
    std::string sDecision; // what screening did ("" not screened)
    std::string sRule;
    int nRings = 0;
    bool bAnswered = false;
};

class CCallProgram {
public:
    // Where what became of a program is told (the log and the status line);
    // pause(true) when a program that pauses monitoring starts, pause(false)
    // when the last such one has ended. Both are called on a program's or
    // the subscription's thread.
    using Report = std::function<void(const std::string&)>;
    using Pause = std::function<void(bool)>;
    static constexpr int kMaxRunning = 4;
    static constexpr size_t kMaxValue = 1024;  // bytes of a call's field handed on
    static constexpr size_t kMaxOutput = 2048; // bytes of a program's output told

    CCallProgram(Report report, Pause pause);
    // Stops (see Stop).
    ~CCallProgram();
    CCallProgram(const CCallProgram&) = delete;
    CCallProgram& operator=(const CCallProgram&) = delete;

    // Any thread; the next program started uses them.
    void SetSettings(CallProgramSettings settings);
    void Start(CCallEventPublisher& events);
    // Ends the subscription and the programs still running (as at their
    // limit) and waits for their threads.
    void Stop();
    // Starts the program for the call now; false when it was refused or
    // could not be made (told through the report).
    bool Run(const CallProgramFacts& facts);
    // Programs started so far.
    int Started() const;

    // Follows one event (the subscription's thread; public for the tests).
    void OnEvent(const CallEvent& event);

private:
    struct Job;
    void CallDone(const char* sEvent);
    void Finished(const std::string& program, bool bPaused, const struct LaunchResult& r);
    void ReportStartFailure(const std::string& why);

    Report m_report;
    Pause m_pause;
    int m_cancel[2] = {-1, -1}; // written to end every running program
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;

    mutable std::mutex m_mutex;
    CallProgramSettings m_settings;           // under m_mutex
    std::vector<std::shared_ptr<Job>> m_jobs; // under m_mutex
    bool m_bStopped = false;                  // under m_mutex
    int m_nPausing = 0;                       // under m_mutex: running programs that pause
    int m_nStarted = 0;                       // under m_mutex
    std::string m_sFailureTold;               // under m_mutex

    // The subscription's thread only: the call now ringing.
    CallProgramFacts m_call;
    bool m_bInCall = false;
    bool m_bBlocked = false;
    bool m_bRan = false;
};
