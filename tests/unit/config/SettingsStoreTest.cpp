#include "config/SettingsStore.h"
#include "TempHome.h"
#include "config/ModemProfile.h"
#include "config/SettingsProvider.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One set of holders, as the phone, its driver, the process and the worker
// hold them.
struct Holders {
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }
};

// Gives every setting a value unlike its default and unlike every other
// setting, so a key that is saved from or loaded into the wrong field shows.
void FillDistinct(Holders& h) {
    int n = 1000;
    for (const SettingKey& k : SettingKeys()) {
        ++n;
        std::visit(
            [&]<class F>(F f) {
                if constexpr (std::is_same_v<F, DtmfSlot>) {
                    h.driver.m_dtmf.at(static_cast<size_t>(f.index)) = n;
                } else if constexpr (std::is_same_v<F, StandaloneSlot>) {
                    ADD_FAILURE() << k.key << " has no holder";
                } else {
                    auto apply = [&](auto& holder) {
                        auto& v = holder.*f;
                        using T = std::decay_t<decltype(v)>;
                        if constexpr (std::is_same_v<T, int>)
                            v = n;
                        else if constexpr (std::is_same_v<T, bool>)
                            v = !k.nDefault;
                        else if constexpr (std::is_same_v<T, std::string>)
                            v = "value " + std::to_string(n);
                        else
                            v = {"a" + std::to_string(n), "", "b"};
                    };
                    if constexpr (requires { h.phone.*f; })
                        apply(h.phone);
                    else if constexpr (requires { h.driver.*f; })
                        apply(h.driver);
                    else if constexpr (requires { h.global.*f; })
                        apply(h.global);
                    else
                        apply(h.worker);
                }
            },
            k.field);
    }
}

std::string Text(const SettingKey& k, Holders& h) {
    return SettingText(k, h.Refs());
}

// Each key is found by "Section/key"; by its name alone only when no other
// section has a key of that name (the web page's and the broker's bEnable and
// nPort must never be read one for the other).
TEST(SettingsTable, KeysAreUniqueAndReadAfterTheKeysTheirDefaultsComeFrom) {
    std::set<std::string> seen;
    std::map<std::string, int> sections;
    for (auto keys : {SettingKeys(), StandaloneSettingKeys()})
        for (const SettingKey& k : keys)
            ++sections[k.key];
    const auto expectFound = [&](const SettingKey& k) {
        EXPECT_EQ(FindSettingKey((std::string(k.section) + "/" + k.key).c_str()), &k) << k.key;
        EXPECT_EQ(FindSettingKey(k.key), sections[k.key] == 1 ? &k : nullptr) << k.key;
    };
    for (const SettingKey& k : SettingKeys()) {
        EXPECT_TRUE(seen.insert(ToLowerAscii(k.key)).second) << k.key;
        expectFound(k);
        if (k.rule == DefaultRule::ValueOf || k.rule == DefaultRule::ReadTwice) {
            // The key a default comes from must be read before it.
            const SettingKey* other = FindSettingKey(k.otherKey);
            ASSERT_NE(other, nullptr) << k.key;
            EXPECT_LT(other, &k) << k.key << " is read before " << k.otherKey;
        }
    }
    for (const SettingKey& k : StandaloneSettingKeys()) {
        EXPECT_TRUE(seen.insert(ToLowerAscii(std::string(k.section) + "/" + k.key)).second)
            << k.key;
        expectFound(k);
        EXPECT_EQ(k.Holder(), SettingHolder::None) << k.key;
    }
}

