// Loading a telephony provider built as a plugin (TapiPlugin.h) into the
// program's registry: the SIP provider's libvorella-sip.so, found through
// VORELLA_SIP_PLUGIN (a path), else beside the program (the build folder),
// else in the program's private library folder.
#pragma once

#include "tapi/TapiPlugin.h"

#include <string>

// Where the SIP plugin is looked for, in order.
std::string SipPluginPath();

// Loads the plugin at path (each time anew is cheap: a library already
// loaded is not loaded again) and lets its entry point register into
// host.pProviders. False, with *pWhy set, when it is missing, cannot be
// loaded, has no entry point or was built for another interface version
// (it is then unloaded untouched).
bool LoadTapiPlugin(const std::string& path, const TapiPluginHost& host, std::string* pWhy);
