#include "app/ScreeningCommands.h"

#include "app/ContactsLogic.h"
#include "config/SettingsProvider.h"
#include "engine/CallHistory.h"
#include "engine/CallState.h"
#include "platform/CallerIdWords.h"
#include "screening/ContactStore.h"
#include "screening/NumberLists.h"
#include "screening/PhoneNumbers.h"

std::string LastCallerNumber(const CCallState& state) {
    // The call on the line, or the last one, once its caller ID is read; a
    // call dialled out, or one still waiting for it, has none, and the run's
    // calls kept for the missed-call notice may name an earlier caller.
    CNumber last = state.CurrentCall();
    if (last.m_sCidNumber.empty() && last.m_sCidMessage.empty()) {
        const std::vector<CNumber> calls = state.RecentCalls();
        if (calls.empty())
            return {};
        last = calls.back();
    }
    const std::string number = last.m_sCidNumber.empty() ? last.m_sNumber : last.m_sCidNumber;
    if (CallerClassOf(number, last.m_sCidMessage) != CallerClass::Number)
        return {};
    return number;
}

namespace {
// The numbers as the settings write them.
CPhoneNumbers SettingsNumbers() {
    const ContactsPlace place = ContactsPlaceFromSettings();
    return CPhoneNumbers(place.sCountry, place.sAreaCode);
}

// Opens the contacts file of the settings; false with the reason in reply.
bool OpenContacts(CContactStore& store, ScreeningReply& reply) {
    if (store.Open(ContactsPlaceFromSettings().sPath))
        return true;
    reply.sText = store.Error();
    return false;
}

// The name the network sent with number on the call on the line or an
// earlier call of the run ("" none): a contact made by blocking a caller is
// named as the caller was shown, not after the bare number.
std::string CallerNameFor(const CCallState& state, const CPhoneNumbers& numbers,
                          const std::string& number) {
    const std::string wanted = numbers.Normalise(number);
    std::vector<CNumber> calls = state.RecentCalls();
    calls.push_back(state.CurrentCall());
    for (auto it = calls.rbegin(); it != calls.rend() && !wanted.empty(); ++it) {
        const std::string sent = it->m_sCidNumber.empty() ? it->m_sNumber : it->m_sCidNumber;
        if (!IsCallerIdPlaceholder(it->m_sCidName) && numbers.Normalise(sent) == wanted)
            return it->m_sCidName;
    }
    return {};
}

} // namespace

bool OffersListCommands(const std::string& sShownNumber) {
    return CallerClassOf(sShownNumber, "") == CallerClass::Number;
}

ScreeningReply PutCallerOnList(const CCallState& state, const std::string& sNumber,
                               ContactList list) {
    ScreeningReply reply;
    const std::string number = sNumber.empty() ? LastCallerNumber(state) : sNumber;
    if (number.empty()) {
        reply.sText = "No caller with a number to " + std::string(ListWord(list));
        return reply;
    }
    const CPhoneNumbers numbers = SettingsNumbers();
    CContactStore store(numbers);
    if (!OpenContacts(store, reply))
        return reply;
    const ListChange change =
        PutNumberOnList(store, numbers, number, list, CallerNameFor(state, numbers, number));
    reply.bDone = change.bDone;
    if (!change.bDone) {
        reply.sText = "Cannot " + std::string(ListWord(list)) + " " + number + ": " + change.sError;
        return reply;
    }
    const std::string who =
        numbers.Display(number) +
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

ScreeningReply AddCallerToContacts(const std::string& sNumber, const std::string& sName) {
    ScreeningReply reply;
    const CPhoneNumbers numbers = SettingsNumbers();
    const std::string normalised = numbers.Normalise(sNumber);
    if (normalised.empty()) {
        reply.sText = "Cannot add \"" + sNumber + "\" to the contacts: it is no telephone number";
        return reply;
    }
    CContactStore store(numbers);
    if (!OpenContacts(store, reply))
        return reply;
    const std::string shown = numbers.Display(sNumber);
    if (std::optional<Contact> known = store.ContactForNumber(normalised)) {
        reply.sText = shown + " is a contact already: " + known->sName;
        return reply;
    }
    if (!store.Error().empty()) {
        reply.sText = store.Error();
        return reply;
    }
    Contact contact;
    contact.sName = sName.empty() ? shown : sName;
    contact.numbers.push_back({sNumber, ""});
    reply.bDone = store.AddContact(contact) != 0;
    reply.sText = reply.bDone ? shown + " is in the contacts as " + contact.sName
                              : "Cannot add " + shown + " to the contacts: " + store.Error();
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
