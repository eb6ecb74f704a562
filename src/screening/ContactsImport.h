// What reading a contacts file (vCard, CSV) gives: the contacts, and a line
// for everything it left out and why. A file refused as a whole gives no
// contacts at all, only sError.
#pragma once

#include "screening/Contact.h"

#include <string>
#include <string_view>
#include <vector>

struct ContactsImport {
    std::vector<Contact> contacts;
    // "skipped: card 3 (Anna Berg): no telephone number", one per entry left out.
    std::vector<std::string> skipped;
    // Why the whole file was refused ("" when it was read); contacts and
    // skipped are empty then.
    std::string sError;
};

// A contacts file of either kind, told apart by its content: vCard when it
// begins with a card ("BEGIN:VCARD", after a byte-order mark and blanks),
// CSV otherwise.
ContactsImport ReadContactsFile(std::string_view text);
