// What reading a contacts file (vCard, CSV) gives: the contacts, and a line
// for everything it left out and why. A file refused as a whole gives no
// contacts at all, only sError.
#pragma once

#include "screening/Contact.h"

#include <string>
#include <vector>

struct ContactsImport {
    std::vector<Contact> contacts;
    // "skipped: card 3 (Anna Berg): no telephone number", one per entry left out.
    std::vector<std::string> skipped;
    // Why the whole file was refused ("" when it was read); contacts and
    // skipped are empty then.
    std::string sError;
};
