#include "Commands.h"

#include "config/ModemProfile.h"
#include "config/ModemType.h"

#include <cstdio>

int CmdProfile(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vorella-tool profile NAME\n");
        return 2;
    }
    CModemProfile profile;
    profile.Load(args[0]);
    TypeFromName(profile, args[0]);
    const std::string path = profile.ProfilePath();
    std::printf("# modem: %s\n", profile.m_sModemName.c_str());
    std::printf("# profile file: %s\n", path.empty() ? "(none: defaults)" : path.c_str());
    for (const ProfileKey& k : ProfileKeys())
        std::printf("%s\t%s\n", k.key, ProfileValueText(k, profile).c_str());
    std::printf("# type code: %d\n", profile.m_nModemType);
    return 0;
}

int CmdModemType(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vorella-tool modem-type NAME\n");
        return 2;
    }
    std::printf("%d\n", ModemTypeFromName(args[0]));
    return 0;
}
