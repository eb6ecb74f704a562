// vCard files (RFC 6350 4.0, RFC 2426 3.0 and the 2.1 of older phones) read
// into contacts and contacts written as vCard 4.0.
#pragma once

#include "screening/ContactsImport.h"

#include <string>
#include <string_view>
#include <vector>

// Bounds past which a vCard file is refused as a whole.
inline constexpr size_t kVCardMaxCardBytes = 1024 * 1024; // one card, one line
inline constexpr size_t kVCardMaxCards = 100000;
inline constexpr size_t kVCardMaxFolds = 20000; // physical lines of one property

// Reads every card of text. A card gives a contact when it has at least one
// TEL: its name is FN, else N assembled ("Dr. Anna Maria Berg"), else ORG;
// every TEL a number (a "tel:" URI's number without its parameters) with its
// most telling type ("cell", "fax", "home", ...); NOTE the memo. Control
// characters but tab and new line are dropped from the text. A card
// without a TEL, or in a charset other than UTF-8, US-ASCII or ISO-8859-1,
// is skipped with a reason. Hostile or broken files (a line or a card beyond
// kVCardMaxCardBytes, more than kVCardMaxCards cards, a property folded over
// more than kVCardMaxFolds lines, text that is not UTF-8, BEGIN without END)
// are refused as a whole. A file without a card gives no contacts.
ContactsImport ReadVCards(std::string_view text);

// The contacts as vCard 4.0: FN, N, a TEL per number (a tel: URI where the
// number is one, text otherwise), NOTE, and the list (X-VORELLA-LIST) when
// the contact is on one; lines folded at 75 octets, CRLF. ReadVCards gives
// the same contacts back (but for the store's id and the greeting).
std::string WriteVCards(const std::vector<Contact>& contacts);
