// The contacts window without its widgets: where the contacts file is,
// what a row of its list shows, what an edited contact must be before it is
// stored, and import and export with what they did.
#pragma once

#include "screening/Contact.h"

#include <cstddef>
#include <string>
#include <vector>

class CContactStore;
class CPhoneNumbers;

// The contacts file and how its numbers are read, as the settings say
// (sFileContacts in the program folder, sCountry, AreaCode).
struct ContactsPlace {
    std::string sPath;
    std::string sCountry;
    std::string sAreaCode;
};
ContactsPlace ContactsPlaceFromSettings();

// What the list shows of a contact: its name (its first number when it has
// none), its numbers in their display form with their types, its list.
struct ContactRow {
    std::string sName;
    std::string sNumbers;
    ContactList list = ContactList::None;
};
ContactRow RowOf(const Contact& contact, const CPhoneNumbers& numbers);

// The contact as the editor's fields give it, tidied: blanks around the
// texts taken off, number rows left empty dropped.
Contact Tidied(Contact contact);
// What keeps the tidied contact from being stored, one line each; empty
// when nothing does: neither a name nor a number, a number that is none
// ("Anonymous"), the same number twice, a greeting that cannot be read.
std::vector<std::string> CheckContact(const Contact& contact, const CPhoneNumbers& numbers);

// What an import or export did: how many contacts, the contacts left out
// and why, and why nothing was done at all ("" when it was done).
struct ContactsTransfer {
    size_t nContacts = 0;
    std::vector<std::string> skipped;
    std::string sError;
};
// Imports every contact of a vCard or CSV file, or none when the file is
// refused or the store cannot take them all.
ContactsTransfer ImportContactsFile(CContactStore& store, const std::string& path);
// Writes every contact of the store (CSV for a ".csv" name, vCard otherwise).
ContactsTransfer ExportContactsFile(CContactStore& store, const std::string& path);
