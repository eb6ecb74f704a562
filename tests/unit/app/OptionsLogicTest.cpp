// The options dialog's values against a copy of the settings: what opening
// shows, what OK writes back, and the checks of what was typed.
#include "TempHome.h"

#include "app/OptionsLogic.h"
#include "audio/SoundBackend.h"
#include "config/ModemProfile.h"
#include "config/SettingsProvider.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPorts.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

class OptionsLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The shipped defaults, as a first start has them.
        LoadSettingsFrom(ProfileFile(home.File("none.ini")), Refs(), CModemProfile{});
    }
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }
    // Every key as it would be written, by name; a key no holder keeps as
    // "Section/key", as stored.
    std::map<std::string, std::string> Texts() {
        std::map<std::string, std::string> texts;
        for (const SettingKey& k : SettingKeys())
            texts[k.key] = SettingText(k, Refs());
        for (const SettingKey& k : StandaloneSettingKeys()) {
            const std::string name = std::string(k.section) + "/" + k.key;
            const bool bNumber = k.Type() == SettingType::Int || k.Type() == SettingType::Bool;
            texts[name] = bNumber ? std::to_string(SettingsProvider().GetInt(name.c_str()))
                                  : SettingsProvider().GetString(name.c_str());
        }
        return texts;
    }
    // The keys OK changes, as "key: old -> new".
    std::vector<std::string> ChangedBy(const OptionsValues& v, OptionsOutcome* pOut = nullptr) {
        const auto before = Texts();
        const OptionsOutcome out = ApplyOptions(v, Refs());
        if (pOut)
            *pOut = out;
        std::vector<std::string> keys;
        for (const auto& [key, text] : Texts())
            if (before.at(key) != text)
                keys.push_back(key + ": " + before.at(key) + " -> " + text);
        return keys;
    }

    TempHome home;
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
};

