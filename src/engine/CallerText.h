// Clean-up of caller data. Everything that arrives from the line (caller-ID
// lines, raw caller-ID bytes, touch-tone keys) is chosen by a stranger, and it
// ends up in window titles, the call index, XML files and e-mail, so it is made
// harmless once, where it enters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest caller field we keep, in bytes: the modem's own line limit.
constexpr size_t kMaxCallerField = 255;

// Control characters (C0 and DEL, NUL included) removed, a tab made a space,
// bytes that are not valid UTF-8 replaced by "?", and the result cut to
// maxBytes without splitting a character.
std::string SanitizeCallerText(std::string_view text, size_t maxBytes = kMaxCallerField);

// The value of a caller-ID line: CR, LF, blanks, "=" and ":" removed from its
// start (the modem writes "NMBR = 5551234"), then sanitised.
std::string CleanCidValue(std::string_view text);

// Decimal value of the leading digits (0 when there are none); saturates
// instead of overflowing on a stranger's 200-digit "number".
int LeadingInt(std::string_view text);
