// SPDX-License-Identifier: GPL-3.0-or-later
// A provider plugin built for another interface version: it must be refused
// before anything else of it is used.
#include "tapi/TapiPlugin.h"

extern "C" __attribute__((visibility("default"))) uint32_t
vorella_tapi_plugin_register(const TapiPluginHost*) {
    return kTapiPluginInterface + 1;
}
