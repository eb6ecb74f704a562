// The demonstration on a simulated telephony line: VORELLA_TAPI=simulated
// installs the simulated provider as the telephony layer's, with a caller
// who rings a few seconds after the line is opened and then every minute,
// gives a caller ID and, when the line is answered, speaks for a while (a
// tune on the call's sound input, with the null sound backend) and hangs up.
#pragma once

#include <functional>
#include <string>

// The value of VORELLA_TAPI that asks for it.
inline constexpr const char* kSimulatedTapiName = "simulated";

// Installs the provider VORELLA_TAPI names; true when it did. An unknown
// name is told through log and installs nothing; unset or empty installs
// nothing.
bool InstallTapiProviderFromEnvironment(const std::function<void(const std::string&)>& log);