// What a key holds after loading, from what the file says (nothing at all
// in the first row) and the modem's profile.
TEST(SettingsStore, KeysLoadWithTheProfileRulesAndDefaultsFollowTheirKeys) {
    struct Row {
        const char* name;
        const char* ini;   // nullptr: no file
        bool bVoiceSwitch; // the modem needs a command to switch to voice
        std::vector<std::pair<const char*, std::string>> want;
    } rows[] = {
        {"no file",
         nullptr,
         true,
         {{"dwPopupTimer", "60000"}, // that of dwInactiveTimer
          {"m_PagerPort", "-1"},     // that of nComPort
          {"bCompressWav", "0"},
          {"bCompatibleDial", "0"},
          {"sFileContacts", "<home>minidb.dat"},
          {"strPinArray", ""}}},
        {"computed defaults follow their keys",
         "[Options]\ndwInactiveTimer=1234\nnComPort=7\nfUseComvurgent=1\n",
         false,
         {{"dwPopupTimer", "1234"},
          {"m_PagerPort", "7"},
          {"bCompressWav", "1"},
          {"bCompatibleDial", "1"}}},
        {"explicit values win over computed defaults",
         "[Options]\ndwInactiveTimer=1234\ndwPopupTimer=5\nnComPort=7\nm_PagerPort=3\n"
         "fUseComvurgent=1\nbCompressWav=0\nbCompatibleDial=0\n",
         false,
         {{"dwPopupTimer", "5"},
          {"m_PagerPort", "3"},
          {"bCompressWav", "0"},
          {"bCompatibleDial", "0"}}},
        {"profile rules",
         "[options]\nNCOMPORT = 4 \nnRings=three\nbSilenceDetection=5\nbClick=0\n"
         "m_sSmtp=  mail.example.org  \nDTMF_0=9\nDTMF_NUM=1\n"
         "[Sounds]\nsWaveGreet=\"./wave/my greeting.wav\"\n",
         true,
         {{"nComPort", "4"},
          {"nRings", "0"}, // not a number: 0, as the profile calls read it
          {"bSilenceDetection", "1"},
          {"bClick", "0"},
          {"m_sSmtp", "mail.example.org"},
          {"DTMF_0", "9"},
          {"DTMF_NUM", "1"},
          {"DTMF_STAR", "30"}, // remote access
          {"sWaveGreet", "./wave/my greeting.wav"}}},
    };
    for (const Row& r : rows) {
        TempHome home;
        if (r.ini)
            home.Write("vorella.ini", r.ini);
        CModemProfile profile; // "#" family: sVoiceSwitchToVoice is "#CLS=8"
        if (!r.bVoiceSwitch)
            profile.sVoiceSwitchToVoice.clear();
        Holders h;
        LoadSettings(h.Refs(), profile);
        for (const auto& [key, want] : r.want)
            EXPECT_EQ(Text(*FindSettingKey(key), h),
                      want.starts_with("<home>") ? home.Path() + want.substr(6) : want)
                << r.name << ": " << key;
    }
}

