#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <string_view>
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

// The rows of one index, record by record: each field as UTF-8 text, the
// key and the length, made with what the records before have left.
class CRowMaker {
public:
    explicit CRowMaker(std::string* sTextError)
        : m_keys(m_loc), m_codePage(LegacyCodePage()), m_sTextError(sTextError) {}

    void Read(const CDataStructure& r) {
        m_date = &Text(r.m_sDate, m_store[0]);
        m_time = &Text(r.m_sTime, m_store[1]);
        m_name = &Text(r.m_sName, m_store[2]);
        m_number = &Text(r.m_sNumber, m_store[3]);
        m_memo = &Text(r.m_sMemo, m_store[4]);
        m_keys.Key(*m_date, *m_time, m_key);
        auto length = m_lengths.find(r.m_nLength);
        if (length == m_lengths.end())
            length = m_lengths.emplace(r.m_nLength, LengthText(r.m_nLength)).first;
        m_length = &length->second;
        m_file = &r.m_sFile;
        m_bMessage = r.m_bMessage != 0;
    }

    // What a search looks in: the one place that says so.
    void AppendSearchText(std::string& out) const {
        for (const std::string* part :
             {&m_key, m_name, m_number, m_memo, m_length, m_date, m_time, m_number})
            AppendLower(out, *part);
    }

    CallListRow Row() const {
        CallListRow row;
        row.sDateTime = *m_date + " " + *m_time;
        row.sName = *m_name;
        row.sNumber = *m_number;
        row.sMemo = *m_memo;
        row.sFile = *m_file; // a name on disk: kept byte for byte
        row.sKey = m_key;
        row.sLength = *m_length;
        row.bMessage = m_bMessage;
        return row;
    }

private:
    // A field as UTF-8: the field itself when it is (nearly always), else
    // its conversion, kept in storage.
    const std::string& Text(const std::string& field, std::string& storage) {
        if (IsUtf8(field))
            return field;
        std::string error;
        storage = TextFromIndex(field, m_codePage, &error);
        if (!error.empty() && m_sTextError && m_sTextError->empty())
            *m_sTextError = error;
        return storage;
    }

    CallTimeLocale m_loc;
    CKeyCache m_keys;
    std::unordered_map<int, std::string> m_lengths;
    const std::string m_codePage;
    std::string* m_sTextError;
    // The record read last; the buffers are reused from record to record.
    std::string m_store[5];
    std::string m_key;
    const std::string* m_date = nullptr;
    const std::string* m_time = nullptr;
    const std::string* m_name = nullptr;
    const std::string* m_number = nullptr;
    const std::string* m_memo = nullptr;
    const std::string* m_length = nullptr;
    const std::string* m_file = nullptr;
    bool m_bMessage = false;
};

bool KeyBefore(const CallListRow& a, const CallListRow& b) {
    return a.sKey < b.sKey;
}

} // namespace

std::vector<CallListRow> CallListRows(const CDataStructureArray& index, const std::string& sSearch,
                                      std::string* sTextError) {
    std::string search;
    AppendLower(search, sSearch);
    CRowMaker maker(sTextError);
    std::vector<CallListRow> rows;
    rows.reserve(static_cast<size_t>(index.GetSize()));
    // Reused from record to record: a search looks at every record and
    // keeps few.
    std::string haystack;
    for (int i = 0; i < index.GetSize(); ++i) {
        maker.Read(index.GetAt(i));
        if (!search.empty()) {
            haystack.clear();
            maker.AppendSearchText(haystack);
            if (haystack.find(search) == std::string::npos)
                continue;
        }
        rows.push_back(maker.Row());
    }
    std::stable_sort(rows.begin(), rows.end(), KeyBefore);
    return rows;
}

CSearchableCallList::CSearchableCallList(const CDataStructureArray& index,
                                         std::string* sTextError) {
    CRowMaker maker(sTextError);
    const size_t n = static_cast<size_t>(index.GetSize());
    std::vector<CallListRow> rows;
    rows.reserve(n);
    std::string text;
    std::vector<size_t> textEnd;
    textEnd.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        maker.Read(index.GetAt(static_cast<int>(i)));
        rows.push_back(maker.Row());
        maker.AppendSearchText(text);
        textEnd.push_back(text.size());
    }
    // In the order CallListRows sorts its rows, the texts with them.
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return KeyBefore(rows[a], rows[b]); });
    m_rows.reserve(n);
    m_text.reserve(text.size());
    m_textEnd.reserve(n);
    for (size_t i : order) {
        m_rows.push_back(std::move(rows[i]));
        const size_t begin = i == 0 ? 0 : textEnd[i - 1];
        m_text.append(text, begin, textEnd[i] - begin);
        m_textEnd.push_back(m_text.size());
    }
}

std::vector<size_t> CSearchableCallList::Matching(const std::string& sSearch) const {
    std::string search;
    AppendLower(search, sSearch);
    std::vector<size_t> found;
    const std::string_view text(m_text);
    size_t begin = 0;
    for (size_t i = 0; i < m_textEnd.size(); ++i) {
        if (text.substr(begin, m_textEnd[i] - begin).find(search) != std::string_view::npos)
            found.push_back(i);
        begin = m_textEnd[i];
    }
    return found;
}

ptrdiff_t CSearchableCallList::Find(const std::string& sFile) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].sFile == sFile)
            return static_cast<ptrdiff_t>(i);
    return -1;
}
