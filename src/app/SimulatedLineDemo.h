// The demonstration on a simulated telephony line: VORELLA_TAPI=simulated
// installs the simulated provider as the telephony layer's, with a caller
// who rings a few seconds after the line is opened and then every minute,
// gives a caller ID and, when the line is answered, speaks for a while (a
// tune on the call's sound input, with the null sound backend) and hangs up.
#pragma once

#include "tapi/TapiProviders.h"

#include <functional>
#include <string>

// Registers it into providers as "simulated", chooses it, and says so
// through log.
void InstallSimulatedLineDemo(CTapiProviders& providers,
                              const std::function<void(const std::string&)>& log);
