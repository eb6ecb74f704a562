// The call as its writers hand it to the call log (CallLog.h), and where
// the index of a call folder is.
#pragma once

#include <string>
#include <string_view>

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
