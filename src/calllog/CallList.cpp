#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Dates and times repeat from call to call (a day's calls share a date, and
// a day has 1440 minutes), and parsing them in the locale's forms is the
// dearest part of a row: each distinct text is parsed once per list.
class CKeyCache {
public:
    explicit CKeyCache(const CallTimeLocale& loc) : m_loc(loc) {}
    void Key(const std::string& date, const std::string& time, std::string& key) {
        key = Part(m_dates, date, &CallTimeLocale::DateKey);
        key += Part(m_times, time, &CallTimeLocale::TimeKey);
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

// Appends text in lower case, the whole of Unicode (MÜLLER finds Müller);
// the plain ASCII of nearly every field takes the short way.
void AppendLower(std::string& out, const std::string& text) {
    if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
        out += ToLowerUtf8(text);
        return;
    }
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
    std::unordered_map<int, std::string> lengths;
    const std::string codePage = LegacyCodePage();
    // A field as UTF-8: the field itself when it is (nearly always), else
    // its conversion, kept in storage.
    auto text = [&](const std::string& field, std::string& storage) -> const std::string& {
        if (IsUtf8(field))
            return field;
        std::string error;
        storage = TextFromIndex(field, codePage, &error);
        if (!error.empty() && sTextError && sTextError->empty())
            *sTextError = error;
        return storage;
    };
    std::vector<CallListRow> rows;
    rows.reserve(static_cast<size_t>(index.GetSize()));
    // Buffers reused from record to record: a search looks at every record
    // and keeps few.
    std::string store[5];
    std::string key;
    std::string haystack;
    for (int i = 0; i < index.GetSize(); ++i) {
        const CDataStructure& r = index.GetAt(i);
        const std::string& date = text(r.m_sDate, store[0]);
        const std::string& time = text(r.m_sTime, store[1]);
        const std::string& name = text(r.m_sName, store[2]);
        const std::string& number = text(r.m_sNumber, store[3]);
        const std::string& memo = text(r.m_sMemo, store[4]);
        keys.Key(date, time, key);
        auto length = lengths.find(r.m_nLength);
        if (length == lengths.end())
            length = lengths.emplace(r.m_nLength, LengthText(r.m_nLength)).first;
        if (!search.empty()) {
            haystack.clear();
            for (const std::string* part : std::initializer_list<const std::string*>{
                     &key, &name, &number, &memo, &length->second, &date, &time, &number})
                AppendLower(haystack, *part);
            if (haystack.find(search) == std::string::npos)
                continue;
        }
        CallListRow row;
        row.sDateTime = date + " " + time;
        row.sName = name;
        row.sNumber = number;
        row.sMemo = memo;
        row.sFile = r.m_sFile; // a name on disk: kept byte for byte
        row.sKey = key;
        row.sLength = length->second;
        row.bMessage = r.m_bMessage != 0;
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CallListRow& a, const CallListRow& b) { return a.sKey < b.sKey; });
    return rows;
}
