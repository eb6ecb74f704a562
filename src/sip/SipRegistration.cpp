#include "sip/SipRegistration.h"

#include "platform/TextUtil.h"

#include <algorithm>

namespace {

constexpr int kFirstRetrySeconds = 30;
constexpr int kMaxRetrySeconds = 30 * 60;

// The code and phrase as the registrar gave them, with what they mean.
std::string FailureText(const SipRegistration& r) {
    std::string text;
    if (r.nCode <= 0)
        text = r.sReason.empty() ? "no answer" : r.sReason;
    else
        text = std::to_string(r.nCode) + (r.sReason.empty() ? "" : " " + r.sReason);
    const std::string cause = SipFailureCause(r.nCode);
    if (!cause.empty())
        text += " (" + cause + ")";
    return text;
}

} // namespace

std::string CleanSipText(std::string_view text, size_t nMax) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceLength(text, i);
        if (n == 0) {
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (n > 1 || (c >= 0x20 && c != 0x7F))
            out.append(text.substr(i, n));
        i += n;
    }
    out = Trim(out);
    if (out.size() > nMax)
        out = Utf8Truncate(std::move(out), nMax) + "...";
    return out;
}

std::string SipFailureCause(int nCode) {
    switch (nCode) {
    case 401:
    case 403:
    case 407:
        return "wrong user name or password";
    case 404:
        return "the registrar knows no such user";
    case 408:
        return "the registrar does not answer";
    default:
        return "";
    }
}

std::string SipRegistrationText(const SipRegistration& r, const std::string& sRegistrar) {
    switch (r.state) {
    case SipRegistration::State::None:
        return "no registrar; direct calls only";
    case SipRegistration::State::Registering:
        return "registering with " + sRegistrar;
    case SipRegistration::State::Registered:
        return StrPrintf("registered with %s for %d s", sRegistrar.c_str(), r.nExpires);
    case SipRegistration::State::Failed:
        return "registration with " + sRegistrar + " failed: " + FailureText(r) +
               StrPrintf("; trying again in %d s", r.nRetrySeconds);
    }
    return "";
}

std::string SipUnavailableCause(const SipRegistration& r, const std::string& sRegistrar) {
    if (r.state != SipRegistration::State::Failed)
        return "";
    return "registration with " + sRegistrar + " failed: " + FailureText(r);
}

int SipRetrySeconds(int nAttempt) {
    int seconds = kFirstRetrySeconds;
    for (int i = 1; i < nAttempt && seconds < kMaxRetrySeconds; ++i)
        seconds *= 2;
    return std::min(seconds, kMaxRetrySeconds);
}
