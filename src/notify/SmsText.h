// The text of a text-message notice: the user's pattern with the call's
// fields filled in, made into what a mobile-network modem takes in text mode.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One message carries at most this many GSM characters.
constexpr size_t kMaxSmsSeptets = 160;

struct SmsFields {
    std::string sEvent; // "message", "missed call", "test"
    std::string sNumber;
    std::string sName;
    int nSeconds = 0; // the message's length
};

// The pattern used when the user gave none.
constexpr const char* kDefaultSmsPattern = "Vorella: call.event from call.name call.number";

// The pattern (kDefaultSmsPattern when empty) with the words "call.event",
// "call.number", "call.name" and "call.seconds" replaced by the fields. A
// field's value is put in as it is and never read as a pattern again.
std::string FillSmsPattern(std::string_view pattern, const SmsFields& fields);

// Text a modem takes in text mode with its usual character set: printable
// ASCII but "`", which the GSM alphabet lacks; accented Latin letters lose
// their accent, other characters become "?", every control character
// (line breaks, Ctrl-Z and Esc included) a blank; runs of blanks become one
// and the ends are trimmed. Cut to maxSeptets GSM characters, where the
// characters of the GSM extension table ("^{}\[~]|") count two.
std::string ToSmsText(std::string_view utf8, size_t maxSeptets = kMaxSmsSeptets);

// The recipient as AT+CMGS takes it: digits with an optional leading "+",
// the blanks, dashes, dots, slashes and brackets people write dropped. ""
// when it is not a phone number.
std::string SmsRecipient(std::string_view phone);
