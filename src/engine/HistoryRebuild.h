// The call history made again from the call folders' index.dat, for a
// contacts file whose history was lost (or that is new beside recordings
// made before it): one call per recording, as its index line tells it.
#pragma once

#include "screening/ScreeningTypes.h"

#include <string>
#include <vector>

class CPhoneNumbers;

// The recordings of every index.dat in sCallFolder and the folders below it,
// oldest first: the time from the line's date and time (the recording's last
// change when they cannot be read), the number and name, a message or a
// recorded call, the recording's path; a recorded conversation counts as
// heard, a message as not yet. sError names the folders that could not be
// read; what could be read is given all the same.
std::vector<HistoryEntry> HistoryFromIndexes(const std::string& sCallFolder,
                                             const CPhoneNumbers& numbers, std::string& sError);
