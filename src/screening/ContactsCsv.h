// Contacts as CSV rows "number,name,list" (RFC 4180), a row per number.
#pragma once

#include "screening/ContactsImport.h"

#include <string>
#include <string_view>
#include <vector>

// Reads rows of number, name and list ("none", "permit", "block" or empty;
// name and list may be left out). A first row "number,name,list" is a
// header. Rows with the same non-empty name become one contact with all
// their numbers. A row without a number, with more than three fields or an
// unknown list is skipped with a reason; text that is not UTF-8, a quote
// never closed or more than kCsvMaxRows rows refuse the file as a whole.
inline constexpr size_t kCsvMaxRows = 1000000;
ContactsImport ReadContactsCsv(std::string_view text);

// The header row, then a row per number of each contact (a contact without a
// number gives none), CRLF line ends, fields quoted where they need it.
std::string WriteContactsCsv(const std::vector<Contact>& contacts);
