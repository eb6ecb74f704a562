// Whether this user may open a serial device, and what to do when not. On
// Debian a serial device belongs to the group "dialout", and a new user is
// not in it: the first open of a USB modem fails with "Permission denied".
// Naming the group (as the device node says it) and the command that joins
// it tells the user the way out.
#pragma once

#include <string>

// "" when this process may read and write device (or it is not there);
// otherwise what to do: "join the group dialout, which owns /dev/ttyACM0
// (sudo usermod -aG dialout alice, then log in again)".
std::string PortAccessHint(const std::string& device);

// The reason an open of device failed for lack of permission:
// "/dev/ttyACM0: Permission denied: join the group dialout, ...".
std::string NoPermissionText(const std::string& device);
