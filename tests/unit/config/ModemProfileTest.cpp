#include "config/ModemProfile.h"
#include "TempHome.h"
#include "platform/Event.h"
#include "platform/ProfileFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

const char kCatalog[] = "[Options]\n"
                        "sSupportedModems=Alpha;Beta;.Custom\n"
                        "[Alpha]\n"
                        "Cfg=alpha.cfg\n"
                        "[Beta]\n"
                        "Cfg=\n"
                        "[Escape]\n"
                        "Cfg=../vorella.ini\n";

TEST(ModemProfile, ConstructionAndUnknownModemsGiveTheDefaults) {
    TempHome home;
    home.Write("modem.ini", kCatalog);
    home.Write("cfg/alpha.cfg", "[Options]\nsCmdAnswer=A9\n");
    CModemProfile fresh;

    for (const char* name : {"Nobody", "Beta", ""}) {
        CModemProfile p;
        p.sCmdAnswer = "changed";
        EXPECT_TRUE(p.Load(name));
        EXPECT_EQ(p.m_sModemName, name);
        EXPECT_EQ(p.ProfilePath(), "") << name;
        for (const ProfileKey& k : ProfileKeys())
            EXPECT_EQ(ProfileValueText(k, p), ProfileValueText(k, fresh)) << name << " " << k.key;
        EXPECT_FALSE(p.Save()) << "a modem without a profile file writes nothing";
    }
}

TEST(ModemProfile, CatalogueListAndProfileFile) {
    TempHome home;
    CModemProfile p;
    p.Load("Alpha");
    EXPECT_EQ(p.m_sSupportedModems, ".Custom"); // no modem.ini at all
    EXPECT_EQ(p.m_arSupportedModems, std::vector<std::string>{".Custom"});

    home.Write("modem.ini", kCatalog);
    home.Write("cfg/alpha.cfg", "; Alpha test modem\n[Options]\nnCompression=128\n"
                                "sCmdAnswer=A9\nsStatusMODEM_EOT1=16\nsStatusMODEM_EOT2=26\n");
    p.Load("ALPHA"); // catalogue sections match case-insensitively
    EXPECT_EQ(p.m_sProfileFile, "alpha.cfg");
    EXPECT_EQ(p.ProfilePath(), home.Path() + "cfg/alpha.cfg");
    EXPECT_EQ(p.m_arSupportedModems, (std::vector<std::string>{"Alpha", "Beta", ".Custom"}));
    EXPECT_EQ(p.nCompression, 128);
    EXPECT_EQ(p.sCmdAnswer, "A9");
    EXPECT_EQ(p.sCmdHangup, "H"); // missing key: default
    EXPECT_EQ(p.sStatusMODEM_EOT, std::string("\x10\x1a", 2));

    home.Write("modem.ini", "[Options]\nsSupportedModems=A;B;;C\n");
    p.Load("A");
    EXPECT_EQ(p.m_arSupportedModems, (std::vector<std::string>{"A", "B", "", "C"}));
    home.Write("modem.ini", "[Options]\nsSupportedModems=A;\n");
    p.Load("A");
    EXPECT_EQ(p.m_arSupportedModems, (std::vector<std::string>{"A", ""}));
}

TEST(ModemProfile, ACatalogueCannotPointOutsideTheProfileFolder) {
    TempHome home;
    home.Write("modem.ini", kCatalog);
    home.Write("vorella.ini", "[Options]\nnRings=2\n");
    CModemProfile p;
    p.Load("Escape");
    EXPECT_EQ(p.m_sProfileFile, "../vorella.ini");
    EXPECT_EQ(p.ProfilePath(), "");
    EXPECT_FALSE(p.Save());
    EXPECT_EQ(home.Read("vorella.ini"), "[Options]\nnRings=2\n");
}

TEST(ModemProfile, SaveThenLoadGivesBackEveryValue) {
    TempHome home;
    home.Write("modem.ini", kCatalog);
    home.Write("cfg/alpha.cfg", "; keep this comment\n[Options]\nmyNote=mine\n");
    CModemProfile p;
    p.Load("Alpha");
    int n = 0;
    for (const ProfileKey& k : ProfileKeys()) {
        ++n;
        std::visit(
            [&]<class F>(F f) {
                if constexpr (std::is_same_v<F, int CModemProfile::*>)
                    p.*f = 1000 + n;
                else if constexpr (std::is_same_v<F, std::string CModemProfile::*>)
                    p.*f = "#X" + std::to_string(n) + "=<h10><cr>";
            },
            k.field);
    }
    p.sStatusMODEM_EOT = std::string("\x10\xfe", 2); // a byte above 127 too
    p.sCmdDevSpecificInit = " leading blank";
    p.sCmdDevSpecificVoiceInit = "";
    ASSERT_TRUE(p.Save());

    CModemProfile back;
    back.Load("Alpha");
    for (const ProfileKey& k : ProfileKeys())
        EXPECT_EQ(ProfileValueText(k, back), ProfileValueText(k, p)) << k.key;
    EXPECT_EQ(back.sStatusMODEM_EOT, std::string("\x10\xfe", 2));
    EXPECT_EQ(back.sCmdDevSpecificInit, " leading blank");
    const std::string text = home.Read("cfg/alpha.cfg");
    EXPECT_EQ(text.rfind("; keep this comment\n[Options]\nmyNote=mine\n", 0), 0u);
    EXPECT_NE(text.find("\nsStatusMODEM_EOT2=254\n"), std::string::npos);
}

