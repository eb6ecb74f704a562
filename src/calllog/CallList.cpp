#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Dates and times repeat from call to call (a day's calls share a date, and
// a day has 1440 minutes), and parsing them in the locale's forms is the
// dearest part of a row: each distinct text is parsed once per list.
class CKeyCache {
public:
    explicit CKeyCache(const CallTimeLocale& loc) : m_loc(loc) {}
    std::string Key(const std::string& date, const std::string& time) {
        return Part(m_dates, date, &CallTimeLocale::DateKey) +
               Part(m_times, time, &CallTimeLocale::TimeKey);
    }

private:
    using Map = std::unordered_map<std::string, std::string>;
    const std::string& Part(Map& map, const std::string& text,
                            std::string (CallTimeLocale::*parse)(const std::string&) const) {
        auto it = map.find(text);
        if (it == map.end())
            it = map.emplace(text, (m_loc.*parse)(text)).first;
        return it->second;
    }
    const CallTimeLocale& m_loc;
    Map m_dates;
    Map m_times;
};

void AppendLower(std::string& out, const std::string& text) {
    for (char c : text)
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::vector<CallListRow> CallListRows(const CDataStructureArray& index, const std::string& sSearch,
                                      std::string* sTextError) {
    std::string search;
    AppendLower(search, sSearch);
    CallTimeLocale loc;
    CKeyCache keys(loc);
    const std::string codePage = LegacyCodePage();
    auto text = [&](const std::string& field) {
        std::string error;
        std::string out = TextFromIndex(field, codePage, &error);
        if (!error.empty() && sTextError && sTextError->empty())
            *sTextError = error;
        return out;
    };
    std::vector<CallListRow> rows;
    rows.reserve(static_cast<size_t>(index.GetSize()));
    std::string haystack; // one buffer for every record's text
    for (int i = 0; i < index.GetSize(); ++i) {
        const CDataStructure& r = index.GetAt(i);
        CallListRow row;
        const std::string date = text(r.m_sDate);
        const std::string time = text(r.m_sTime);
        row.sName = text(r.m_sName);
        row.sNumber = text(r.m_sNumber);
        row.sMemo = text(r.m_sMemo);
        row.sKey = keys.Key(date, time);
        row.sLength = LengthText(r.m_nLength);
        if (!search.empty()) {
            haystack.clear();
            for (const std::string* part : std::initializer_list<const std::string*>{
                     &row.sKey, &row.sName, &row.sNumber, &row.sMemo, &row.sLength, &date, &time,
                     &row.sNumber})
                AppendLower(haystack, *part);
            if (haystack.find(search) == std::string::npos)
                continue;
        }
        row.sDateTime = date + " " + time;
        row.sFile = r.m_sFile; // a name on disk: kept byte for byte
        row.bMessage = r.m_bMessage != 0;
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CallListRow& a, const CallListRow& b) { return a.sKey < b.sKey; });
    return rows;
}
