// Text forms a mail needs: header values that cannot break the header,
// quoted-printable bodies, dot-stuffing and the date line.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// CR, LF and other control characters become blanks: nothing from a caller
// can start a new header line.
std::string HeaderSafe(std::string_view text);
// A header value: plain when it is printable ASCII, else an RFC 2047
// encoded word (UTF-8, base64), folded so no line grows too long.
std::string EncodeHeaderText(std::string_view text);
// A display name for an address header: as it is when it needs nothing,
// in quotes when it holds specials, encoded when it is not ASCII.
std::string EncodeDisplayName(std::string_view name);

// Every line break (CR LF, lone LF, lone CR) as CR LF.
std::string NormalizeLineEnds(std::string_view text);
// Quoted-printable text with CR LF hard breaks and lines of at most 76
// characters. A line never starts with "-" or ".", so no body text can look
// like a MIME boundary or the end of the mail.
std::string EncodeQuotedPrintable(std::string_view text);
// SMTP transparency: a "." at the start of any line, the first included,
// gets a second one, so the data can never end early.
std::string DotStuff(std::string_view text);

// "Sun, 06 Dec 2026 21:05:00 +0100" for the local time zone (English day
// and month names whatever the locale, as mail requires).
std::string FormatMailDate(std::time_t t);
