#include "Commands.h"

#include "config/DataFolder.h"
#include "config/ModemProfile.h"
#include "config/SettingsStore.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/StringCatalogue.h"

#include <cstdio>

int CmdSettings(const Args&) {
    // The same order as the phone at start-up: the ".ini" seeded from the
    // ".def", the profile of the chosen modem, then every setting.
    SeedSettingsFile();
    const std::string sModem = ReadModemName();
    CModemProfile profile;
    profile.Load(sModem);

    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    const CSettingsHolders h{phone, driver, global, worker};
    LoadSettings(h, profile);

    for (const SettingKey& k : SettingKeys())
        std::printf("%s\t%s\t%s\n", k.section, k.key, SettingText(k, h).c_str());
    std::printf("# data folder: %s\n", GetDataFolder().c_str());
    return 0;
}

int CmdDefaults(const Args&) {
    std::fputs(DefaultSettingsText().c_str(), stdout);
    return 0;
}

int CmdStrings(const Args&) {
    std::fputs(StringCatalogueTemplate().c_str(), stdout);
    return 0;
}
