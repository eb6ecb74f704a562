#include "screening/PhoneNumbers.h"

#include "platform/TextUtil.h"

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <cstdlib>
#include <set>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

// Longer input is no telephone number; the library refuses it as well.
constexpr size_t kMaxNumberLength = 250;

const PhoneNumberUtil& Util() {
    return *PhoneNumberUtil::GetInstance();
}

bool Read(std::string_view text, const std::string& country, PhoneNumber& out) {
    if (text.size() > kMaxNumberLength)
        return false;
    return Util().Parse(std::string(text), country, &out) == PhoneNumberUtil::NO_PARSING_ERROR;
}

std::string E164(const PhoneNumber& number) {
    std::string out;
    Util().Format(number, PhoneNumberUtil::E164, &out);
    return out;
}

std::string Territory(const std::string& locale) {
    // language[_TERRITORY][.codeset][@modifier]
    const std::string base = locale.substr(0, locale.find_first_of(".@"));
    const size_t underscore = base.find('_');
    if (underscore == std::string::npos)
        return "";
    return ToUpperAscii(base.substr(underscore + 1));
}

} // namespace

std::string DigitsOf(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, kMaxNumberLength)) {
        if (c >= '0' && c <= '9')
            out += c;
    }
    return out;
}

CPhoneNumbers::CPhoneNumbers(std::string_view country, std::string_view areaCode) {
    m_sCountry = ToUpperAscii(Trim(country));
    if (m_sCountry.empty())
        m_sCountry = CountryFromLocale();
    m_nCountryCode = Util().GetCountryCodeForRegion(m_sCountry);
    if (m_nCountryCode == 0)
        m_sCountry = "ZZ";
    else
        Util().GetNddPrefixForRegion(m_sCountry, true, &m_sTrunkPrefix);
    m_sAreaCode = DigitsOf(areaCode);
    if (!m_sTrunkPrefix.empty() && m_sAreaCode.rfind(m_sTrunkPrefix, 0) == 0)
        m_sAreaCode.erase(0, m_sTrunkPrefix.size());
}

std::string CPhoneNumbers::CountryFromLocale() {
    for (const char* name : {"LC_ALL", "LC_TELEPHONE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return Territory(value);
    }
    return "";
}

std::vector<std::string> CPhoneNumbers::Countries() {
    std::set<std::string> regions;
    Util().GetSupportedRegions(&regions);
    return {regions.begin(), regions.end()};
}

namespace {

// A local number dialled without the area code is read with it when only
// then it is a valid number of the country.
bool ReadWithArea(std::string_view sent, const std::string& country, const std::string& trunk,
                  const std::string& area, PhoneNumber& out) {
    if (!Read(sent, country, out))
        return false;
    if (area.empty() || Util().IsValidNumber(out) || TrimView(sent).starts_with('+'))
        return true;
    const std::string digits = DigitsOf(sent);
    if (!trunk.empty() && digits.starts_with(trunk))
        return true;
    PhoneNumber local;
    if (Read(trunk + area + digits, country, local) && Util().IsValidNumber(local))
        out = local;
    return true;
}

} // namespace

std::string CPhoneNumbers::Normalise(std::string_view sent) const {
    PhoneNumber number;
    if (ReadWithArea(sent, m_sCountry, m_sTrunkPrefix, m_sAreaCode, number))
        return E164(number);
    return DigitsOf(sent);
}

std::string CPhoneNumbers::NormalisePrefix(std::string_view written) const {
    // A range is read as the start of a whole number: the rest of a number
    // appended lets the library take off the trunk or international prefix
    // ("0900" -> "+49900..."), and the same rest comes off again.
    static const std::string kRest = "1234567";
    const std::string_view text = TrimView(written);
    // Only digits and the marks numbers are written with: the library would
    // read "premium 0900" as "0900", or "premium" as nothing but "+49".
    if (text.find_first_not_of("0123456789+()-./ ") != std::string_view::npos)
        return "";
    PhoneNumber number;
    if (text.size() < kMaxNumberLength && Read(std::string(text) + kRest, m_sCountry, number)) {
        const std::string full = E164(number);
        if (full.ends_with(kRest) && full.size() > kRest.size() + 1)
            return full.substr(0, full.size() - kRest.size());
    }
    const std::string digits = DigitsOf(text);
    return text.starts_with('+') ? "+" + digits : digits;
}

std::string CPhoneNumbers::Display(std::string_view sent) const {
    PhoneNumber number;
    if (!ReadWithArea(sent, m_sCountry, m_sTrunkPrefix, m_sAreaCode, number))
        return std::string(sent);
    std::string out;
    Util().Format(number,
                  number.country_code() == m_nCountryCode ? PhoneNumberUtil::NATIONAL
                                                          : PhoneNumberUtil::INTERNATIONAL,
                  &out);
    return out;
}