// OK with nothing touched changes only what the dialog always sets. Then
// each choice on a page: the keys it writes and nothing else, what OK tells
// beyond them, and the dialog opening again with the choice as it was made.
TEST_F(OptionsLogicTest, OkWritesOnlyTheKeysOfEachChoiceAndOpensAsChosen) {
    struct Row {
        const char* name;
        std::function<void(OptionsValues&)> choose;
        std::vector<std::string> changed;
        const char* told = ""; // the outcome's flags
    } rows[] = {
        {"tray", [](auto& v) { v.bStartToTray = true; }, {"ShowMainDlg: 1 -> 0"}},
        {"no pop-up", [](auto& v) { v.bPopup = false; }, {"iPopup: 1 -> 0"}},
        {"compressed", [](auto& v) { v.bCompressWav = true; }, {"bCompressWav: 0 -> 1"}},
        {"folder", [](auto& v) { v.sDataPath = "/c"; }, {"sPath:  -> /c"}, "data path"},
        {"record all follows the handset",
         [](auto& v) { v.bRecordAll = true; },
         {"bHandsetStart: 0 -> 1", "bHandsetStop: 0 -> 1"}},
        {"unattended seconds in ms",
         [](auto& v) { v.nUnattendedSeconds = 90; },
         {"dwInactiveTimer: 60000 -> 90000"}},
        {"no silence time switches detection off",
         [](auto& v) { v.nSilenceSeconds = 0; },
         {"bSilenceDetection: 1 -> 0", "iSilenceDetectionTimeout: 50 -> 0"}},
        {"threshold",
         [](auto& v) { v.nSilenceThreshold = 120; },
         {"iSilenceDetectionSensitivity: 50 -> 120"}},
        {"most compatible step traces",
         [](auto& v) { v.nCompatStep = 0; },
         {"bCompat: 0 -> 1", "nDebugLevel: 0 -> 1"}},
        {"compatible step", [](auto& v) { v.nCompatStep = 1; }, {"bCompat: 0 -> 1"}},
        {"mail by outbox",
         [](auto& v) { v.bEmail = true, v.bSmtpDirect = false; },
         {"bEMailCID: 0 -> 1"}},
        {"mail direct", [](auto& v) { v.bEmail = true; }, {"bEMailCID: 0 -> 2"}},
        {"mail server",
         [](auto& v) {
             v.nRings = 3, v.sRecipient = "me@x.org", v.sSmtp = "mail.x.org", v.nSmtpPort = 587;
             v.nSmtpSecurity = 1, v.sSmtpUser = "me", v.sSmtpPassword = "pw";
         },
         {"m_nSmtpPort: 25 -> 587", "m_nSmtpSecurity: 0 -> 1", "m_sRecipsAdderss:  -> me@x.org",
          "m_sSmtp:  -> mail.x.org", "m_sSmtpPassword:  -> pw", "m_sSmtpUser:  -> me",
          "nRings: 1 -> 3"}},
        {"mail retry", [](auto& v) { v.nMailRetryHours = 72; }, {"nMailRetryHours: 24 -> 72"}},
        {"port", [](auto& v) { v.nComPort = 3; }, {"nComPort: -1 -> 3"}},
        {"modem", [](auto& v) { v.sModem = "USR"; }, {"sModem: .Custom -> USR"}},
        {"line device", [](auto& v) { v.nDeviceKind = 1; }, {"nTAPI: 0 -> 1"}, "device kind"},
        {"USB adapter",
         [](auto& v) { v.nDeviceKind = kKindUsbAdapter; },
         {"fUseHiPhone: 0 -> 1", "nTAPI: 0 -> 2"},
         "device kind"},
        {"extension",
         [](auto& v) { v.nDeviceKind = kKindExtension; },
         {"fUseComvurgent: 0 -> 1", "nTAPI: 0 -> 3"},
         "device kind, beep"},
        {"adapter's choices kept for a modem",
         [](auto& v) { v.sAdapterSoundCard = "null", v.sAdapterInput = "/dev/input/event7"; },
         {"sAdapterInput:  -> /dev/input/event7", "sAdapterSoundCard:  -> null"}},
        {"talk at the PC",
         [](auto& v) { v.sTalkSoundCard = "null", v.bTalkStereo = true; },
         {"bTalkStereo: 0 -> 1", "sTalkSoundCard:  -> null"}},
        {"sounds",
         [](auto& v) {
             v.sWaveGreet = "/g", v.sWaveHold = "/h", v.sWaveWait = "/w",
             v.sWaveCompressedHold = "/c", v.bScheduleGreeting = true;
             v.sScheduleGreeting = "* o.wav";
         },
         {"bScheduleGreeting: 0 -> 1", "sScheduleGreeting:  -> * o.wav",
          "sWaveCompressedHold: ./dev/hold -> /c", "sWaveGreet: ./wave/greet.wav -> /g",
          "sWaveHold: ./wave/hold.wav -> /h", "sWaveWait: ./wave/wait.wav -> /w"}},
        {"screening",
         [](auto& v) {
             v.sCountry = "DE", v.nBlackAction = 2, v.bDropBlackCalls = true, v.nWhiteAction = 1;
             v.bScreeningPaused = true, v.nRepeatCallerMinutes = 5, v.bChallengeUnknown = true;
             v.bEmailContactsOnly = true, v.sFileContacts = "/c.db";
         },
         {"Options/bScreeningPaused: 0 -> 1", "bChallengeUnknown: 0 -> 1",
          "bDropBlackCalls: 0 -> 1", "bEmailContactsOnly: 0 -> 1", "nBlackAction: 0 -> 2",
          "nRepeatCallerMinutes: 0 -> 5", "nWhiteAction: 0 -> 1", "sCountry:  -> DE",
          "sFileContacts: " + home.File("minidb.dat") + " -> /c.db"}},
        {"speech",
         [](auto& v) { v.announce.bEnable = v.announce.bOnlyName = true, v.announce.nTimes = 2; },
         {"TTS_bEnable: 0 -> 1", "TTS_bOnlyName: 0 -> 1", "TTS_times: 1 -> 2"}},
        {"remote access",
         [](auto& v) { v.sPin = "0815", v.sMorePins = "1234;5678", v.bTollSaver = true; },
         {"bTollSaver: 0 -> 1", "sPin:  -> 0815", "strPinArray:  -> 1234;5678"}},
        {"call program",
         [](auto& v) { v.events.program.bRunProg = v.events.program.bRunNotAnsw = true; },
         {"bRunNotAnsw: 0 -> 1", "bRunProg: 0 -> 1"}},
        {"text messages",
         [](auto& v) {
             v.events.text.sPhone = "+49 170", v.events.text.nPort = 4;
             v.events.text.bUnattended = false, v.events.text.nRetries = 3;
         },
         {"bUnattendedPage: 1 -> 0", "m_PagerPhone:  -> +49 170", "m_PagerPort: -1 -> 4",
          "m_PagerRetries: 1 -> 3"}},
        {"forwarding",
         [](auto& v) {
             v.events.forward = {2, "+49 170", true};
         },
         {"bFwdBlack: 0 -> 1", "nFwdMethod: 0 -> 2", "sFwdPhone:  -> +49 170"}},
        {"MQTT starts again",
         [](auto& v) {
             v.events.mqtt.bEnable = v.events.mqtt.bCommands = true, v.events.mqtt.nPort = 8883;
             v.events.mqtt.sHost = "broker", v.events.mqtt.sPassword = "pw";
         },
         {"MQTT/bCommands: 0 -> 1", "MQTT/bEnable: 0 -> 1", "MQTT/nPort: 1883 -> 8883",
          "MQTT/sHost:  -> broker", "MQTT/sPassword:  -> pw"},
         "mqtt"},
    };
    phone.bRecAll = false;
    driver.iSilenceDetectionTimeout = 55; // 5.5 s shows as 5 s
    // bRecAll is set on every OK; the silence time-out is whole seconds and
    // switches silence detection on; the threshold is the slider's, which
    // shows the detector's own when none was chosen; nothing else moves.
    EXPECT_EQ(ChangedBy(FillOptions(Refs())),
              (std::vector<std::string>{"bRecAll: 0 -> 1", "bSilenceDetection: 0 -> 1",
                                        "iSilenceDetectionSensitivity: -1 -> 50",
                                        "iSilenceDetectionTimeout: 55 -> 50"}));
    // Cancel is the values filled and never applied: filling touches nothing.
    const auto before = Texts();
    FillOptions(Refs());
    EXPECT_EQ(Texts(), before);
    const CPhoneSettings p0 = phone;
    const CDriverSettings d0 = driver;
    const CGlobalSettings g0 = global;
    const CWorkerSettings w0 = worker;
    for (const Row& r : rows) {
        phone = p0, driver = d0, global = g0, worker = w0;
        ASSERT_TRUE(MqttSettings{}.Write(SettingsProvider()));
        SettingsProvider().SetInt("bScreeningPaused", 0);
        OptionsValues v = FillOptions(Refs());
        r.choose(v);
        OptionsOutcome out;
        EXPECT_EQ(ChangedBy(v, &out), r.changed) << r.name;
        std::string told;
        for (auto [bSet, what] : {std::pair{out.bDataPathChanged, "data path"},
                                  {out.bDeviceKindChanged, "device kind"},
                                  {out.bAdapterChanged, "adapter"},
                                  {out.bKindBeep, "beep"},
                                  {out.bMqttChanged, "mqtt"}})
            if (bSet)
                told += (told.empty() ? "" : ", ") + std::string(what);
        EXPECT_EQ(told, std::string(r.told)) << r.name;
        EXPECT_EQ(FillOptions(Refs()), v) << r.name;
    }
}

