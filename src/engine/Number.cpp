#include "engine/Number.h"

#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <cctype>

namespace {
// String ids of the "not available" number.
constexpr int kIdNoNumber = 57679;
constexpr int kIdNoNumberFilter = 57678;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

void StampCallTime(CNumber& call, std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    call.m_sTime = StrPrintf("%02d%02d", tm.tm_hour, tm.tm_min);
    call.m_sDate = StrPrintf("%02d%02d%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
}

std::string FormatDisplayNumber(std::string_view text) {
    if (text.size() < 6)
        return std::string(text);
    std::string d;
    for (char c : text)
        if (IsDigit(c))
            d += c;
    switch (text.size()) {
    case 7:
    case 10:
    case 11:
        if (d.size() != text.size())
            return std::string(text);
        break;
    default:
        return d;
    }
    if (text.size() == 7)
        return StrPrintf("%s-%s", d.substr(0, 3).c_str(), d.substr(3).c_str());
    if (text.size() == 10)
        return StrPrintf("%s-%s-%s", d.substr(0, 3).c_str(), d.substr(3, 3).c_str(),
                         d.substr(6).c_str());
    return StrPrintf("%s %s-%s-%s", d.substr(0, 1).c_str(), d.substr(1, 3).c_str(),
                     d.substr(4, 3).c_str(), d.substr(7).c_str());
}

void ApplyNoNumberRule(CNumber& call) {
    if (call.m_sCidNumber.empty())
        call.m_sCidNumber = LoadStr(kIdNoNumber);
    call.m_sDisplayNumber = call.m_sCidNumber;
    call.m_sNumber = call.m_sCidNumber;
}

void FormatCallDisplayNumber(CNumber& call) {
    if (!call.m_sDisplayNumber.empty() && IsDigit(call.m_sDisplayNumber[0]))
        call.m_sDisplayNumber = FormatDisplayNumber(call.m_sDisplayNumber);
}

std::string CallListFilterFor(std::string_view displayNumber) {
    std::string t = Trim(displayNumber);
    if (t.size() > 1 && t != LoadStr(kIdNoNumberFilter))
        return t;
    return {};
}
