// The rows of the call list as the main window shows them, built from an
// index: the columns the list displays and the hidden ones it sorts by.
#pragma once

#include "calllog/DataStructure.h"

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
