#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "calllog/LegacyText.h"
#include "platform/TextUtil.h"

#include <algorithm>

std::vector<CallListRow> CallListRows(const CDataStructureArray& index,
                                      const std::string& sSearch, std::string* sTextError) {
    const std::string search = ToLowerAscii(sSearch);
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
        const CDataStructure& stored = index.GetAt(i);
        CDataStructure r;
        r.m_sTime = text(stored.m_sTime);
        r.m_sDate = text(stored.m_sDate);
        r.m_sNumber = text(stored.m_sNumber);
        r.m_sName = text(stored.m_sName);
        r.m_sMemo = text(stored.m_sMemo);
        r.m_sFile = stored.m_sFile; // a name on disk: kept byte for byte
        r.m_nLength = stored.m_nLength;
        r.m_bMessage = stored.m_bMessage;
        CallListRow row;
        row.sKey = loc.SortKey(r.m_sDate, r.m_sTime);
        row.sLength = LengthText(r.m_nLength);
        if (!search.empty()) {
            std::string haystack = row.sKey + r.m_sName + r.m_sNumber + r.m_sMemo +
                                   row.sLength + r.m_sDate + r.m_sTime + r.m_sNumber;
            if (ToLowerAscii(haystack).find(search) == std::string::npos)
                continue;
        }
        row.sDateTime = r.m_sDate + " " + r.m_sTime;
        row.sName = r.m_sName;
        row.sNumber = r.m_sNumber;
        row.sMemo = r.m_sMemo;
        row.sFile = r.m_sFile;
        row.bMessage = r.m_bMessage != 0;
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CallListRow& a, const CallListRow& b) { return a.sKey < b.sKey; });
    return rows;
}
