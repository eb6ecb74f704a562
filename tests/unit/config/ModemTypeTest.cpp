#include "config/ModemType.h"
#include "config/ModemProfile.h"

#include <gtest/gtest.h>

namespace {

TEST(ModemType, KeywordOrderDecides) {
    struct Case {
        const char* name;
        int type;
    };
    // The rules of the search, not its table: the order of the rows and of
    // the keywords, a keyword inside a word or only at its start, the Courier
    // AVC, and a name no keyword matches.
    const Case cases[] = {
        {"Courier U.S.R", 20}, // courier is tested before u.s.r
        {"Courier AVC", 25},
        {"Rockwell Voice Modem", 30},
        {"Rockwell V.92 Modem", 100}, // the first row wins
        {"Windows Modem", 100},       // "win" is a keyword
        {"Generic VI modem", 15},     // " vi" starts a word
        {"Navi", 0},
        {"Mystery Box", 0},
        {"", 0},
    };
    CModemProfile p;
    for (const Case& c : cases) {
        TypeFromName(p, c.name); // stored into the profile
        EXPECT_EQ(p.m_nModemType, c.type) << c.name;
        EXPECT_EQ(ModemTypeFromName(c.name), c.type) << c.name;
    }
}

} // namespace
