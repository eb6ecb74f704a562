// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of libvorella-sip.so: registers the SIP provider ("sip")
// into the program's registry. Each provider it makes reads the accounts of
// the settings file afresh, so accounts set up later count without a restart.
#include "audio/AudioLog.h"
#include "sip/SipAccounts.h"
#include "sip/SipProvider.h"
#include "tapi/TapiPlugin.h"
#include "tapi/TapiProviders.h"

#include "config/SettingsProvider.h"

#include <memory>
#include <string>

extern "C" __attribute__((visibility("default"))) uint32_t
vorella_tapi_plugin_register(const TapiPluginHost* host) {
    if (host == nullptr || host->nInterface != kTapiPluginInterface)
        return kTapiPluginInterface;
    if (host->pProviders == nullptr || host->pszSettingsFile == nullptr ||
        host->pszStateFolder == nullptr)
        return kTapiPluginInterface;
    if (host->pfnTrace != nullptr)
        SetAudioLogSink([trace = host->pfnTrace](const std::string& line, AudioLogKind) {
            trace(line.c_str());
        });
    host->pProviders->Register(
        "sip",
        [settings = std::string(host->pszSettingsFile), folder = std::string(host->pszStateFolder)](
            std::string* pWhy) -> std::unique_ptr<ITapiProvider> {
            std::vector<SipAccount> accounts = ReadSipAccounts(CFileSettingsProvider(settings).Snapshot());
            if (accounts.empty()) {
                if (pWhy)
                    *pWhy = kNoSipAccountText;
                return nullptr;
            }
            CSipProvider::Options options;
            options.sStateFolder = folder;
            return std::make_unique<CSipProvider>(std::move(accounts), std::move(options));
        });
    return kTapiPluginInterface;
}
