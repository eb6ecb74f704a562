// The rows of the call list as the main window shows them, built from an
// index: the columns the list displays and the hidden ones it sorts by.
// A search matches a row when the row's search text (its key, name,
// number, memo, length, date and time in lower case, one after the other)
// contains the searched text in lower case; this file alone says so.
#pragma once

#include "calllog/DataStructure.h"

#include <cstddef>
#include <string>
#include <vector>

struct CallListRow {
    std::string sDateTime; // "Time" column: date text, one blank, time text
    std::string sName;     // "From"
    std::string sNumber;   // "Number"
    std::string sMemo;     // "Memo"
    std::string sFile;     // "File" (hidden)
    std::string sKey;      // "Date/Time" (hidden): YYYYMMDDhhmmss
    std::string sLength;   // "Length": mm:ss or hh:mm:ss
    bool bMessage = false;
};

// The records of the index in file order, without those that do not contain
// sSearch (compared in lower case, in any script; empty shows all), sorted
// by their key.
// Text that is not UTF-8 is read in the legacy code page of the settings
// (LegacyText.h); sTextError, when given, tells of text that could not be.
std::vector<CallListRow> CallListRows(const CDataStructureArray& index,
                                      const std::string& sSearch = std::string(),
                                      std::string* sTextError = nullptr);

// All the rows of an index, as CallListRows gives them, with each row's
// search text kept beside them (in one block): for a list searched again
// and again without reading its index each time.
class CSearchableCallList {
public:
    CSearchableCallList() = default;
    explicit CSearchableCallList(const CDataStructureArray& index,
                                 std::string* sTextError = nullptr);
    const std::vector<CallListRow>& Rows() const { return m_rows; }
    // The positions in Rows() of the rows CallListRows(index, sSearch) keeps.
    std::vector<size_t> Matching(const std::string& sSearch) const;
    // The position in Rows() of the call recorded in sFile; -1 for none.
    ptrdiff_t Find(const std::string& sFile) const;

private:
    std::vector<CallListRow> m_rows;
    std::string m_text;            // the rows' search texts, one after the other
    std::vector<size_t> m_textEnd; // where each row's ends in m_text
};
