// Forwarding a call (nFwdMethod, sFwdPhone, bFwdBlack) on a telephony line
// (a shared analogue line cannot send a call on): always, as soon as the call is offered
// (redirected unanswered), when the machine would answer (redirected then),
// or after the caller's message (transferred). A blocked caller is
// forwarded only with bFwdBlack. A forward that fails (no number set, the
// far end refuses) is told on the status line once, kept in the call's
// history, and the call goes on as it would have without forwarding.
#pragma once

#include <string>
#include <string_view>

class CCallEventPublisher;
class CPhone;
struct CCallStateData;

// nFwdMethod's values.
enum class ForwardMethod { Off = 0, Always = 1, WhenAnswering = 2, AfterMessage = 3 };

struct ForwardMethodEntry {
    ForwardMethod method;
    std::string_view sName; // as the log and the options speak of it
    bool bAnswered;         // the call is answered by then: a transfer, not a redirect
};

// The one table of nFwdMethod's values, in the order of their numbers.
inline constexpr ForwardMethodEntry kForwardMethods[] = {
    {ForwardMethod::Off, "off", false},
    {ForwardMethod::Always, "always", false},
    {ForwardMethod::WhenAnswering, "when the machine would answer", false},
    {ForwardMethod::AfterMessage, "after the message", true},
};

// The entry of nFwdMethod (Off for a value the table does not have).
const ForwardMethodEntry& ForwardMethodOf(int nFwdMethod);

// Why a forward did not go, as the status line, the log and the history
// tell it: "not forwarded to 555 0123: busy" ("not forwarded: ..." with no
// number to forward to).
std::string ForwardProblem(const std::string& sTarget, const std::string& sWhy);

// Forwards the call now when the settings say so for this moment; true when
// it went (the call is no longer ours), false when it is not forwarded now
// or forwarding failed (then told once, and the call goes on).
bool ForwardCallAt(ForwardMethod moment, CPhone& phone, const CCallStateData& state,
                   CCallEventPublisher& events);
