// Blocking or permitting a caller in one step, by number: the contact that
// has the number moves to the list, and a number no contact has gets a
// contact of its own, named after the number.
#pragma once

#include "screening/Contact.h"

#include <string>
#include <string_view>

class CContactStore;
class CPhoneNumbers;

struct ListChange {
    bool bDone = false;
    bool bNewContact = false; // a contact was made for the number
    std::string sName;        // the contact's name
    std::string sError;       // why it was not done
};

// A new contact is named name, or after the number when name is "".
ListChange PutNumberOnList(CContactStore& store, const CPhoneNumbers& numbers,
                           std::string_view number, ContactList list, std::string_view name = {});

// A contact's numbers as a list shows them: each in its display form, with
// its type ("030 123456 (home), 0171 2345678 (cell)").
std::string NumbersText(const Contact& contact, const CPhoneNumbers& numbers);
