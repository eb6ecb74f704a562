#include "config/GreetingSchedule.h"

#include <array>
#include <cctype>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 7> kDays = {"mon", "tue", "wed", "thu",
                                                    "fri", "sat", "sun"};
constexpr int kMinutesADay = 24 * 60;

// Reads one text left to right; the first fault found is kept with its
// column, and every read after it fails.
class CScheduleReader {
public:
    explicit CScheduleReader(const std::string& text) : m_text(text) {}

    GreetingSchedule Read() {
        GreetingSchedule schedule;
        while (Ok() && m_at < m_text.size()) {
            SkipSpaces();
            if (Peek() == ';') { // an empty entry
                ++m_at;
                continue;
            }
            if (m_at >= m_text.size())
                break;
            GreetingScheduleEntry entry;
            if (ReadWhen(&entry) && ReadFile(&entry))
                schedule.entries.push_back(std::move(entry));
        }
        if (!Ok())
            return {{}, "sScheduleGreeting: column " + std::to_string(m_errorAt + 1) + ": " +
                            m_sError};
        return schedule;
    }

private:
    bool Ok() const { return m_sError.empty(); }
    char Peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }
    void SkipSpaces() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }
    bool Fail(size_t at, const std::string& what) {
        if (Ok()) {
            m_errorAt = at;
            m_sError = what;
        }
        return false;
    }

    // "*", or days, a time range or both.
    bool ReadWhen(GreetingScheduleEntry* e) {
        if (Peek() == '*') {
            ++m_at;
            return true;
        }
        bool bAny = false;
        if (std::isalpha(static_cast<unsigned char>(Peek()))) {
            if (!ReadDays(&e->nDays))
                return false;
            bAny = true;
            SkipSpaces();
        }
        if (std::isdigit(static_cast<unsigned char>(Peek()))) {
            if (!ReadTimeRange(e))
                return false;
            bAny = true;
        }
        return bAny || Fail(m_at, "expected a day (Mon to Sun), a time like 08:00 or *");
    }

    // Mon-Fri,Sun: a list of days and ranges of days.
    bool ReadDays(unsigned* pDays) {
        *pDays = 0;
        for (;;) {
            int first = 0;
            if (!ReadDay(&first))
                return false;
            int last = first;
            if (Peek() == '-') {
                ++m_at;
                if (!ReadDay(&last))
                    return false;
            }
            for (int d = first;; d = (d + 1) % 7) {
                *pDays |= 1u << d;
                if (d == last)
                    break;
            }
            if (Peek() != ',')
                return true;
            ++m_at;
        }
    }

    bool ReadDay(int* pDay) {
        const size_t start = m_at;
        std::string word;
        while (std::isalpha(static_cast<unsigned char>(Peek())))
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(m_text[m_at++])));
        for (size_t d = 0; d < kDays.size(); ++d)
            if (word == kDays[d]) {
                *pDay = static_cast<int>(d);
                return true;
            }
        return Fail(start, "expected a day (Mon to Sun)");
    }

    bool ReadTimeRange(GreetingScheduleEntry* e) {
        if (!ReadTime(&e->nFromMinute))
            return false;
        if (Peek() != '-')
            return Fail(m_at, "expected \"-\" and the time the range ends");
        ++m_at;
        return ReadTime(&e->nToMinute);
    }

    // HH:MM, 00:00 to 24:00.
    bool ReadTime(int* pMinute) {
        const size_t start = m_at;
        const auto digits = [&](int* pValue) {
            size_t n = 0;
            for (*pValue = 0; n < 2 && std::isdigit(static_cast<unsigned char>(Peek())); ++n)
                *pValue = *pValue * 10 + (m_text[m_at++] - '0');
            return n > 0;
        };
        int h = 0;
        int m = 0;
        if (!digits(&h) || Peek() != ':' || (++m_at, !digits(&m)) || m > 59 ||
            h * 60 + m > kMinutesADay || std::isdigit(static_cast<unsigned char>(Peek())))
            return Fail(start, "expected a time like 08:00");
        *pMinute = (h * 60 + m) % kMinutesADay;
        return true;
    }

    // The rest of the entry, its spaces at the ends left out.
    bool ReadFile(GreetingScheduleEntry* e) {
        SkipSpaces();
        const size_t start = m_at;
        const size_t end = m_text.find(';', start);
        std::string file = m_text.substr(start, end == std::string::npos ? end : end - start);
        while (!file.empty() && std::isspace(static_cast<unsigned char>(file.back())))
            file.pop_back();
        if (file.empty())
            return Fail(start, "expected the greeting's file name");
        m_at = end == std::string::npos ? m_text.size() : end + 1;
        e->sFile = file.find('/') == std::string::npos ? "wave/" + file : file;
        return true;
    }

    const std::string& m_text;
    size_t m_at = 0;
    size_t m_errorAt = 0;
    std::string m_sError;
};

bool Holds(const GreetingScheduleEntry& e, int nWeekday, int nMinute) {
    const auto on = [&](int d) { return (e.nDays >> ((d + 7) % 7) & 1u) != 0; };
    if (e.nFromMinute == e.nToMinute)
        return on(nWeekday);
    if (e.nFromMinute < e.nToMinute)
        return on(nWeekday) && nMinute >= e.nFromMinute && nMinute < e.nToMinute;
    // Over midnight: the evening of its day, and the morning after.
    return (on(nWeekday) && nMinute >= e.nFromMinute) ||
           (on(nWeekday - 1) && nMinute < e.nToMinute);
}

} // namespace

GreetingSchedule ParseGreetingSchedule(const std::string& text) {
    return CScheduleReader(text).Read();
}

std::optional<std::string> ScheduledGreeting(const GreetingSchedule& schedule, int nWeekday,
                                             int nMinute) {
    for (const GreetingScheduleEntry& e : schedule.entries)
        if (Holds(e, nWeekday, nMinute))
            return e.sFile;
    return std::nullopt;
}
