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

// Removes the records of the given recordings (file names without folder)
// from the index at sIndexPath and deletes the files in sFolder. A file that
// is already gone still loses its record. False when the index could not be
// rewritten.
bool DeleteRecordings(const std::string& sFolder, const std::string& sIndexPath,
                      const std::vector<std::string>& files, std::string* sError = nullptr);
