#include "Commands.h"

#include "config/DataFolder.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <cstdio>

int CmdSettings(const Args&) {
    SeedSettingsFile();
    ProfileFile ini(GetSettingsPath());
    for (const std::string& section : ini.Sections())
        for (const std::string& key : ini.Keys(section))
            std::printf("%s\t%s\t%s\n", section.c_str(), key.c_str(),
                        ini.GetString(section, key, "").c_str());
    std::printf("# data folder: %s\n", GetDataFolder().c_str());
    return 0;
}
