// Text of call indexes written before the program wrote UTF-8: names and
// memos in the 8-bit code page of the system that wrote them. Such bytes are
// almost never valid UTF-8, so a field is read as UTF-8 where it is valid and
// in the legacy code page where it is not; records stay on disk as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The code page the setting Options/sLegacyCodePage names (its default when
// the settings file does not hold it).
std::string LegacyCodePage();


// The text as UTF-8: valid UTF-8 is kept as it is, every run of other bytes
// is converted from codePage. A byte that code page does not define, or any
// byte when codePage is unknown to the system, becomes U+FFFD; sError (when
// given) then says what went wrong.
std::string TextFromIndex(std::string_view text, const std::string& codePage,
                          std::string* sError = nullptr);
