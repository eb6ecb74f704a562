// Telephone numbers compared as numbers: a caller's number and every stored
// number are brought to one form (E.164, "+4930123456") with the user's
// country and area code, so that "030 123456", "+49 30 123456",
// "0049-30-123456" and "(030) 123 456" are the same number. A number that
// cannot be read as one is kept literally: its digits only, without "+",
// so it never meets a real number by accident.
//
// Made once and shared: reading a number is not free, and the number
// library behind it is one instance for the whole process. Every member is
// const and safe to call from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CPhoneNumbers {
public:
    // country: ISO 3166 code ("DE", "us"); "" takes the locale's territory
    // (CountryFromLocale). areaCode: the user's own area code, added to a
    // local number dialled without it ("" none).
    CPhoneNumbers(std::string_view country, std::string_view areaCode);

    // The country in use, upper case ("ZZ" when none is known: then only
    // numbers in international form are read as numbers).
    const std::string& Country() const { return m_sCountry; }

    // The number's one form: E.164 ("+4930123456") or, when it cannot be
    // read, its digits ("" when it has none, such as "Anonymous").
    std::string Normalise(std::string_view sent) const;

    // A number range as the user wrote it ("0900", "+44", "0049 900") in the
    // form of the numbers it should match ("+49900", "+44"). Unreadable: its
    // digits, which then match literal numbers. "" for text that is not
    // only digits and the marks numbers are written with.
    std::string NormalisePrefix(std::string_view written) const;

    // The number as the country writes it: nationally for a number of the
    // user's own country ("030 123456"), internationally otherwise
    // ("+44 20 7946 0000"); as sent when it cannot be read.
    std::string Display(std::string_view sent) const;

    // The territory of LC_ALL, LC_TELEPHONE or LANG, the first that is set
    // ("de_DE.UTF-8" -> "DE"); "" for none ("C", "POSIX", no territory).
    static std::string CountryFromLocale();
    // Every country whose numbers can be read, by ISO 3166 code, sorted.
    static std::vector<std::string> Countries();

private:
    std::string m_sCountry;
    int m_nCountryCode = 0;
    std::string m_sAreaCode; // digits, the trunk prefix taken off
    std::string m_sTrunkPrefix;
};

// The digits of text, nothing else.
std::string DigitsOf(std::string_view text);
