#include "config/ModemType.h"
#include "config/ModemProfile.h"

#include <gtest/gtest.h>

namespace {

TEST(ModemType, KeywordOrderDecides) {
    struct Case {
        const char* name;
        int type;
    };
    const Case cases[] = {
        {"Courier U.S.R", 20}, // courier is tested before u.s.r
        {"Courier AVC", 25},
        {"Rockwell Voice Modem", 30},
        {"Rockwell V.92 Modem", 100}, // the first row wins
        {"Windows Modem", 100},       // "win" is a keyword
        {"Mystery Box", 0},
        {"", 0},
        {"ZyXEL Omni 288S", 100},
        {"Cirrus Logic IS-101", 100},
        {"BroadCom SoftModem Chipset V.92", 100},
        {"Rockwell HCF Compatible", 30},
        {"LT Win Modem", 100},
        {"Rockwell Compatible (ADPCM)", 30},
        {"3Com / U.S.Robotics Voice Modem", 10},
        {"3Com / U.S.Robotics 56K Voice", 10},
        {"Cirrus Logic CL-MD1414EXX", 0},
        {"Generic VI modem", 15}, // " vi" starts a word
        {"Navi", 0},
        {"Sportster 33600", 10},
        {"Texas Instruments", 10},
        {"IDC 5614", 40},
        {"MultiTech MT5634", 100},
        {"ELSA MicroLink", 70},
        {"Generic PCI modem", 100},
        {"Lucent", 100},
        {"Agere V90", 100},
    };
    CModemProfile p;
    for (const Case& c : cases) {
        TypeFromName(p, c.name); // stored into the profile
        EXPECT_EQ(p.m_nModemType, c.type) << c.name;
        EXPECT_EQ(ModemTypeFromName(c.name), c.type) << c.name;
    }
}

} // namespace
