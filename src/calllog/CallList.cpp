#include "calllog/CallList.h"

#include "calllog/CallTime.h"
#include "platform/TextUtil.h"

#include <algorithm>

std::vector<CallListRow> CallListRows(const CDataStructureArray& index,
                                      const std::string& sSearch) {
    const std::string search = ToLowerAscii(sSearch);
    CallTimeLocale loc;
    std::vector<CallListRow> rows;
    rows.reserve(static_cast<size_t>(index.GetSize()));
    for (int i = 0; i < index.GetSize(); ++i) {
        const CDataStructure& r = index.GetAt(i);
        CallListRow row;
        row.sKey = loc.SortKey(r.m_sDate, r.m_sTime);
        row.sLength = LengthText(r.m_nLength);
        if (!search.empty()) {
            std::string text = row.sKey + r.m_sName + r.m_sNumber + r.m_sMemo + row.sLength +
                               r.m_sDate + r.m_sTime + r.m_sNumber;
            if (ToLowerAscii(text).find(search) == std::string::npos)
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
