// CCallHistory: the worker's hold on the contacts file (sFileContacts): it
// screens the caller of each ringing call against the contacts and rules
// there, and writes every call that rang into the file's call history with
// how it ended, its recording, if any, and what became of forwarding it
// (the call folders' index.dat stay the call log of the recordings).
//
// The file is opened once, when the worker's loop starts; a file that cannot
// be opened is told once (trace and status line) and calls then go on
// unscreened and without history. The history follows the worker's call
// events on a subscription of its own, so a slow file never holds up the
// line; Screen runs on the worker's thread.
#pragma once

#include "engine/CallEvents.h"
#include "screening/Screening.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CContactStore;
class CPhone;
class CPhoneNumbers;

class CCallHistory {
public:
    explicit CCallHistory(CPhone& phone);
    ~CCallHistory();
    CCallHistory(const CCallHistory&) = delete;
    CCallHistory& operator=(const CCallHistory&) = delete;

    // Opens the file (the first time only) and follows the events; Stop
    // writes the call still open and ends the subscription.
    void Start(CCallEventPublisher& events);
    void Stop();

    // What to do with the caller now known (LetRing with no rule when the
    // file is not open), and the contact the caller is, if any (named and
    // greeted as such whatever the decision).
    ScreeningDecision Screen(const ScreeningCall& call, std::optional<Contact>& contact);

    // The messages not yet heard, oldest first (none when the file is not
    // open), and marking one heard or not; the phone's bNewMessages follows
    // the count of unheard messages (at the start, after each call and after
    // each mark).
    std::vector<HistoryEntry> UnheardMessages();
    bool MarkHeard(int64_t id, bool bHeard);
    // The name of the contact a call matched ("" none, or no file).
    std::string ContactName(const HistoryEntry& call);

private:
    void OnEvent(const CallEvent& event);
    // Where the call or its message went, or why not.
    void Forwarded(const CallForwarded& f);
    void BeginCall();
    void EndCall();
    // A file without history beside recordings gets their calls from the
    // call folders' index.dat, once.
    void RebuildIfLost();
    void Report(const std::string& text);
    void CountNewMessages();

    CPhone& m_phone;
    std::unique_ptr<CPhoneNumbers> m_numbers;
    std::unique_ptr<CContactStore> m_store; // set while the file is open
    bool m_bOpenTried = false;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;

    // The subscription's thread only.
    std::string m_sLine; // the device as it was last opened
    HistoryEntry m_call;
    bool m_bInCall = false; // a call rang and its row is not written yet
    bool m_bAnswered = false;
    int64_t m_nLastId = 0; // the row of the call ended last (its recording may follow)
    bool m_bWriteFailed = false;
};

// The kind of caller ID of a call's number as the engine keeps it ("P",
// "Private", "O", "Anonymous", "NA", ...).
CallerClass CallerClassOf(const std::string& sNumber, const std::string& sCidMessage);

// The decision as the status line and the log tell it ("caller blocked:
// block list: contact Foo").
std::string ScreeningText(const ScreeningDecision& d);
