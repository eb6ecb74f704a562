// A contact of the user's address book and the lists a caller can be on.
// The store (contacts, prefix rules, call history), the vCard and CSV
// readers and writers, and the screening decision all speak these types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which list a contact is on: none, the permit list (family, friends) or
// the block list.
enum class ContactList { None = 0, Permit = 1, Block = 2 };

// The list's word in files and on the command line: "none", "permit", "block".
inline const char* ListWord(ContactList list) {
    return list == ContactList::Permit ? "permit" : list == ContactList::Block ? "block" : "none";
}

struct ContactNumber {
    std::string sNumber; // as the user or the card wrote it
    std::string sType;   // "home", "work", "cell", "fax", "voice", ... ("" none)
};

struct Contact {
    int64_t nId = 0; // the store's id; 0 not stored yet
    std::string sName;
    std::vector<ContactNumber> numbers;
    ContactList list = ContactList::None;
    std::string sGreeting; // a personal greeting's WAV file ("" the usual one)
    std::string sMemo;
};
