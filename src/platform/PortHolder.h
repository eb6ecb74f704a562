// Who holds a serial port open. When a modem cannot be opened because some
// other program has it (ModemManager probing a new USB modem is the usual
// one), naming that program tells the user what to stop.
#pragma once

#include <string>

// The first process found with devicePath open, as "ModemManager (pid 812)";
// "" when nobody has it open or it cannot be told (the /proc entries of
// other users' processes are not readable to everyone).
std::string DescribePortHolder(const std::string& devicePath);
