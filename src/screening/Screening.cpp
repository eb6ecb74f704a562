#include "screening/Screening.h"

#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

ScreeningFacts LookUpCaller(CContactStore& store, const CPhoneNumbers& numbers,
                            const ScreeningCall& call) {
    ScreeningFacts facts;
    if (call.callerClass == CallerClass::Number)
        facts.sNormalised = numbers.Normalise(call.sNumber);
    if (!facts.sNormalised.empty()) {
        facts.contact = store.ContactForNumber(facts.sNormalised);
        facts.prefix = store.PrefixRuleFor(facts.sNormalised);
        std::vector<HistoryEntry> last = store.CallsOf(facts.sNormalised, 1);
        if (!last.empty())
            facts.lastCall = std::move(last.front());
    }
    if (call.callerClass != CallerClass::Number)
        facts.classList = store.ClassRule(call.callerClass);
    return facts;
}

namespace {

ScreenAction BlockAction(const ScreeningSettings& s) {
    if (s.bDropBlackCalls)
        return ScreenAction::HangUp;
    switch (s.nBlackAction) {
    case 1:
        return ScreenAction::HangUp;
    case 2:
        return ScreenAction::NotInService;
    case 3:
        return ScreenAction::TakeMessage;
    default:
        return ScreenAction::ShowBlocked;
    }
}

ScreenAction PermitAction(const ScreeningSettings& s) {
    switch (s.nWhiteAction) {
    case 1:
        return ScreenAction::NeverAnswer;
    case 2:
        return ScreenAction::AnswerAtFirstRing;
    default:
        return ScreenAction::LetRing;
    }
}

ScreenAction ListAction(ContactList list, const ScreeningSettings& s) {
    return list == ContactList::Block ? BlockAction(s) : PermitAction(s);
}

const char* ClassName(CallerClass c) {
    switch (c) {
    case CallerClass::Withheld:
        return "withheld number";
    case CallerClass::OutOfArea:
        return "out of area";
    case CallerClass::Payphone:
        return "payphone";
    case CallerClass::Invalid:
        return "invalid caller ID";
    case CallerClass::Number:
        break;
    }
    return "unknown caller";
}

// Whether the action keeps the caller from the user or the machine.
bool Screens(ScreenAction a) {
    return a != ScreenAction::LetRing && a != ScreenAction::NeverAnswer &&
           a != ScreenAction::AnswerAtFirstRing;
}

// The caller rang within the window, was screened then and did not break
// through that time.
bool RepeatCaller(const ScreeningCall& call, const ScreeningFacts& facts,
                  const ScreeningSettings& s) {
    return s.nRepeatMinutes > 0 && facts.lastCall &&
           call.tTime - facts.lastCall->tTime <= int64_t{s.nRepeatMinutes} * 60 &&
           Screens(facts.lastCall->decision);
}

// Rules 4 to 6, before the repeat caller's break-through.
ScreeningDecision ByRules(const ScreeningCall& call, const ScreeningFacts& facts,
                          const ScreeningSettings& s) {
    if (facts.prefix && facts.prefix->list != ContactList::None)
        return {ListAction(facts.prefix->list, s), "prefix " + facts.prefix->sPrefix, 0};
    if (call.callerClass != CallerClass::Number && facts.classList != ContactList::None)
        return {ListAction(facts.classList, s), ClassName(call.callerClass), 0};
    if (s.bChallenge)
        return {ScreenAction::Challenge, ClassName(call.callerClass), 0};
    return {ScreenAction::LetRing, "no rule", 0};
}

} // namespace

ScreeningDecision Decide(const ScreeningCall& call, const ScreeningFacts& facts,
                         const ScreeningSettings& s) {
    if (call.bCallInProgress)
        return {ScreenAction::LetRing, "a call is in progress", 0};
    if (s.bPaused)
        return {ScreenAction::LetRing, "screening paused", 0};
    if (facts.contact) {
        const Contact& c = *facts.contact;
        switch (c.list) {
        case ContactList::Block:
            return {BlockAction(s), "block list: contact " + c.sName, c.nId};
        case ContactList::Permit:
            return {PermitAction(s), "permit list: contact " + c.sName, c.nId};
        case ContactList::None:
            return {ScreenAction::LetRing, "contact " + c.sName, c.nId};
        }
    }
    ScreeningDecision d = ByRules(call, facts, s);
    if (Screens(d.action) && RepeatCaller(call, facts, s))
        return {ScreenAction::LetRing,
                "repeat caller within " + std::to_string(s.nRepeatMinutes) + " min", 0};
    return d;
}
