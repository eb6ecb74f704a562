// The last steps of reading a caller's identity, common to every device:
// the "NA" rule, the call-list filter, the tray tooltip and the caller fields.
#pragma once

#include "engine/Number.h"

class IUiBridge;

// Applies the rules to call (stamped and filled by the device's reader) and
// tells the front end. The caller publishes call as the call in progress afterwards.
void FinishCallerId(CNumber& call, bool bFilterCalls, IUiBridge& ui);

// The main window's title while a call rings: "%s - [%s] - Vorella" with the
// caller name and the display number.
std::string CallWindowTitle(const CNumber& call);
// The same for any name and number (a row of the call list).
std::string CallWindowTitle(const std::string& sName, const std::string& sNumber);
