#include "engine/RemoteAccess.h"

#include <algorithm>

namespace {

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string PinFieldProblem(std::string_view pin) {
    if (pin.empty())
        return {};
    if (!AllDigits(pin))
        return "a PIN holds digits only";
    if (pin.size() < kMinPinDigits)
        return "a PIN needs at least " + std::to_string(kMinPinDigits) + " digits";
    return {};
}

RemotePins RemotePinsOf(const std::string& sPin, int nPin, const std::vector<std::string>& array) {
    RemotePins r;
    auto take = [&r](const std::string& pin, const std::string& where) {
        const std::string why = PinFieldProblem(pin);
        if (why.empty()) {
            if (!pin.empty())
                r.pins.push_back(pin);
        } else if (r.sProblem.empty()) {
            r.sProblem = where + " is not used: " + why;
        }
    };
    take(!sPin.empty() || nPin == 0 ? sPin : std::to_string(nPin), "the PIN");
    for (size_t i = 0; i < array.size(); ++i)
        take(array[i], "PIN " + std::to_string(i + 2) + " of the list");
    return r;
}

bool PinMatches(std::string_view typed, const std::vector<std::string>& pins) {
    unsigned found = 0;
    for (const std::string& pin : pins) {
        // Every byte of the longer of the two is looked at; a length that
        // differs counts as a difference, not as a reason to stop early.
        const size_t n = std::max(typed.size(), pin.size());
        unsigned diff = typed.size() == pin.size() ? 0U : 1U;
        for (size_t i = 0; i < n; ++i) {
            const auto a = static_cast<unsigned char>(i < typed.size() ? typed[i] : 0);
            const auto b = static_cast<unsigned char>(i < pin.size() ? pin[i] : 0);
            diff |= static_cast<unsigned>(a ^ b);
        }
        found |= diff == 0 ? 1U : 0U;
    }
    return found != 0;
}

bool CRemoteAccess::Open(int64_t tNow) const {
    return !m_pins.empty() && tNow >= m_tLockedUntil;
}

PinVerdict CRemoteAccess::Check(std::string_view typed, int64_t tNow) {
    if (!Open(tNow))
        return PinVerdict::LockedOut;
    if (PinMatches(typed, m_pins)) {
        m_nCallFailures = 0;
        return PinVerdict::Accepted;
    }
    std::erase_if(m_failures, [tNow](int64_t t) { return tNow - t >= kHour; });
    m_failures.push_back(tNow);
    if (static_cast<int>(m_failures.size()) >= kFailuresPerHour) {
        m_failures.clear();
        m_tLockedUntil = tNow + kHour;
        return PinVerdict::LockedOut;
    }
    return ++m_nCallFailures >= kTriesPerCall ? PinVerdict::HangUp : PinVerdict::Wrong;
}
