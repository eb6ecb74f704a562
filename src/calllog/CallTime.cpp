#include "calllog/CallTime.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cstring>
#include <langinfo.h>
#include <mutex>

namespace {

// A fixed buffer as large as the classic locale calls used; no date or time
// text of any locale comes near it.
constexpr size_t kTextBuffer = 255;

bool FieldsInRange(const std::tm& t) {
    return t.tm_mon >= 0 && t.tm_mon <= 11 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_hour >= 0 &&
           t.tm_hour <= 23 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_sec >= 0 && t.tm_sec <= 60 &&
           t.tm_year >= -1900 && t.tm_year <= 8099;
}

// An index may have been written under another locale (or on another
// system) than the one reading it. Its dates and times are tried in the
// reader's own form first, then in the common forms of other locales. A
// date with dots or dashes between its numbers is day first wherever such
// dates are written; with slashes, the reader's own order wins.
constexpr const char* kMonthFirstDates[] = {"%m/%d/%y", "%m/%d/%Y"};
constexpr const char* kDayFirstDates[] = {"%d/%m/%y", "%d/%m/%Y", "%d.%m.%y",
                                          "%d.%m.%Y", "%d-%m-%y", "%d-%m-%Y"};
constexpr const char* kYearFirstDates[] = {"%Y-%m-%d", "%Y/%m/%d", "%Y.%m.%d"};
constexpr const char* kOtherTimes[] = {"%I:%M %p", "%I:%M:%S %p", "%I.%M %p", "%H:%M",
                                       "%H:%M:%S", "%H.%M",       "%H.%M.%S"};

// strptime takes "26" for the year 26 under %Y and only the "20" of "2026"
// under %y, so a form is tried only when its year width is the text's.
bool YearWidthFits(const std::string& fmt, const std::string& text) {
    const bool fourDigitForm = fmt.find("%Y") != std::string::npos;
    const bool twoDigitForm = fmt.find("%y") != std::string::npos;
    if (!fourDigitForm && !twoDigitForm)
        return true;
    size_t run = 0, longest = 0;
    for (char c : text) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return fourDigitForm == (longest >= 3);
}

} // namespace

std::string ExpandTimeFormat(const std::string& fmt, const std::string& ampmFormat) {
    std::string out;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%' || i + 1 >= fmt.size()) {
            out += fmt[i];
            continue;
        }
        char c = fmt[++i];
        // Skip the E and O modifiers; they only change the numerals.
        if ((c == 'E' || c == 'O') && i + 1 < fmt.size())
            c = fmt[++i];
        switch (c) {
        case 'D':
            out += "%m/%d/%y";
            break;
        case 'F':
            out += "%Y-%m-%d";
            break;
        case 'T':
            out += "%H:%M:%S";
            break;
        case 'R':
            out += "%H:%M";
            break;
        case 'r':
            out += ampmFormat.empty() ? "%I:%M:%S %p" : ampmFormat;
            break;
        default:
            out += '%';
            out += c;
        }
    }
    return out;
}

std::string TimeFormatWithoutSeconds(std::string fmt) {
    size_t pos = fmt.find("%S");
    if (pos == std::string::npos)
        return fmt;
    size_t start = pos;
    // Take the separator in front of the seconds with them (":" or "." and
    // the like), but never a conversion.
    if (start > 0 && fmt[start - 1] != '%' && !(start >= 2 && fmt[start - 2] == '%'))
        --start;
    fmt.erase(start, pos + 2 - start);
    return fmt;
}

std::string LengthText(int nSeconds) {
    int h = nSeconds / 3600;
    int m = (nSeconds - 3600 * h) / 60;
    int s = nSeconds - 3600 * h - 60 * m;
    if (h == 0)
        return StrPrintf("%.2d:%.2d", m, s);
    return StrPrintf("%.2d:%.2d:%.2d", h, m, s);
}

namespace {
// The C library shares the data of loaded locales between threads under a
// lock of its own that the thread checker cannot see; taking and freeing
// them under ours as well makes the order visible (the call log's writer and
// the web page's list make and drop these at the same time).
std::mutex g_localeMutex;
} // namespace

