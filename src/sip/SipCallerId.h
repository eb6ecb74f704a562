// The caller ID of an incoming SIP call, as the telephony layer's call info
// carries it: the name and number come from the P-Asserted-Identity the
// caller's network vouches for, else from the From header; "anonymous" is a
// blocked caller, no number at all is out of area. What a stranger put in
// those headers is cleaned (no control characters, valid UTF-8) and
// bounded before it goes anywhere.
#pragma once

#include "tapi/TapiProvider.h"

#include <cstddef>
#include <string>
#include <string_view>

// Longest name and number kept (bytes; a cut never splits a character).
constexpr size_t kSipMaxCallerName = 64;
constexpr size_t kSipMaxCallerNumber = 32;

struct SipIdentity {
    std::string sDisplayName;
    std::string sUser; // user part of the URI, or the number of a tel: URI
    std::string sHost;
};

// Splits a header value, with or without a display name ("Anna"
// <sip:123@host>;tag=x, <tel:+4930123>, sip:123@host) into its parts; an
// empty identity when the text holds no URI.
SipIdentity ParseSipIdentity(std::string_view header);

// Printable UTF-8 only, at most maxBytes: control characters go, invalid
// bytes go, blanks are trimmed.
std::string CleanCallerText(std::string_view text, size_t maxBytes);

// The call info's caller fields and flags from the From identity and the
// P-Asserted-Identity header's value (empty when the INVITE had none).
void FillSipCallerId(const SipIdentity& from, std::string_view sAssertedIdentity,
                     TapiCallInfo* pInfo);