TEST(ModemProfile, LoadSetsTheProfileEventAgain) {
    TempHome home;
    ManualResetEvent& ev = NamedEvent(kProfileEventName);
    ev.Reset();
    CModemProfile p;
    p.Load("Anything");
    EXPECT_TRUE(ev.Wait(0));
}

// The format command each compression id needs (ids 4 and 5 are chosen by
// the bits-per-sample command alone on the modems that use them).
const std::map<int, std::string CModemProfile::*> kFormatCommand = {
    {8, &CModemProfile::sVoiceCompressPCM8U},   {9, &CModemProfile::sVoiceCompressPCM8L},
    {16, &CModemProfile::sVoiceCompressPCM16},  {41, &CModemProfile::sVoiceCompressADPCM},
    {128, &CModemProfile::sVoiceCompressGSM},   {129, &CModemProfile::sVoiceCompressADPCM},
    {130, &CModemProfile::sVoiceCompressIMA},   {1130, &CModemProfile::sVoiceCompressIMA},
    {2130, &CModemProfile::sVoiceCompressALAW}, {2131, &CModemProfile::sVoiceCompressULAW},
};

TEST(ShippedProfiles, EveryCatalogueEntryHasACompleteUsableProfile) {
    TempHome home;
    home.CopyShipped("modem.ini");
    for (const auto& e : std::filesystem::directory_iterator(ShippedDataFolder() + "cfg"))
        home.CopyShipped("cfg/" + e.path().filename().string());

    std::set<std::string> known;
    for (const ProfileKey& k : ProfileKeys())
        known.insert(k.key);

    CModemProfile probe;
    probe.Load(".Custom");
    ASSERT_GE(probe.m_arSupportedModems.size(), 11u);
    for (const std::string& name : probe.m_arSupportedModems) {
        SCOPED_TRACE(name);
        CModemProfile p;
        p.Load(name);
        ASSERT_NE(p.ProfilePath(), "");
        const ProfileFile file(p.ProfilePath());
        ASSERT_TRUE(file.Exists());
        // Every key written out, none misspelt.
        const std::vector<std::string> keys = file.Keys("Options");
        EXPECT_EQ(keys.size(), ProfileKeys().size());
        for (const std::string& key : keys)
            EXPECT_TRUE(known.count(key)) << key;

        EXPECT_FALSE(p.sVoiceSwitchToVoice.empty());
        EXPECT_FALSE(p.sVoiceReceiveVoice.empty());
        EXPECT_FALSE(p.sVoiceTransmitVoice.empty());
        EXPECT_EQ(DecodeEscapes(p.sVoiceStopPlay), "\x10\x03");
        EXPECT_EQ(DecodeEscapes(p.sVoiceStopReceive).substr(0, 1), "\x10");
        EXPECT_GE(p.nCompressionSampleRate, 7200);
        if (auto it = kFormatCommand.find(p.nCompression); it != kFormatCommand.end()) {
            EXPECT_FALSE((p.*(it->second)).empty()) << "no format command for " << p.nCompression;
        } else {
            EXPECT_TRUE(p.nCompression == 4 || p.nCompression == 5) << p.nCompression;
            EXPECT_FALSE(p.sVoiceCompressBS.empty());
        }
    }
}

// The groups of the profile's command strings; a group cut short by the
// end of the string is plain text, never a read past its end.
TEST(DecodeEscapes, GroupsGiveTheirBytesAndAnythingElseStaysText) {
    const std::pair<const char*, std::string> cases[] = {
        {"<h10><h03>", std::string("\x10\x03", 2)}, {"AT<cr>", "AT\r"},
        {"AT<CR><LF><lf>", "AT\r\n\n"}, {"<hff><hFf>", "\xff\xff"}, {"#VTS=1", "#VTS=1"},
        {"", ""}, {"a<hZZ>b", "ab"}, {"a<h1Z>b", "ab"}, {"a<h00>b", "ab"}, // no byte
        {"<h10)x", "\x10x"}, // the closing ">" is not checked
        {"<H10>", "<H10>"}, {"<Cr><lF>", "<Cr><lF>"}, {"<<h41>", "<A"}, {"x<h1", "x<h1"},
        {"x<h10", "x<h10"}, {"x<cr", "x<cr"}, {"<", "<"},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(DecodeEscapes(text), bytes) << text;
}

} // namespace
