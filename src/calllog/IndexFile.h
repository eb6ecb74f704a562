// Changing "index.dat" one record at a time, without holding the whole index
// in memory: storing a call costs the same in memory whatever the folder
// holds.
//
// A new record is appended: its line, CR LF included, goes to the end in one
// write() on a descriptor opened with O_APPEND. A write that fails or is cut
// short (a full disk) is taken back by truncating the file to its old
// length, so the line is there whole or not at all. Only a crash during that
// one write (the process killed, the power lost) can leave part of a line:
// the last line of the file, beginning with a double quote, without a line
// end and without the 22 quotes of eleven fields, the last one closing it.
// Reading leaves such a torn tail out (IsTornIndexTail) and the next append
// or update cuts it off. A last line that merely lacks its line end (a
// hand-edited index) is a record as ever.
//
// An update copies the index line by line into a temporary file in the same
// folder, with the one changed line, and renames it over the old index:
// readers see the old index or the new one, never half.
#pragma once

#include "calllog/DataStructure.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A last line without a line end that a crash cut short (see above).
bool IsTornIndexTail(std::string_view lastLine);

// Adds rec as the index's last line, creating the index when missing.
// False, with the index as it was, when it cannot be written; sError says why.
bool AppendIndexRecord(const std::string& sPath, const CDataStructure& rec, std::string* sError);

enum class IndexUpdate { Changed, NoRecord, Failed };

// Passes the first record whose file name is sFile to change and writes the
// index again with the changed record in its place. NoRecord, with nothing
// written, when the index is missing or has no such record; Failed, with the
// index as it was, when it cannot be read or written (sError says why).
IndexUpdate UpdateIndexRecord(const std::string& sPath, std::string_view sFile,
                              const std::function<void(CDataStructure&)>& change,
                              std::string* sError);

// Room on the index's file system for rewriting the index once more, taken
// before a recording fills the disk and given back just before the finished
// call's line is written: a hidden file beside the index, as large as the
// index plus a margin. Taking it fails quietly on a disk already too full
// (the update then tries without it).
class CIndexReserve {
public:
    CIndexReserve() = default;
    ~CIndexReserve() { Release(); }
    CIndexReserve(const CIndexReserve&) = delete;
    CIndexReserve& operator=(const CIndexReserve&) = delete;

    // The reserve's file for the index at sIndexPath.
    static std::string PathFor(const std::string& sIndexPath);
    // Gives back any reserve held, then takes one for sIndexPath.
    bool Take(const std::string& sIndexPath);
    void Release();

private:
    std::string m_sPath;
};
