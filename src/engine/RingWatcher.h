// CRingWatcher: follows the rings of a call. It waits for the device's
// rings, counts each one, has the caller identified and the ring sound
// played, asks the answering machine in at the answer ring, and takes the
// step due when the rings end (the handset's recording, the missed-call
// notice). It also owns the front end's request to set the device's handset
// flag for a call offered without a ring.
//
// The steps run on the worker's thread; Forget, RequestHandsetFlag,
// CancelHandsetFlag, SetTrayState, SetMailSettleRounds and RingCount may be
// used from any thread.
#pragma once

#include "engine/RingRules.h"
#include "modem/CommDriver.h"
#include "screening/Screening.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class CCallEventPublisher;
class CNumber;
class CPhone;
class ICallControl;
class IUiBridge;
struct CCallStateData;

// What the ring watcher asks of the worker that runs it.
class IRingHost {
public:
    // Whether the worker was asked to stop.
    virtual bool StopAsked() const = 0;
    // Whether requests wait in the worker's queue.
    virtual bool MessagesWaiting() const = 0;
    // Marks the worker as waiting for the device (a request then breaks
    // the wait).
    virtual void SetWaiting(bool bWaiting) = 0;
    // Waits for the next request of a device whose events come as requests.
    virtual void WaitForMessage() = 0;
    // Runs the requests queued so far.
    virtual void PumpMessages() = 0;
    // Records the call now on the line (a lifted handset asks for it).
    virtual void RecordCall() = 0;
    // Records the call a handset took when the rings ended.
    virtual void RecordHandsetCall() = 0;
    // Hangs the line up.
    virtual void HangUp() = 0;
    // Sends the notice of calls that rang (bRecorded: with their recordings).
    virtual void SendMissedCalls(const std::vector<CNumber>& calls, bool bRecorded) = 0;
    // Takes the line, plays the file to it and hangs up.
    virtual void PlayThenHangUp(const std::string& file) = 0;
    // What screening does with the caller now known, and the contact the
    // caller is (none when not one).
    virtual ScreeningDecision Screen(const ScreeningCall& call,
                                     std::optional<Contact>& contact) = 0;

protected:
    ~IRingHost() = default;
};

class CRingWatcher {
public:
    CRingWatcher(CPhone& phone, CCallStateData& state, IUiBridge& ui, CCallEventPublisher& events,
                 ICallControl& line, IRingHost& host);
    CRingWatcher(const CRingWatcher&) = delete;
    CRingWatcher& operator=(const CRingWatcher&) = delete;

    // ---- the worker's steps ---------------------------------------------
    // Waits for the next ring (or caller-ID lines ahead of it); true when
    // one came and HandleRing is due.
    bool WaitEvent();
    // One ring of the call: counted, caller ID read, sound, answer, pop-up.
    // It starts the next call when the rings before it are over, and is
    // passed over while the line is off hook.
    void HandleRing();
    // The caller ID the device has for the call now ringing.
    void ReadCallerId();
    // Follows the ring timing at a line check: the rings-ended step when
    // they ended unanswered, and the count forgotten when they are over.
    void CheckTiming();
    // Forgets the rings of the call (and what they told).
    void ResetRings();
    // Forgets the rings when Forget asked for it.
    void ForgetIfAsked();
    // The line was hung up: rings that end after this were answered here.
    void LineHungUp(bool bWasOffHook);
    // Applies the handset-flag request once it is due.
    void ApplyHandsetRequest();
    // A call offered by a telephony line (the refresh timer runs while no
    // ring came).
    void CallOffered();

    // ---- any thread -----------------------------------------------------
    // Asks the worker to forget the rings counted for the call now ringing.
    void Forget() { m_bForgetRings = true; }
    // The handset flag: set when no ring has been counted for the call and
    // no stop is pending, else cleared, afterMs from now. Cancel drops a
    // request not yet applied.
    void RequestHandsetFlag(bool bStopPending, uint32_t afterMs);
    void CancelHandsetFlag();
    int RingCount() const { return m_nRingCount.load(); }
    // The tray state (1 to 3 keep the ring sound quiet).
    void SetTrayState(int nState) { m_nTrayState = nState; }
    // How long the rings-ended step lets the front end settle before a
    // missed-call notice, in 50 ms rounds.
    void SetMailSettleRounds(int nRounds) { m_nMailSettleRounds = nRounds; }

private:
    bool CountRing(bool bCidOnly);
    bool TakeHeldCidLines();
    void HandsetCheck();
    // The step due when the rings of a call ended (see CheckTiming).
    void RingsEnded(const CRingState& rings);
    void PlayRingSound();
    // The caller is known: screened once a call (none when it was, or when
    // there is no contacts file), and named as the contact it is.
    std::optional<ScreeningDecision> ScreenCaller();
    // A call forwarded always goes as soon as its caller is screened (or
    // known to have told nothing); true when it went.
    bool ForwardOffered();
    // The decision published and acted on.
    void ActOn(const ScreeningDecision& d);
    // The call's facts published: the caller as now identified (if any).
    void TellCaller();
    void Log(const std::string& text);

    CPhone& m_phone;
    CCallStateData& m_state;
    IUiBridge& m_ui;
    CCallEventPublisher& m_events;
    ICallControl& m_line;
    IRingHost& m_host;

    // Worker thread only.
    CRingState m_rings;
    // Caller-ID lines read while waiting for a ring, for the reader.
    std::deque<HeldCidLine> m_heldCid;
    // The watcher woke for caller-ID lines, not for a ring.
    bool m_bCidWithoutRing = false;
    bool m_bPopupShown = false;
    bool m_bAnswerAsked = false; // the machine was asked to answer this call
    bool m_bScreened = false;    // the caller of this call was screened
    // Forwarding always was tried for this call.
    bool m_bForwardTried = false;

    // Any thread.
    std::atomic<int> m_nRingCount{0};
    std::atomic<bool> m_bForgetRings{false}; // Forget asked, the worker forgets
    std::atomic<int> m_nHandsetRequest{0};   // kHandset* of RequestHandsetFlag
    std::atomic<uint32_t> m_dwHandsetDue{0}; // tick count it is applied at
    std::atomic<int> m_nTrayState{0};
    std::atomic<int> m_nMailSettleRounds{300};
};
