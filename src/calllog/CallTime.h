// Dates and times of calls as the user reads them: the short date and the
// time without seconds of the user's LC_TIME locale, the sort key built from
// them, and the length text of the call list.
#pragma once

#include <ctime>
#include <locale.h>
#include <string>

// The user's time locale (LC_ALL, LC_TIME, LANG as the environment says) and
// the two formats derived from it. Build one per operation; it is cheap
// enough for that, and reading the environment each time follows a change.
class CallTimeLocale {
public:
    CallTimeLocale();
    ~CallTimeLocale();
    CallTimeLocale(const CallTimeLocale&) = delete;
    CallTimeLocale& operator=(const CallTimeLocale&) = delete;

    // strftime formats: the locale's short date, and its time without seconds.
    const std::string& DateFormat() const { return m_sDateFormat; }
    const std::string& TimeFormat() const { return m_sTimeFormat; }

    // Empty text when the calendar fields are out of range.
    std::string FormatDate(const std::tm& t) const;
    std::string FormatTime(const std::tm& t) const;

    // Parse the texts written by FormatDate / FormatTime back, or written
    // under another locale (four-digit or two-digit years, day or month
    // first, a 12-hour clock with AM/PM, with or without seconds); false
    // when the text matches none of these forms.
    bool ParseDate(const std::string& text, std::tm& out) const;
    bool ParseTime(const std::string& text, std::tm& out) const;

    // "YYYYMMDDhhmmss" from a record's date and time texts; the parts of an
    // unparsable date or time are -1 ("-001-01-01" for the date).
    std::string SortKey(const std::string& sDate, const std::string& sTime) const;
    // Its two halves: "YYYYMMDD" and "hhmmss" (SortKey is the one followed
    // by the other), for readers that parse each distinct text once.
    std::string DateKey(const std::string& sDate) const;
    std::string TimeKey(const std::string& sTime) const;

private:
    std::string Format(const std::string& fmt, const std::tm& t) const;
    bool Parse(const std::string& fmt, const std::string& text, std::tm& out, locale_t loc) const;

    locale_t m_locale = nullptr;
    locale_t m_classic = nullptr; // for the other locales' forms
    std::string m_sDateFormat;
    std::string m_sTimeFormat;
};

// The locale's time format with the seconds (and the separator before them)
// taken out; "%H:%M:%S" gives "%H:%M", "%I:%M:%S %p" gives "%I:%M %p".
std::string TimeFormatWithoutSeconds(std::string fmt);
// Composite conversions (%D, %F, %T, %r, %R, %X, %x) spelled out, so that
// the format can be edited and parsed back the same way.
std::string ExpandTimeFormat(const std::string& fmt, const std::string& ampmFormat);

// "mm:ss" below an hour, else "hh:mm:ss".
std::string LengthText(int nSeconds);
