// Small text helpers shared by every layer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Blanks (space, tab, CR, LF) removed from both ends.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

// ASCII case folding; other bytes are left alone.
// The value of one hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

std::string ToLowerAscii(std::string_view s);
std::string ToUpperAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Lower case for searching UTF-8 text in any script ("MÜLLER" -> "müller");
// bytes that are not UTF-8 are left as they are.
std::string ToLowerUtf8(std::string_view s);

// Length of the well-formed UTF-8 sequence starting at s[i] (1 for ASCII),
// or 0 when the bytes there are not one (overlong forms and surrogates
// included).
size_t Utf8SequenceLength(std::string_view s, size_t i);
// Whether all of s is well-formed UTF-8.
bool IsUtf8(std::string_view s);

// Cuts s to at most maxBytes bytes without splitting a UTF-8 sequence.
std::string Utf8Truncate(std::string s, size_t maxBytes);

// Splits at every separator; every part becomes an entry, empty ones included
// ("" gives one empty entry, "a;" gives "a" and "").
std::vector<std::string> SplitKeepEmpty(std::string_view s, char sep);

// printf-style formatting into a std::string.
std::string StrPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
