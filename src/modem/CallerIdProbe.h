// Which kind of caller ID the modem offers, asked after its model is known:
// the set-up wizard takes the answer as the caller-ID type to use.
#pragma once

#include "modem/CommDriver.h"

#include <cstdint>
#include <string>

// Opens the modem on the driver's nComPort and asks whether it takes the
// profile's caller-ID command (type 2, formatted caller ID) or, failing that,
// its hardware caller-ID command (type 1). 0 when it takes neither, -1 when
// the modem could not be asked. The modem is released at the end.
int DetectCallerIdType(CCommDriver& drv, const std::string& sModem, uint32_t dwBaudRate);
