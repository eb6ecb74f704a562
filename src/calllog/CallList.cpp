#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"
#include "platform/TextUtil.h"

#include <algorithm>

std::vector<CallListRow> CallListRows(const CDataStructureArray& index,
                                      const std::string& sSearch, std::string* sTextError) {
    const std::string search = ToLowerUtf8(sSearch);
    CallTimeLocale loc;
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
    for (int i = 0; i < index.GetSize(); ++i) {
        const CDataStructure& r = index.GetAt(i);
        CallListRow row;
        const std::string date = text(r.m_sDate);
        const std::string time = text(r.m_sTime);
        row.sName = text(r.m_sName);
        row.sNumber = text(r.m_sNumber);
        row.sMemo = text(r.m_sMemo);
        row.sKey = loc.SortKey(date, time);
        row.sLength = LengthText(r.m_nLength);
        if (!search.empty()) {
            std::string haystack = row.sKey + row.sName + row.sNumber + row.sMemo + row.sLength +
                                   date + time + row.sNumber;
            if (ToLowerUtf8(haystack).find(search) == std::string::npos)
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
