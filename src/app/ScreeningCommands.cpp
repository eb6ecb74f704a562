#include "app/ScreeningCommands.h"

#include "config/SettingsProvider.h"
#include "engine/CallHistory.h"
#include "engine/CallState.h"
#include "engine/ProgramFile.h"
#include "screening/ContactStore.h"
#include "screening/NumberLists.h"
#include "screening/PhoneNumbers.h"

std::string LastCallerNumber(const CCallState& state) {
    const std::vector<CNumber> calls = state.RecentCalls();
    if (calls.empty())
        return {};
    const CNumber& last = calls.back();
    const std::string number = last.m_sCidNumber.empty() ? last.m_sNumber : last.m_sCidNumber;
    if (CallerClassOf(number, last.m_sCidMessage) != CallerClass::Number)
        return {};
    return number;
}

ScreeningReply PutCallerOnList(const CCallState& state, const std::string& sNumber,
                               ContactList list) {
    ScreeningReply reply;
    const std::string number = sNumber.empty() ? LastCallerNumber(state) : sNumber;
    if (number.empty()) {
        reply.sText = "No caller with a number to " + std::string(ListWord(list));
        return reply;
    }
    ISettingsProvider& settings = SettingsProvider();
    const CPhoneNumbers numbers(settings.GetString("sCountry"), settings.GetString("AreaCode"));
    CContactStore store(numbers);
    if (!store.Open(ProgramFile(settings.GetString("sFileContacts")))) {
        reply.sText = store.Error();
        return reply;
    }
    const ListChange change = PutNumberOnList(store, numbers, number, list);
    reply.bDone = change.bDone;
    if (!change.bDone) {
        reply.sText = "Cannot " + std::string(ListWord(list)) + " " + number + ": " + change.sError;
        return reply;
    }
    const std::string who = numbers.Display(number) +
                            (change.sName == numbers.Display(number) ? "" : " (" + change.sName + ")");
    switch (list) {
    case ContactList::Block:
        reply.sText = who + " is blocked";
        break;
    case ContactList::Permit:
        reply.sText = who + " is always let through";
        break;
    case ContactList::None:
        reply.sText = who + " is neither blocked nor let through";
        break;
    }
    return reply;
}

ScreeningReply SetScreeningPaused(bool bPaused) {
    ScreeningReply reply;
    reply.bDone = SettingsProvider().SetInt("bScreeningPaused", bPaused ? 1 : 0);
    if (!reply.bDone)
        reply.sText = "Cannot store the screening switch: the settings file cannot be written";
    else
        reply.sText = bPaused ? "Call screening paused: every call rings" : "Call screening on";
    return reply;
}

bool IsScreeningPaused() {
    return SettingsProvider().GetBool("bScreeningPaused");
}
