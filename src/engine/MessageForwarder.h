// Forwarding on a shared analogue line (a modem or the USB adapter), where a
// call cannot be sent on: the message is. Once a message is stored
// (nFwdMethod not off, sFwdPhone set, the caller not blocked unless
// bFwdBlack), sFwdPhone is dialled with the program's dial rules while no
// other call is on the line; when it answers, the message's announcement
// and the message play and the line is put back. Busy, no answer or a line
// that cannot be dialled is tried again a few times, then given up; each
// attempt that fails is told on the status line, and what became of the
// message is kept in its call's history.
//
// The messages reach it as call events on a subscription of its own; the
// dialling is done by the worker between calls (RunDue), so nothing holds
// the worker while a retry waits.
#pragma once

#include "engine/CallEvents.h"

#include <chrono>
#include <deque>
#include <mutex>
#include <string>

class CDialer;
class CPhone;
class ICallControl;
struct CCallStateData;

class CMessageForwarder {
public:
    static constexpr int kAttempts = 3;
    static constexpr auto kDefaultRetryDelay = std::chrono::minutes(2);

    CMessageForwarder(CPhone& phone, CCallStateData& state, CDialer& dialer, ICallControl& line);
    CMessageForwarder(const CMessageForwarder&) = delete;
    CMessageForwarder& operator=(const CMessageForwarder&) = delete;

    void Start(CCallEventPublisher& events);
    void Stop();
    // The wait before another attempt (tests shorten it).
    void SetRetryDelay(std::chrono::milliseconds delay) { m_retryDelay = delay; }

    // Worker thread, with no call on the line: the attempt due now, if any.
    void RunDue();
    // Messages still to be forwarded (any thread).
    size_t Pending() const;

private:
    struct Queued {
        HistoryEntry message; // the caller and the recording
        bool bBlocked = false;
        int nAttempt = 0;
        std::chrono::steady_clock::time_point due;
    };
    void OnEvent(const CallEvent& event);
    // One attempt: true when the message was played to the far end.
    bool Attempt(const Queued& p, const std::string& sNumber, std::string* pWhy);
    void Tell(const std::string& text);
    // The message's forwarding is over: forwarded (sProblem "") or given
    // up; told, and published for the call's history.
    void Done(const Queued& p, const std::string& sNumber, const std::string& sCaller,
              const std::string& sProblem);

    CPhone& m_phone;
    CCallStateData& m_state;
    CDialer& m_dialer;
    ICallControl& m_line;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;
    std::chrono::milliseconds m_retryDelay = kDefaultRetryDelay;

    // The subscription's thread: the call whose message may come.
    HistoryEntry m_call;
    bool m_bBlocked = false;

    mutable std::mutex m_mutex;
    std::deque<Queued> m_queue; // under m_mutex
};
