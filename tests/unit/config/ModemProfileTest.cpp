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
    EXPECT_EQ(fresh.m_nModemType, 0);
    EXPECT_EQ(fresh.nCompression, 4);
    EXPECT_EQ(fresh.nCompressionSampleRate, 7200);
    EXPECT_EQ(fresh.sStatusCallerID, "NOT USED");
    EXPECT_EQ(fresh.sStatusMODEM_EOT, std::string("\x10\x03", 2));
    EXPECT_EQ(fresh.sVoiceStopPlay, "<h10><h03>");
    EXPECT_EQ(fresh.sCmd, "AT");
    EXPECT_EQ(fresh.sCmdDial, "D%s");
    EXPECT_EQ(fresh.sVoiceTone, "#VTS=[%s,%s,%s]");
    EXPECT_EQ(fresh.sVoiceCompressGSM, "");
    EXPECT_EQ(fresh.iSilenceDefault, 2);

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

TEST(DecodeEscapes, Groups) {
    EXPECT_EQ(DecodeEscapes("<h10><h03>"), std::string("\x10\x03", 2));
    EXPECT_EQ(DecodeEscapes("AT<cr>"), "AT\r");
    EXPECT_EQ(DecodeEscapes("AT<CR><LF><lf>"), "AT\r\n\n");
    EXPECT_EQ(DecodeEscapes("<hff><hFf>"), "\xff\xff");
    EXPECT_EQ(DecodeEscapes("#VTS=1"), "#VTS=1");
    EXPECT_EQ(DecodeEscapes(""), "");
}

TEST(DecodeEscapes, GroupsThatGiveNoByteOrStandForThemselves) {
    EXPECT_EQ(DecodeEscapes("a<hZZ>b"), "ab");   // not hexadecimal: no byte
    EXPECT_EQ(DecodeEscapes("a<h1Z>b"), "ab");   // half hexadecimal: no byte
    EXPECT_EQ(DecodeEscapes("a<h00>b"), "ab");   // zero: no byte
    EXPECT_EQ(DecodeEscapes("<h10)x"), "\x10x"); // the closing ">" is not checked
    EXPECT_EQ(DecodeEscapes("<H10>"), "<H10>");  // upper-case H is plain text
    EXPECT_EQ(DecodeEscapes("<Cr><lF>"), "<Cr><lF>");
    EXPECT_EQ(DecodeEscapes("<<h41>"), "<A");
    // A group cut short by the end of the string is plain text, never a read
    // past its end.
    EXPECT_EQ(DecodeEscapes("x<h1"), "x<h1");
    EXPECT_EQ(DecodeEscapes("x<h10"), "x<h10");
    EXPECT_EQ(DecodeEscapes("x<cr"), "x<cr");
    EXPECT_EQ(DecodeEscapes("<"), "<");
}

} // namespace
