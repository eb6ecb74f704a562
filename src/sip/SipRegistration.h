// How a SIP line's account stands with its registrar, and the words the
// log, the status line and the tools use for it. The registrar's reason
// phrase is a stranger's text: it is cleaned of control characters and
// bounded before anything shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct SipRegistration {
    enum class State {
        None,        // no registrar: direct calls only
        Registering, // asked, no final answer yet
        Registered,
        Failed,
    };
    State state = State::None;
    int nExpires = 0;      // Registered: seconds until the registration runs out
    int nCode = 0;         // Failed: the SIP status code; 0 when nothing answered
    std::string sReason;   // Failed: the registrar's reason phrase, cleaned
    int nRetrySeconds = 0; // Failed: the next attempt comes this many seconds later

    bool operator==(const SipRegistration&) const = default;
};

// The longest reason phrase shown.
inline constexpr size_t kMaxSipReasonText = 80;

// Network text as the log may show it: control characters and bytes that
// are not UTF-8 left out, at most nMax bytes (then "...").
std::string CleanSipText(std::string_view text, size_t nMax = kMaxSipReasonText);

// What a failed registration most likely means for the user ("wrong user
// name or password" for 401, 403 and 407); empty when the code says no more
// than its phrase.
std::string SipFailureCause(int nCode);

// The log's line for a state: "registered with example.com for 600 s",
// "registration with example.com failed: 403 Forbidden (wrong user name or
// password); trying again in 30 s".
std::string SipRegistrationText(const SipRegistration& r, const std::string& sRegistrar);

// Why a line cannot take calls, for its status ("registration with
// example.com failed: 403 Forbidden (wrong user name or password)"); empty
// while it can.
std::string SipUnavailableCause(const SipRegistration& r, const std::string& sRegistrar);

// The wait before attempt nAttempt (1, 2 ...) after a failure: 30 s,
// doubled each time, at most 30 minutes.
int SipRetrySeconds(int nAttempt);
