#include "config/ModemType.h"

#include "config/ModemProfile.h"
#include "platform/TextUtil.h"

#include <array>
#include <string>

namespace {

struct TypeRule {
    std::array<const char*, 12> keywords; // unused slots are nullptr
    int nType;
};

// Searched in this order; the first keyword found in the lower-cased name
// decides. " pci" and " vi" begin with a blank on purpose: they must start a
// word. Soft modems come first because whatever else their name says, they
// behave as soft modems.
constexpr TypeRule kTypeRules[] = {
    {{"winmodem", "win modem", "win", " pci", "is-101", "v90", "v.92", "v92", "v.90", "lucent",
      "softmodem", "soft"},
     100},
    {{"courier"}, 20}, // 25 with "avc", see below
    {{"zyxel"}, 100},
    {{"rockwell"}, 30},
    {{" vi"}, 15},
    {{"sportster", "u.s.r", "robotics", "texas instruments"}, 10},
    {{"idc"}, 40},
    {{"multitech"}, 100},
    {{"elsa"}, 70},
};

constexpr int kCourierType = 20;
constexpr int kCourierAvcType = 25;

} // namespace

int ModemTypeFromName(std::string_view sModem) {
    const std::string name = ToLowerAscii(sModem);
    for (const TypeRule& rule : kTypeRules) {
        for (const char* keyword : rule.keywords) {
            if (keyword == nullptr || name.find(keyword) == std::string::npos)
                continue;
            if (rule.nType == kCourierType && name.find("avc") != std::string::npos)
                return kCourierAvcType;
            return rule.nType;
        }
    }
    return 0;
}

void TypeFromName(CModemProfile& profile, std::string_view sModem) {
    profile.m_nModemType = ModemTypeFromName(sModem);
}