TEST_F(OptionsLogicTest, SettingsNoChoiceMadeOpenAsTheNearestChoiceAndSurviveOk) {
    // Any trace level shows the most compatible step (the steps chosen open
    // as chosen above).
    EXPECT_EQ(CompatStepFor(true, 3), 0);
    EXPECT_EQ(CompatStepFor(false, 1), 0);
    // An adapter flag from an older file shows as the adapter.
    phone.fUseHiPhone = true;
    EXPECT_EQ(FillOptions(Refs()).nDeviceKind, kKindUsbAdapter);
    // A pop-up mode other than 1 survives an OK that leaves the box ticked.
    phone.iPopup = 2;
    ApplyOptions(FillOptions(Refs()), Refs());
    EXPECT_EQ(phone.iPopup, 2);
}

TEST_F(OptionsLogicTest, WithNoModemProfileChosenTheOneInUseStaysAndIsToldOf) {
    phone.sModem = "Conexant HSF";
    OptionsValues v = FillOptions(Refs());
    const OptionsValues before = v;
    v.sModem.clear();
    const OptionsCheck check = CheckOptions(v, before);
    EXPECT_TRUE(check.errors.empty());
    ASSERT_EQ(check.warnings.size(), 1u);
    EXPECT_NE(check.warnings[0].find("Conexant HSF"), std::string::npos);
    ApplyOptions(v, Refs());
    EXPECT_EQ(phone.sModem, "Conexant HSF");
}

TEST_F(OptionsLogicTest, TheAdapterInUseOnANewCardOrInputIsMadeAnew) {
    phone.fUseHiPhone = true;
    phone.sAdapterSoundCard = "hw:CARD=Old";
    OptionsValues v = FillOptions(Refs());
    EXPECT_FALSE(ApplyOptions(v, Refs()).bAdapterChanged) << "nothing changed";
    v.sAdapterSoundCard = "null";
    const OptionsOutcome out = ApplyOptions(v, Refs());
    EXPECT_TRUE(out.bAdapterChanged);
    EXPECT_FALSE(out.bDeviceKindChanged);
    v.sAdapterInput = "/dev/input/event7";
    EXPECT_TRUE(ApplyOptions(v, Refs()).bAdapterChanged);
}