// Every setting comes back, values that profile reading would alter too
// (blanks, quotes, separators); a line end cannot stand in a one-line value
// and becomes a blank. A file holding the mail password is its owner's only.
TEST(SettingsStore, SaveThenLoadGivesBackEverySetting) {
    TempHome home;
    Holders saved;
    FillDistinct(saved);
    saved.phone.m_sSubject = "  padded subject ";
    saved.phone.sRunParam = "\"only quotes\"";
    saved.phone.sFaxParam = "a=b;c";
    saved.phone.m_sOriginatorName = "two\nlines";
    CModemProfile profile;
    ASSERT_TRUE(SaveSettings(saved.Refs(), profile));
    struct stat st {};
    ASSERT_EQ(::stat(GetSettingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    saved.phone.m_sOriginatorName = "two lines";

    Holders loaded;
    LoadSettings(loaded.Refs(), profile);
    const ProfileFile written(GetSettingsPath());
    for (const SettingKey& k : SettingKeys()) {
        // Written-only keys are in the file but never read back.
        EXPECT_EQ(written.GetString(k.section, k.key, "<missing>"), Text(k, saved)) << k.key;
        if (!k.bWriteOnly) {
            EXPECT_EQ(Text(k, loaded), Text(k, saved)) << k.key;
        }
    }
    EXPECT_EQ(loaded.phone.dwTimeoutDefault, saved.driver.dwTimeoutDefault);
}

TEST(SettingsStore, PinListKeepsEmptyEntriesAndDropsTrailingSeparators) {
    struct Row {
        const char* text;
        std::vector<std::string> list;
        const char* written; // the list joined again
    } rows[] = {{"1;2;", {"1", "2", ""}, "1;2"},
                {"", {""}, ""},
                {";;", {"", "", ""}, ""},
                {";7", {"", "7"}, ";7"}};
    for (const Row& r : rows) {
        EXPECT_EQ(SplitSettingList(r.text), r.list) << r.text;
        EXPECT_EQ(JoinSettingList(r.list), r.written) << r.text;
    }
    EXPECT_EQ(JoinSettingList({}), "");

    TempHome home;
    home.Write("vorella.ini", "[Options]\nstrPinArray=1;2;\n");
    Holders h;
    CModemProfile profile;
    LoadSettings(h.Refs(), profile);
    ASSERT_TRUE(SaveSettings(h.Refs(), profile));
    EXPECT_EQ(ProfileFile(GetSettingsPath()).GetString("Options", "strPinArray", "?"), "1;2");
    // PINs are secrets: the file is its owner's only.
    struct stat st {};
    ASSERT_EQ(::stat(GetSettingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A file from before remote access holds "*" as nothing: it gets the
// action; a newer file's choice (its nSettingsVersion is written with every
// key), or an old file's own action, stays.
TEST(SettingsStore, AnOldFilesStarKeyGetsRemoteAccessOnce) {
    const int kDefault = FindSettingKey("DTMF_STAR")->nDefault;
    const struct {
        const char* text;
        int want;
    } rows[] = {{"[Options]\nDTMF_STAR=0\n", kDefault},
                {"[Options]\nDTMF_STAR=2\n", 2},
                {"[Startup]\nnSettingsVersion=1\n[Options]\nDTMF_STAR=0\n", 0},
                {"", kDefault}};
    for (const auto& [text, want] : rows) {
        CMemorySettingsProvider settings(text);
        Holders h;
        CModemProfile profile;
        settings.LoadAll(h.Refs(), profile);
        EXPECT_EQ(h.driver.m_dtmf[kDtmfStar], want) << text;
    }
}

// The save keeps the user's comments, unknown keys and order, writes every
// key (defaults too) and ends with the modem's profile.
TEST(SettingsStore, SaveKeepsCommentsUnknownKeysAndOrderAndSavesTheProfile) {
    TempHome home;
    home.Write("modem.ini", "[Options]\nsSupportedModems=Test\n[Test]\nCfg=test.cfg\n");
    home.Write("vorella.ini", "; my settings, hands off\n"
                              "[Options]\n"
                              "nRings=4\n"
                              "myOwnKey=kept\n"
                              "\n"
                              "[Elsewhere]\n"
                              "x=1\n");
    Holders h;
    CModemProfile profile;
    profile.Load("Test");
    profile.sCmdAnswer = "A0";
    LoadSettings(h.Refs(), profile);
    EXPECT_EQ(h.phone.nRings, 4);
    h.phone.nRings = 6;
    ASSERT_TRUE(SaveSettings(h.Refs(), profile));
    EXPECT_EQ(ProfileFile(home.File("cfg/test.cfg")).GetString("Options", "sCmdAnswer", ""), "A0");
    struct stat st {};
    ASSERT_EQ(::stat(GetSettingsPath().c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0077, 0u) << "no password: the usual mode";

    const std::string text = home.Read("vorella.ini");
    EXPECT_EQ(text.rfind("; my settings, hands off\n[Options]\nnRings=6\nmyOwnKey=kept\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("[Elsewhere]\nx=1\n"), std::string::npos);
    const ProfileFile f(GetSettingsPath());
    for (const SettingKey& k : SettingKeys())
        EXPECT_TRUE(f.Find(k.section, k.key).has_value()) << k.key; // defaults too
}

TEST(SettingsStore, DefFileSeedsTheIniOnceAndNeverOverwritesIt) {
    TempHome home;
    home.Write("vorella.def", "[Options]\nnRings=3\n");
    Holders h;
    CModemProfile profile;
    LoadSettings(h.Refs(), profile);
    EXPECT_EQ(h.phone.nRings, 3);
    EXPECT_EQ(home.Read("vorella.ini"), "[Options]\nnRings=3\n");

    home.Write("vorella.ini", "[Options]\nnRings=5\n");
    LoadSettings(h.Refs(), profile);
    EXPECT_EQ(h.phone.nRings, 5);
    EXPECT_EQ(home.Read("vorella.ini"), "[Options]\nnRings=5\n");
}

TEST(SettingsStore, ShippedDefaultsMatchTheKeyTable) {
    // data/vorella.def is generated by "vorella-tool defaults"; regenerate it
    // when this fails after a change to the key table.
    EXPECT_EQ(ReadWholeFile(ShippedDataFolder() + "vorella.def", 1 << 20).value_or(""),
              DefaultSettingsText());

    // Seeded from it, a fresh program folder loads exactly the defaults.
    TempHome home;
    home.CopyShipped("vorella.def");
    Holders fromDef, fromNothing;
    CModemProfile profile;
    LoadSettings(fromDef.Refs(), profile);
    ASSERT_EQ(::unlink(home.File("vorella.ini").c_str()), 0);
    ASSERT_EQ(::unlink(home.File("vorella.def").c_str()), 0);
    LoadSettings(fromNothing.Refs(), profile);
    for (const SettingKey& k : SettingKeys())
        EXPECT_EQ(Text(k, fromDef), Text(k, fromNothing)) << k.key;
}

TEST(SettingsStore, RasWindowsListIsSplitLikeThePinList) {
    TempHome home;
    EXPECT_EQ(ReadRasWindows().size(), 6u) << "the shipped window titles";
    home.Write("vorella.ini", "[Options]\narRASWindows=One;;Two;\n");
    EXPECT_EQ(ReadRasWindows(), (std::vector<std::string>{"One", "", "Two", ""}));
}

TEST(SettingsProvider, AKeyTheStoreLacksReadsAsItsTableDefault) {
    struct Case {
        const char* key;
        std::string want;
    } cases[] = {
        {"m_iVolume", "50"},
        {"bClick", "1"},
        {"dwPopupTimer", "1234"}, // the value of dwInactiveTimer
        {"sWaveGreet", "./wave/greet.wav"},
        {"bUseWindowSchedule", "1"},
        {"PosX", "0"},
    };
    CMemorySettingsProvider settings("[Options]\ndwInactiveTimer=1234\n");
    for (const Case& c : cases) {
        const SettingKey& k = *FindSettingKey(c.key);
        const bool bText = k.Type() == SettingType::Str;
        EXPECT_EQ(bText ? settings.GetString(c.key) : std::to_string(settings.GetInt(c.key)),
                  c.want)
            << c.key;
    }
    EXPECT_THROW(settings.GetInt("nNoSuchKey"), std::invalid_argument);
}

TEST(SettingsProvider, AValueWrittenReadsBackFromTheFileWithTheRestKept) {
    TempHome home;
    home.Write("vorella.ini", "; mine\n[Options]\nUnknown=7\n");
    CFileSettingsProvider writer;
    ASSERT_TRUE(writer.SetInt("PosX", -20));
    ASSERT_TRUE(writer.SetString("sWaveGreet", " my greeting.wav "));

    CFileSettingsProvider reader(home.File("vorella.ini"));
    EXPECT_EQ(reader.GetInt("PosX"), -20);
    EXPECT_EQ(reader.GetString("sWaveGreet"), " my greeting.wav ");
    const std::string text = home.Read("vorella.ini");
    EXPECT_EQ(text.rfind("; mine\n", 0), 0u) << text;
    EXPECT_NE(text.find("Unknown=7"), std::string::npos) << text;

    // The MQTT broker's password keeps the file its owner's only, as the
    // mail password does.
    ASSERT_TRUE(writer.SetString("sPassword", "s3cret"));
    struct stat st {};
    ASSERT_EQ(::stat(home.File("vorella.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SettingsProvider, ASectionOutsideTheTableIsEditedWholeOrNotAtAll) {
    CMemorySettingsProvider settings("[Options]\nnRings=3\n");
    ASSERT_TRUE(settings.Edit([](ProfileFile& ini) {
        ini.WriteString("SIP1", "sUser", "anna");
        return true;
    }));
    EXPECT_EQ(settings.Snapshot().GetString("SIP1", "sUser", ""), "anna");
    EXPECT_EQ(settings.GetInt("nRings"), 3);

    // An edit that fails half-way leaves the store as it was.
    EXPECT_FALSE(settings.Edit([](ProfileFile& ini) {
        ini.WriteString("SIP1", "sUser", "bert");
        return false;
    }));
    EXPECT_EQ(settings.Snapshot().GetString("SIP1", "sUser", ""), "anna");
}

} // namespace