CallTimeLocale::CallTimeLocale() {
    std::lock_guard lock(g_localeMutex);
    m_locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!m_locale) // an unknown locale name in the environment
        m_locale = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    std::string ampm = m_locale ? ::nl_langinfo_l(T_FMT_AMPM, m_locale) : "";
    std::string date = m_locale ? ::nl_langinfo_l(D_FMT, m_locale) : "%m/%d/%y";
    std::string time = m_locale ? ::nl_langinfo_l(T_FMT, m_locale) : "%H:%M:%S";
    if (time.empty()) // locales with only a 12-hour clock
        time = ampm;
    m_sDateFormat = ExpandTimeFormat(date.empty() ? "%m/%d/%y" : date, ampm);
    m_sTimeFormat =
        TimeFormatWithoutSeconds(ExpandTimeFormat(time.empty() ? "%H:%M:%S" : time, ampm));
    // Other locales' forms are read with the English "AM" and "PM".
    m_classic = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
}

CallTimeLocale::~CallTimeLocale() {
    std::lock_guard lock(g_localeMutex);
    if (m_locale)
        ::freelocale(m_locale);
    if (m_classic)
        ::freelocale(m_classic);
}

std::string CallTimeLocale::Format(const std::string& fmt, const std::tm& t) const {
    if (!FieldsInRange(t))
        return {};
    char buf[kTextBuffer + 1];
    size_t n = m_locale ? ::strftime_l(buf, sizeof buf, fmt.c_str(), &t, m_locale)
                        : ::strftime(buf, sizeof buf, fmt.c_str(), &t);
    return std::string(buf, n);
}

std::string CallTimeLocale::FormatDate(const std::tm& t) const {
    return Format(m_sDateFormat, t);
}
std::string CallTimeLocale::FormatTime(const std::tm& t) const {
    return Format(m_sTimeFormat, t);
}

bool CallTimeLocale::Parse(const std::string& fmt, const std::string& text, std::tm& out,
                           locale_t loc) const {
    std::tm t{};
    std::string s(TrimView(text));
    if (s.empty() || !YearWidthFits(fmt, s))
        return false;
    const char* end = loc ? ::strptime_l(s.c_str(), fmt.c_str(), &t, loc)
                          : ::strptime(s.c_str(), fmt.c_str(), &t);
    if (!end || *end != '\0')
        return false;
    out = t;
    return true;
}

bool CallTimeLocale::ParseDate(const std::string& text, std::tm& out) const {
    if (Parse(m_sDateFormat, text, out, m_locale))
        return true;
    const size_t day = m_sDateFormat.find("%d");
    const size_t month = m_sDateFormat.find("%m");
    const bool dayFirst = day != std::string::npos && month != std::string::npos && day < month;
    auto tryForms = [&](const auto& forms) {
        for (const char* f : forms)
            if (Parse(f, text, out, m_classic))
                return true;
        return false;
    };
    if (dayFirst ? tryForms(kDayFirstDates) || tryForms(kMonthFirstDates)
                 : tryForms(kMonthFirstDates) || tryForms(kDayFirstDates))
        return true;
    return tryForms(kYearFirstDates);
}

bool CallTimeLocale::ParseTime(const std::string& text, std::tm& out) const {
    if (Parse(m_sTimeFormat, text, out, m_locale))
        return true;
    for (const char* f : kOtherTimes)
        if (Parse(f, text, out, m_classic))
            return true;
    return false;
}

std::string CallTimeLocale::SortKey(const std::string& sDate, const std::string& sTime) const {
    return DateKey(sDate) + TimeKey(sTime);
}

std::string CallTimeLocale::DateKey(const std::string& sDate) const {
    int year = -1, month = -1, day = -1;
    std::tm t{};
    if (ParseDate(sDate, t)) {
        year = t.tm_year + 1900;
        month = t.tm_mon + 1;
        day = t.tm_mday;
    }
    // An unknown year stays four characters wide ("-001"), so that every key
    // begins with a year field of the same width.
    std::string sYear = year < 0 ? std::string("-001") : StrPrintf("%.4d", year);
    return sYear + StrPrintf("%.2d%.2d", month, day);
}

std::string CallTimeLocale::TimeKey(const std::string& sTime) const {
    int hour = -1, minute = -1, second = -1;
    std::tm u{};
    if (ParseTime(sTime, u)) {
        hour = u.tm_hour;
        minute = u.tm_min;
        second = u.tm_sec;
    }
    return StrPrintf("%.2d%.2d%.2d", hour, minute, second);
}