// OK refuses what cannot work and warns of what may come later or takes
// effect later; what the dialog opened with is not held against the user.
TEST_F(OptionsLogicTest, ChecksRefuseWhatCannotWorkAndWarnOfTheRestOnlyWhenChanged) {
    CNullSoundBackend backend; // lists the card "null"
    const OptionsValues before = FillOptions(Refs());
    ASSERT_TRUE(SetComPortDevice(7, home.File("ttyGone")));
    ASSERT_TRUE(SetComPortDevice(8, "/dev/null"));
    home.Write("locked/x", "");
    ASSERT_EQ(chmod(home.File("locked").c_str(), 0500), 0);
    struct Row {
        const char* name;
        std::function<void(OptionsValues&)> choose;
        std::string error;        // "" none
        std::string warning = ""; // "" none
    } rows[] = {
        {"port whose device is gone", [](auto& v) { v.nComPort = 7; },
         "COM7 (" + home.File("ttyGone") + ")"},
        {"port in no table row", [](auto& v) { v.nComPort = 9; }, "COM9"},
        {"port whose device is there", [](auto& v) { v.nComPort = 8; }, ""},
        {"missing folder", [&](auto& v) { v.sDataPath = home.File("missing"); }, "does not exist"},
        {"folder not writable", [&](auto& v) { v.sDataPath = home.File("locked"); },
         geteuid() != 0 ? "cannot read and write" : ""}, // root writes anywhere
        {"usable folder", [&](auto& v) { v.sDataPath = home.Path(); }, ""},
        {"short PIN", [](auto& v) { v.sPin = "815"; }, "at least 4 digits"},
        {"short PIN in the list", [](auto& v) { v.sMorePins = "1234;99"; }, "at least 4 digits"},
        {"PINs", [](auto& v) { v.sPin = "0815", v.sMorePins = "1234"; }, ""},
        {"malformed schedule", [](auto& v) { v.sScheduleGreeting = "Mon-Fry a.wav"; },
         "column 5: expected a day"},
        {"schedule", [](auto& v) { v.sScheduleGreeting = "Sat,Sun 22:00-06:00 a.wav"; }, ""},
        {"web page on a name",
         [](auto& v) { v.web.bEnable = true, v.web.sListenAddress = "my-pc"; }, "an IP address"},
        {"new contacts file", [](auto& v) { v.sFileContacts = "other.db"; }, "", "next start"},
        // The adapter may come later: its choices are told of, not refused.
        {"adapter on a card that is there",
         [](auto& v) { v.nDeviceKind = kKindUsbAdapter, v.sAdapterSoundCard = "null"; }, ""},
        {"adapter with no card", [](auto& v) { v.nDeviceKind = kKindUsbAdapter; }, "",
         "No sound card"},
        {"adapter's card gone",
         [](auto& v) { v.nDeviceKind = kKindUsbAdapter, v.sAdapterSoundCard = "hw:CARD=Gone"; }, "",
         "hw:CARD=Gone is not there"},
        {"adapter's input gone",
         [&](auto& v) {
             v.nDeviceKind = kKindUsbAdapter, v.sAdapterSoundCard = "null";
             v.sAdapterInput = home.File("event-gone");
         },
         "", home.File("event-gone") + " is not there"},
        {"adapter's card gone on a modem", [](auto& v) { v.sAdapterSoundCard = "hw:CARD=Gone"; },
         ""},
        {"card to talk through gone", [](auto& v) { v.sTalkSoundCard = "hw:CARD=Headset"; }, "",
         "hw:CARD=Headset for talking"},
        {"card to talk through there", [](auto& v) { v.sTalkSoundCard = "null"; }, ""},
    };
    for (const Row& r : rows) {
        OptionsValues v = before;
        r.choose(v);
        const OptionsCheck check = CheckOptions(v, before, &backend);
        for (const auto& [told, want] :
             {std::pair{&check.errors, &r.error}, std::pair{&check.warnings, &r.warning}}) {
            ASSERT_EQ(told->size(), want->empty() ? 0u : 1u) << r.name;
            if (!want->empty()) {
                EXPECT_NE(told->at(0).find(*want), std::string::npos) << told->at(0);
            }
        }
        const OptionsCheck again = CheckOptions(v, v, &backend);
        EXPECT_TRUE(again.errors.empty() && again.warnings.empty()) << r.name;
    }
    chmod(home.File("locked").c_str(), 0700);
}

} // namespace
