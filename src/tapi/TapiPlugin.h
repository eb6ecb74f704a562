// The one entry point of a telephony provider built as a plugin (a shared
// library the program loads at run time, such as libvorella-sip.so):
//
//   extern "C" uint32_t vorella_tapi_plugin_register(const TapiPluginHost*);
//
// It returns the interface version it was built for, and registers its
// providers into host->pProviders only when that is host->nInterface. A
// program refuses a plugin of another version without touching anything
// else of it: the version is the first field and never moves.
#pragma once

#include <cstdint>

class CTapiProviders;

// Raised whenever anything the plugin and the program share changes
// (this struct, CTapiProviders, ITapiProvider, ISoundBackend).
inline constexpr uint32_t kTapiPluginInterface = 1;
inline constexpr const char* kTapiPluginEntry = "vorella_tapi_plugin_register";

struct TapiPluginHost {
    uint32_t nInterface = kTapiPluginInterface;
    CTapiProviders* pProviders = nullptr;
    // The settings file its lines are read from each time a provider is
    // made, and a private folder for the provider's own state.
    const char* pszSettingsFile = nullptr;
    const char* pszStateFolder = nullptr;
    // Where the plugin's lines for the program's trace go (the sound
    // devices' reports); the plugin's own copy of the audio layer has no
    // sink of its own.
    void (*pfnTrace)(const char* line) = nullptr;
};

using TapiPluginEntry = uint32_t (*)(const TapiPluginHost* host);
