// The telephony lines a user can choose from (the set-up wizard's line page,
// the options' line choice), asked of the program's chosen provider. Qt-free, so
// the windows can run it on a thread of their own: a provider may take a
// while to start.
#pragma once

#include "tapi/TapiProviders.h"

#include <cstdint>
#include <string>
#include <vector>

struct TelephonyLineChoice {
    uint32_t dwDeviceID = 0; // what nTAPILine holds
    std::string sName;
};

struct TelephonyLineList {
    std::vector<TelephonyLineChoice> lines;
    // Why there is none to choose: no provider or no line device (string
    // 57974), or no line that carries voice or modem data (57975).
    std::string sMessage;
};

// The voice and data-modem lines: those of the telephony layer a line
// device runs, or else of a provider started for the listing alone and
// stopped again. The line in use is not touched either way. No registry
// (nullptr) lists none.
TelephonyLineList ListTelephonyLines(const CTapiProviders* pProviders);
