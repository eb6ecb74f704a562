// The provider this process's telephony lines run on, chosen once at
// start-up by the desktop program, the service and the tool, and
// registered into the program's registry (CTapiProviders):
//   - VORELLA_TAPI=simulated: the demonstration's simulated line;
//   - otherwise (VORELLA_TAPI unset, empty or "sip"): the SIP provider, one
//     line per SIP account of the settings ([SIP1] to [SIP8]), read each
//     time a line device is made, so accounts set up later count without a
//     restart. The provider is a plugin (libvorella-sip.so), loaded the
//     first time a provider is made while the settings name an account.
//     Its stacks keep their state in "sip/" in the program folder, readable
//     by the user only.
// Any other VORELLA_TAPI value installs nothing.
#pragma once

#include "tapi/TapiProviders.h"

#include <functional>
#include <string>

using TelephonyLog = std::function<void(const std::string&)>;

// The values of VORELLA_TAPI.
inline constexpr const char* kSimulatedTapiName = "simulated";
inline constexpr const char* kSipTapiName = "sip";

// Installs the provider as above into providers, chooses it, and tells log
// which one, with its lines, or why none; true when one was installed. The
// programs name the SIP provider only when the settings choose a telephony
// line (on a modem or an adapter it is no news); bAlwaysSay names it
// whatever the device (a listing of the lines). Each SIP provider made that
// cannot be (no account, the plugin missing) tells log why, once for each
// new reason.
bool InstallTelephonyProvider(CTapiProviders& providers, const TelephonyLog& log,
                              bool bAlwaysSay = false);

// Whether the settings choose a telephony line as the device: the
// provider is installed either way (the wizard and the options list its
// lines), but only then is it worth a word at start-up, and only such a
// line talks at the PC.
bool SettingsChooseTelephonyLine();

// The SIP provider's state folder ("sip" in the program folder), made
// private (0700) when missing or open to others; empty, with *pError set,
// when that fails.
std::string PrepareSipStateFolder(std::string* pError);
