// Writing a finished call into its folder's index, and deleting recordings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the engine and the main window know about a call when its recording
// ends (or starts: the same record is written again with the final length).
struct FinishedCall {
    std::string sRecordingPath; // full path of the WAV file
    std::string sNumber;
    std::string sName;
    std::string sMemo;
    int nLength = 0; // seconds
    bool bMessage = false;
};

// Caller-ID text (name, number) as the index stores it: without the blanks,
// tabs and line ends the network pads its fixed-width fields with. Reading
// an index trims every field, in this version and in all earlier ones, so
// padding kept here could only be written as escapes that earlier versions
// show as they stand.
std::string CallerFieldForIndex(std::string_view text);

// The index of the call folder shown to the user: "index.dat" in that folder,
// or, when the folder is not a "Recorded Calls" folder, the one in
// sDataPath + "Recorded Calls/".
std::string IndexPathFor(const std::string& sShownFolder, const std::string& sDataPath);

// Loads the index at sIndexPath, sets the call's record (date and time from
// the recording's last-write time; the seventh field kept) and saves it.
// False, with the index on disk untouched, when it cannot be read or
// written; sError then says why.
bool StoreFinishedCall(const std::string& sIndexPath, const FinishedCall& call,
                       std::string* sError = nullptr);

// The caller fields the user edits for the recording running now (name,
// number, memo): sets them in its record and keeps the rest (length, message
// flag, date, time, seventh field); a recording without a record yet gets
// one as StoreFinishedCall makes it. call.nLength and call.bMessage are
// used only then. False, with the index untouched, as StoreFinishedCall.
bool StoreCallerFields(const std::string& sIndexPath, const FinishedCall& call,
                       std::string* sError = nullptr);

// Removes the records of the given recordings (file names without folder)
// from the index at sIndexPath and moves the files in sFolder to the
// desktop's trash (deleted outright only where no trash can take them). A
// file that is already gone still loses its record. False when the index
// could not be rewritten (then no file is touched) or a file could not be
// removed; sError then names each one.
bool DeleteRecordings(const std::string& sFolder, const std::string& sIndexPath,
                      const std::vector<std::string>& files, std::string* sError = nullptr);

// Moves recordings (file names without folder) from sFromFolder to
// sToFolder (made when missing), their records from one index to the other,
// each keeping every field. A name already taken in the target stays where
// it is. The target index is written before the source's, so a failure
// between them leaves a record twice rather than none. False when anything
// was left behind; sError then says what.
bool MoveRecordings(const std::string& sFromFolder, const std::string& sFromIndex,
                    const std::string& sToFolder, const std::string& sToIndex,
                    const std::vector<std::string>& files, std::string* sError = nullptr);
