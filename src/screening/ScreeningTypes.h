// What call screening knows of a call and the rules it keeps besides the
// contacts: the kinds of caller ID, what screening does with a call, how the
// call ended, the number ranges and the call history.
#pragma once

#include "screening/Contact.h"

#include <cstdint>
#include <string>

// What the network said about the caller besides a number.
enum class CallerClass {
    Number = 0,    // a number was sent
    Withheld = 1,  // withheld by the caller, or "anonymous"
    OutOfArea = 2, // unavailable, out of area
    Payphone = 3,
    Invalid = 4, // caller ID that cannot be read
};
constexpr int kCallerClassCount = 5;

// What screening does with a ringing call.
enum class ScreenAction {
    LetRing = 0,           // as any caller
    ShowBlocked = 1,       // shown as blocked, rings on
    HangUp = 2,            // taken and hung up at once (declined on a SIP line)
    NotInService = 3,      // information tones and "not in service", then hung up
    TakeMessage = 4,       // a message taken with the caller's own greeting
    NeverAnswer = 5,       // rings through, the machine never answers
    AnswerAtFirstRing = 6, // the machine answers at the first ring
    Challenge = 7,         // "to reach us, press N" before a message
};

// Whether the action is the block list's: the caller is kept from the user.
inline bool BlocksCaller(ScreenAction a) {
    return a == ScreenAction::ShowBlocked || a == ScreenAction::HangUp ||
           a == ScreenAction::NotInService || a == ScreenAction::TakeMessage;
}

// How a call ended, as the history keeps it.
enum class CallOutcome {
    Ringing = 0, // not over yet
    Answered = 1,
    Message = 2,
    Recorded = 3,
    Missed = 4,
    Blocked = 5,
    ChallengeFailed = 6,
    Forwarded = 7, // sent on unanswered (a message forwarded after it stays a Message)
};

// A number range and the list its callers are on.
struct PrefixRule {
    std::string sPrefix; // normalised ("+49900")
    ContactList list = ContactList::None;
};

// One call of the history.
struct HistoryEntry {
    int64_t nId = 0;     // the store's id; 0 not stored yet
    int64_t tTime = 0;   // seconds since 1970, UTC
    std::string sLine;   // the line it came in on
    std::string sName;   // the caller's name as the network sent it
    std::string sNumber; // the caller's number as sent
    std::string sNormalised;
    int64_t nContactId = 0; // the contact it matched, 0 none
    ScreenAction decision = ScreenAction::LetRing;
    std::string sRule; // the rule that made the decision, in words
    CallOutcome outcome = CallOutcome::Ringing;
    std::string sRecording; // the recording's file name ("" none)
    bool bHeard = false;
    std::string sForwardedTo;    // where the call (or its message) was sent on ("" not)
    std::string sForwardProblem; // why forwarding it failed ("not forwarded to ...: busy"), or ""
};

// Which calls of the history to list.
// UnheardMessages: the messages not yet marked heard.
enum class HistoryFilter { All = 0, Missed = 1, Blocked = 2, UnheardMessages = 3 };
