// Where a recording goes and what it is called.
#pragma once

#include <ctime>
#include <string>

class IUiBridge;
struct CCallStateData;

// The call folder for a new recording. sDataFolder is GetDataFolder();
// sWorkerDataPath is the worker's data path, set to the data folder when it
// is empty; a selected folder that is not a "Recorded Calls" folder is
// replaced by the data path's one; a target override wins. Ends with "/".
std::string RecordingFolder(const std::string& sDataFolder, std::string& sWorkerDataPath,
                            const std::string& sSelectedFolder, const std::string& sTargetOverride);

struct RecordingNameSettings {
    bool fKestrixCustomization = false;
    std::string sKestrixThisComputerID;
    std::string sRequestedName; // from external control; customised naming only
};

// The name a recording started at local time t gets, in one of its three
// forms (no check whether it exists):
//   normal:                      <folder>rec2008-01-02, 00_00_05.wav
//   customised:                  <folder><computer id><yy><day index><seconds>.wav
//   customised, requested name:  <folder><requested name>.wav
// The day index counts calendar days since 1 January (000 on 1 January); the
// seconds count from midnight. A requested name is confined to the folder:
// path separators and control characters become "_".
std::string RecordingFileName(const std::string& folder, const RecordingNameSettings& s,
                              std::time_t t);

// The first of name, "<stem> (2).wav", "<stem> (3).wav" ... that does not exist
// yet, reserved by creating it empty, so that two recordings started in the
// same second never share a file. Falls back to name itself when the folder
// cannot be written (the recorder then reports the failure).
std::string ReserveFreeFileName(const std::string& name);

// A component of a file name made safe: "/", "\" and control characters
// become "_", "." and ".." become "_", cut to 200 bytes.
std::string SafeNamePart(const std::string& part);

// Starts a recording's bookkeeping: makes the folder, picks and reserves the
// file name, appends a copy of the call in progress to the run's list, stores the name as
// the worker's current file (sCurrentFile) and has the main window write the
// new call into the index. Returns the name.
std::string BuildRecordingFileName(const std::string& folder, const RecordingNameSettings& s,
                                   std::string& sCurrentFile, IUiBridge& ui, CCallStateData& state,
                                   std::time_t t = std::time(nullptr));
