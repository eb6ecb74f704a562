// The string table: messages and fixed texts by their numbers.
#pragma once

#include <string>
#include <vector>

struct StringCatalogue;

// The text of string id in the user's language, or "" when the table has no
// such string. The first call looks for the catalogue of the user's language
// (StringCatalogue.h); a text it lacks or refused is the English one. The
// text stays valid for the life of the process.
const char* LoadStr(int id);
bool HasStr(int id);

// The built-in English text of id, or "".
const char* LoadEnglishStr(int id);
// Every id of the table, in order.
std::vector<int> StringIds();
// Texts that are file names or parts of a file format, not words for the
// user: no catalogue changes them.
bool IsFixedStr(int id);

// From now on LoadStr takes its texts from catalogue (an empty one: English
// only). Texts handed out earlier stay valid.
void UseStringCatalogue(StringCatalogue catalogue);
