// What reading a contacts file (vCard, CSV) gives: the contacts, and a line
// for everything it left out and why. A file refused as a whole gives no
// contacts at all, only sError.
#pragma once

#include "screening/Contact.h"

#include <cstddef>
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

// A contacts file read whole and then as ReadContactsFile reads it. A file
// that cannot be read, or is larger than kMaxContactsFileBytes (a disc
// image chosen by mistake), is refused with the reason in sError
// ("/x/a.vcf: No such file or directory", "/x/a.vcf is refused: text that
// is not UTF-8").
inline constexpr size_t kMaxContactsFileBytes = 256u * 1024 * 1024;
ContactsImport ReadContactsFromFile(const std::string& path);

// The contacts written to path at once (the file there before stays whole
// when it fails): CSV when the name ends in ".csv", vCard 4.0 otherwise.
// "" when written, else why not ("/x/a.vcf cannot be written: Permission
// denied").
std::string WriteContactsToFile(const std::string& path, const std::vector<Contact>& contacts);
