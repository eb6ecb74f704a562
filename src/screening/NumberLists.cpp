#include "screening/NumberLists.h"

#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

ListChange PutNumberOnList(CContactStore& store, const CPhoneNumbers& numbers,
                           std::string_view number, ContactList list, std::string_view name) {
    ListChange change;
    const std::string normalised = numbers.Normalise(number);
    if (normalised.empty()) {
        change.sError = "\"" + std::string(number) + "\" is no telephone number";
        return change;
    }
    std::optional<Contact> contact = store.ContactForNumber(normalised);
    if (contact) {
        contact->list = list;
        change.bDone = store.UpdateContact(*contact);
    } else if (!store.Error().empty()) {
        change.sError = store.Error();
        return change;
    } else {
        contact.emplace();
        contact->sName = name.empty() ? numbers.Display(number) : std::string(name);
        contact->numbers.push_back({std::string(number), ""});
        contact->list = list;
        change.bNewContact = true;
        change.bDone = store.AddContact(*contact) != 0;
    }
    change.sName = contact->sName;
    if (!change.bDone)
        change.sError = store.Error();
    return change;
}

std::string NumbersText(const Contact& contact, const CPhoneNumbers& numbers) {
    std::string text;
    for (const ContactNumber& n : contact.numbers) {
        text += text.empty() ? "" : ", ";
        text += numbers.Display(n.sNumber);
        if (!n.sType.empty())
            text += " (" + n.sType + ")";
    }
    return text;
}
