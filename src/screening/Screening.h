// The screening decision: what to do with a ringing call whose caller is
// known, and the rule that made it, in words for the log and the history.
//
// The order, first that applies wins:
//   1. a call already in progress on the line is never acted on;
//   2. the pause switch lets every call ring;
//   3. the caller's contact: block list (nBlackAction, bDropBlackCalls),
//      permit list (nWhiteAction), or no list (a known caller, rings);
//   4. the longest number range holding the number;
//   5. the rule for the kind of caller ID (withheld, out of area, ...);
//   6. the challenge, when on, for every caller left (unknown or withheld).
// A caller screened by 4 to 6 who rings again within the repeat window
// breaks through once: the call after a break-through is screened again. A
// contact on the block list never breaks through.
#pragma once

#include "screening/Contact.h"
#include "screening/ScreeningTypes.h"

#include <cstdint>
#include <optional>
#include <string>

class CContactStore;
class CPhoneNumbers;

struct ScreeningSettings {
    int nBlackAction = 0;         // 0 show as blocked, 1 hang up, 2 not in service, 3 message
    int nWhiteAction = 0;         // 0 as any caller, 1 never answered, 2 answered at once
    bool bDropBlackCalls = false; // block list callers are always hung up on
    bool bPaused = false;         // screening paused: every call rings
    bool bChallenge = false;      // unknown and withheld callers must press a key
    int nRepeatMinutes = 0;       // a repeat caller breaks through; 0 never
};

struct ScreeningCall {
    std::string sNumber; // as sent
    CallerClass callerClass = CallerClass::Number;
    int64_t tTime = 0;            // seconds since 1970
    bool bCallInProgress = false; // the line already carries a conversation
};

// What the store knows of the caller.
struct ScreeningFacts {
    std::string sNormalised;
    std::optional<Contact> contact;
    std::optional<PrefixRule> prefix;
    ContactList classList = ContactList::None; // the rule for the call's kind
    std::optional<HistoryEntry> lastCall;      // the number's newest call before
};

struct ScreeningDecision {
    ScreenAction action = ScreenAction::LetRing;
    std::string sRule; // "block list: contact Foo", "prefix +49900", ...
    int64_t nContactId = 0;
};

// The store's answers for one call (the number read once).
ScreeningFacts LookUpCaller(CContactStore& store, const CPhoneNumbers& numbers,
                            const ScreeningCall& call);

ScreeningDecision Decide(const ScreeningCall& call, const ScreeningFacts& facts,
                         const ScreeningSettings& settings);
