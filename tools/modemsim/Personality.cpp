#include "Personality.h"

#include "platform/TextUtil.h"

#include <array>

namespace modemsim {

namespace {

// Answers to +VSM=? for the V.253 families. Modem detection tells the families
// apart by these lists, so each one carries (or avoids) the tell-tale entry.
constexpr const char* kVsmSoft = "0,\"SIGNED PCM\",8,0,(8000),(0),(0)\r\n"
                                 "1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)\r\n"
                                 "2,\"16-BIT PCM\",16,0,(8000),(0),(0)\r\n"
                                 "4,\"G.711 MU-LAW\",8,0,(8000),(0),(0)\r\n"
                                 "5,\"G.711 A-LAW\",8,0,(8000),(0),(0)";
constexpr const char* kVsmCl1 = "1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)\r\n"
                                "2,\"16-BIT PCM\",16,0,(8000),(0),(0)\r\n"
                                "140,\"CL1\",4,0,(7200),(0),(0)";
constexpr const char* kVsmBroadcom = "0,\"SIGNED PCM\",8,0,(8000),(0),(0)\r\n"
                                     "1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)\r\n"
                                     "2,\"16-BIT PCM\",16,0,(8000),(0),(0)\r\n"
                                     "128,\"IMA ADPCM\",4,0,(8000),(0),(0)";
constexpr const char* kVsmRockwell = "0,\"SIGNED PCM\",8,0,(7200,8000,11025),(0),(0)\r\n"
                                     "1,\"UNSIGNED PCM\",8,0,(7200,8000,11025),(0),(0)\r\n"
                                     "129,\"ADPCM\",4,0,(7200),(0),(0)\r\n"
                                     "130,\"UNSIGNED PCM\",8,0,(7200,8000,11025),(0),(0)\r\n"
                                     "131,\"ULAW\",8,0,(8000),(0),(0)\r\n"
                                     "132,\"ALAW\",8,0,(8000),(0),(0)\r\n"
                                     "133,\"LINEAR\",16,0,(7200,8000),(0),(0)";
constexpr const char* kVsmRockwellPcm = "0,\"SIGNED PCM\",8,0,(7200,8000,11025),(0),(0)\r\n"
                                        "130,\"UNSIGNED PCM\",8,0,(7200,8000,11025),(0),(0)\r\n"
                                        "131,\"ULAW\",8,0,(8000),(0),(0)";
constexpr const char* kVsmZyxel = "1,\"ZyXEL ADPCM\",2,0,(9600),(0),(0)\r\n"
                                  "2,\"ZyXEL ADPCM\",3,0,(9600),(0),(0)\r\n"
                                  "3,\"ZyXEL ADPCM\",4,0,(9600),(0),(0)\r\n"
                                  "4,\"UNSIGNED PCM\",8,0,(8000,9600),(0),(0)\r\n"
                                  "5,\"16-BIT PCM\",16,0,(8000,9600),(0),(0)";

const std::vector<FormatChoice> kFormatsSoft = {{0, 9}, {1, 8}, {2, 16}, {4, 2131}, {5, 2130}};
const std::vector<FormatChoice> kFormatsCl1 = {{1, 8}, {2, 16}, {140, 4}};
const std::vector<FormatChoice> kFormatsBroadcom = {{0, 9}, {1, 8}, {2, 16}, {128, 130}};
const std::vector<FormatChoice> kFormatsRockwell = {{0, 9},      {1, 8},      {129, 4}, {130, 8},
                                                    {131, 2131}, {132, 2130}, {133, 16}};
const std::vector<FormatChoice> kFormatsRockwellPcm = {{0, 9}, {130, 8}, {131, 2131}};
const std::vector<FormatChoice> kFormatsZyxel = {{1, 41}, {2, 41}, {3, 41}, {4, 8}, {5, 16}};
// "#VSM=" values of the "#" families.
const std::vector<FormatChoice> kFormatsUsr = {{1, 4}, {128, 8}, {129, 128}, {132, 16}};
const std::vector<FormatChoice> kFormatsUsrIma = {{1, 4}, {2, 130}, {128, 8}, {132, 16}};
const std::vector<FormatChoice> kFormatsHash = {{1, 4}, {128, 8}, {132, 16}};

// ATI answers that most chips share; a family overrides I0 and I3.
#define GENERIC_ATI(i0, i3)                                                                        \
    { i0, "255", "", i3, "a007840284C6002F", nullptr, nullptr, nullptr, nullptr, nullptr }

// clang-format off
const std::array<Personality, 12> kPersonalities = {{
    {"v253", "generic V.253 voice modem (+V commands)", true, false, false, false, kVsmSoft,
     nullptr, "OK", "OK", false, false, 8, 8000, kFormatsSoft,
     GENERIC_ATI("56000", "V.92 Data/Fax/Voice Modem"), "Generic", "V92 Voice", "1.0", false},
    {"soft", "software modem (LT Win Modem row)", true, false, false, false, kVsmSoft, nullptr,
     "OK", "OK", false, false, 8, 8000, kFormatsSoft,
     GENERIC_ATI("5601", "LT V.92 1.0 MT5634ZBA-V92 Soft Modem"), "LT", "Soft Modem", "5.19",
     false},
    {"cl1", "Cirrus Logic IS-101 (+VSM lists CL1)", true, false, false, false, kVsmCl1, nullptr,
     "OK", "OK", false, false, 8, 8000, kFormatsCl1, GENERIC_ATI("28800", "CL-MD5650 IS-101"),
     "Cirrus Logic", "CL-MD5650", "1.3", false},
    {"broadcom", "BroadCom soft modem (IMA ADPCM as 128)", true, false, false, false, kVsmBroadcom,
     nullptr, "OK", "OK", false, false, 8, 8000, kFormatsBroadcom,
     GENERIC_ATI("56000", "BroadCom SoftModem V.92"), "BroadCom", "SoftModem V.92", "2.2", false},
    {"rockwell", "Rockwell HCF (LINEAR as 133)", true, false, false, false, kVsmRockwell, nullptr,
     "OK", "OK", false, false, 8, 8000, kFormatsRockwell,
     GENERIC_ATI("56000", "HCF 56K Data,Fax,Voice"), "Rockwell", "HCF V90 56000", "1.70", false},
    {"rockwell-pcm", "Rockwell HCF (UNSIGNED PCM as 130 only)", true, false, false, false,
     kVsmRockwellPcm, nullptr, "OK", "OK", false, false, 8, 8000, kFormatsRockwellPcm,
     GENERIC_ATI("56000", "HCF 56K Data,Fax,Voice"), "Rockwell", "HCF V90 56000", "1.50", false},
    {"zyxel", "ZyXEL (+VSM lists ZyXEL ADPCM)", true, false, false, false, kVsmZyxel, nullptr,
     "VCON", "OK", false, false, 8, 9600, kFormatsZyxel, GENERIC_ATI("28800", "ZyXEL Omni 288S"),
     "ZyXEL", "Omni 288S", "1.07", false},
    {"usr", "U.S. Robotics, framed GSM (#VCI? USRobotics;GSM;8)", false, true, true, false, nullptr,
     "USRobotics;GSM;8", "VCON", "VCON", true, true, 128, 8000, kFormatsUsr,
     GENERIC_ATI("5601", "U.S. Robotics 56K Voice Rev. 7.4.3"), "U.S. Robotics", "56K Voice",
     "7.4.3", false},
    {"usr-ima", "U.S. Robotics, IMA ADPCM (#VCI? USRobotics;IMA ADPCM;4)", false, true, true, false,
     nullptr, "USRobotics;IMA ADPCM;4", "VCON", "VCON", false, true, 130, 8000, kFormatsUsrIma,
     GENERIC_ATI("3361", "U.S. Robotics Sportster Voice Rev. 1.2"), "U.S. Robotics",
     "Sportster Voice", "1.2", false},
    {"cirrus", "Cirrus Logic CL-MD1414 (#VCL=1, no #CLS)", false, true, false, true, nullptr,
     nullptr, "VCON", "VCON", false, true, 8, 7200, kFormatsHash,
     GENERIC_ATI("14400", "CL-MD1414EXX"), "Cirrus Logic", "CL-MD1414", "1.0", false},
    {"hash", "generic \"#\" command voice modem", false, true, true, false, nullptr, nullptr,
     "VCON", "VCON", false, true, 8, 7200, kFormatsHash, GENERIC_ATI("14400", "Voice Modem"),
     "Generic", "Voice Modem", "1.0", false},
    {"gsm", "mobile-network modem (text messages, no voice)", false, false, false, false,
     nullptr, nullptr, "OK", "OK", false, false, 8, 8000, {},
     GENERIC_ATI("GSM", "Mobile Broadband Modem"), "Generic", "Mobile Broadband", "1.0", true},
}};
// clang-format on

#undef GENERIC_ATI

} // namespace

const Personality* FindPersonality(std::string_view name) {
    for (const Personality& p : kPersonalities)
        if (EqualsNoCase(p.name, name))
            return &p;
    return nullptr;
}

std::vector<std::string> PersonalityNames() {
    std::vector<std::string> names;
    for (const Personality& p : kPersonalities)
        names.push_back(p.name);
    return names;
}

} // namespace modemsim
