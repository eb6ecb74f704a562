// SPDX-License-Identifier: GPL-3.0-or-later
// A WAV file of one steady tone (8000 samples/s, 16-bit mono), as a far end
// or a greeting says it in the SIP tests.
#pragma once

#include <string>

// False when the file could not be written.
bool WriteToneFile(const std::string& path, double hz, double seconds);
