// The string table: messages and fixed texts by their numbers.
#pragma once

// The text of string id, or "" when the table has no such string.
const char* LoadStr(int id);
bool HasStr(int id);
