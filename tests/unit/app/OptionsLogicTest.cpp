// The options dialog's values against a copy of the settings: what opening
// shows, what OK writes back, and the checks of what was typed.
#include "TempHome.h"

#include "app/OptionsLogic.h"
#include "audio/SoundBackend.h"
#include "config/ModemProfile.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPorts.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

struct Holders {
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }

    // Every key as it would be written, by name.
    std::map<std::string, std::string> Texts() {
        std::map<std::string, std::string> texts;
        for (const SettingKey& k : SettingKeys())
            texts[k.key] = SettingText(k, Refs());
        return texts;
    }
};

class OptionsLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The shipped defaults, as a first start has them.
        LoadSettingsFrom(ProfileFile(home.File("none.ini")), h.Refs(), CModemProfile{});
    }
    TempHome home;
    Holders h;
};

// The keys that differ between two sets of settings.
std::vector<std::string> Changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
    std::vector<std::string> keys;
    for (const auto& [key, text] : before)
        if (after.at(key) != text)
            keys.push_back(key + ": " + text + " -> " + after.at(key));
    return keys;
}

TEST_F(OptionsLogicTest, OkWithNothingTouchedChangesOnlyWhatTheDialogAlwaysSets) {
    h.phone.bRecAll = false;
    h.driver.iSilenceDetectionTimeout = 55; // 5.5 s shows as 5 s
    h.driver.bSilenceDetection = false;
    const auto before = h.Texts();
    ApplyOptions(FillOptions(h.Refs()), h.Refs());
    // bRecAll is set on every OK; the silence time-out is whole seconds and
    // switches silence detection on; the threshold is the slider's, which
    // shows the detector's own when none was chosen; nothing else moves.
    EXPECT_EQ(Changed(before, h.Texts()),
              (std::vector<std::string>{"bRecAll: 0 -> 1", "bSilenceDetection: 0 -> 1",
                                        "iSilenceDetectionSensitivity: -1 -> 50",
                                        "iSilenceDetectionTimeout: 55 -> 50"}));
}

TEST_F(OptionsLogicTest, CancelLeavesEverySettingAsItWas) {
    // Cancel is the values filled and edited but never applied: filling
    // must not touch the settings.
    const auto before = h.Texts();
    OptionsValues v = FillOptions(h.Refs());
    v.nRings = 9;
    v.sModem = "Other";
    EXPECT_EQ(Changed(before, h.Texts()), std::vector<std::string>{});
}

TEST_F(OptionsLogicTest, EmptyProfileKeepsTheModemAndIsToldAsAWarning) {
    h.phone.sModem = "Conexant HSF";
    OptionsValues v = FillOptions(h.Refs());
    const OptionsValues before = v;
    v.sModem.clear();
    const OptionsCheck check = CheckOptions(v, before);
    EXPECT_TRUE(check.errors.empty());
    ASSERT_EQ(check.warnings.size(), 1u);
    EXPECT_NE(check.warnings[0].find("Conexant HSF"), std::string::npos);
    ApplyOptions(v, h.Refs());
    EXPECT_EQ(h.phone.sModem, "Conexant HSF");
    v.sModem = "U.S. Robotics 56K Voice";
    ApplyOptions(v, h.Refs());
    EXPECT_EQ(h.phone.sModem, "U.S. Robotics 56K Voice");
}

TEST_F(OptionsLogicTest, SilenceAndUnattendedTimesScaleAndZeroSilenceSwitchesDetectionOff) {
    OptionsValues v = FillOptions(h.Refs());
    EXPECT_EQ(v.nUnattendedSeconds, 60);
    v.nUnattendedSeconds = 90;
    v.nSilenceSeconds = 7;
    ApplyOptions(v, h.Refs());
    EXPECT_EQ(h.driver.dwInactiveTimer, 90000);
    EXPECT_EQ(h.driver.iSilenceDetectionTimeout, 70);
    EXPECT_TRUE(h.driver.bSilenceDetection);
    v.nSilenceSeconds = 0;
    ApplyOptions(v, h.Refs());
    EXPECT_EQ(h.driver.iSilenceDetectionTimeout, 0);
    EXPECT_FALSE(h.driver.bSilenceDetection);
}

TEST_F(OptionsLogicTest, OkAlwaysSetsRecordAllAndTheCheckBoxDrivesHandsetRecording) {
    OptionsValues v = FillOptions(h.Refs());
    for (bool bOn : {true, false}) {
        h.phone.bRecAll = false;
        v.bRecordAll = bOn;
        ApplyOptions(v, h.Refs());
        EXPECT_TRUE(h.phone.bRecAll);
        EXPECT_EQ(h.phone.bHandsetStart, bOn);
        EXPECT_EQ(h.phone.bHandsetStop, bOn);
        EXPECT_EQ(FillOptions(h.Refs()).bRecordAll, bOn);
    }
}

TEST_F(OptionsLogicTest, CompatibilityStepMapsBothWays) {
    struct Row {
        bool bCompat;
        int nDebugLevel;
        int step;
    };
    // Opening: any trace level shows step 0.
    for (Row r : {Row{true, 3, 0}, Row{false, 1, 0}, Row{true, 0, 1}, Row{false, 0, 2}})
        EXPECT_EQ(CompatStepFor(r.bCompat, r.nDebugLevel), r.step);
    // OK: each step gives its pair, which opens at the same step again.
    for (Row r : {Row{true, 1, 0}, Row{true, 0, 1}, Row{false, 0, 2}}) {
        OptionsValues v = FillOptions(h.Refs());
        v.nCompatStep = r.step;
        ApplyOptions(v, h.Refs());
        EXPECT_EQ(h.driver.bCompat, r.bCompat) << r.step;
        EXPECT_EQ(h.phone.nDebugLevel, r.nDebugLevel) << r.step;
        EXPECT_EQ(FillOptions(h.Refs()).nCompatStep, r.step);
    }
}

TEST_F(OptionsLogicTest, EmailChoiceGivesTheThreeValuesAndBack) {
    OptionsValues v = FillOptions(h.Refs());
    struct Row {
        bool bEmail, bDirect;
        int value;
    };
    for (Row r : {Row{false, true, 0}, Row{true, false, 1}, Row{true, true, 2}}) {
        v.bEmail = r.bEmail;
        v.bSmtpDirect = r.bDirect;
        ApplyOptions(v, h.Refs());
        EXPECT_EQ(h.phone.bEMailCID, r.value);
        const OptionsValues shown = FillOptions(h.Refs());
        EXPECT_EQ(shown.bEmail, r.bEmail);
        if (r.bEmail) {
            EXPECT_EQ(shown.bSmtpDirect, r.bDirect);
        }
    }
    // How long a notice is retried goes as it was chosen, and comes back.
    EXPECT_EQ(v.nMailRetryHours, 24);
    v.nMailRetryHours = 72;
    ApplyOptions(v, h.Refs());
    EXPECT_EQ(h.phone.nMailRetryHours, 72);
    EXPECT_EQ(FillOptions(h.Refs()).nMailRetryHours, 72);
}

TEST_F(OptionsLogicTest, DeviceKindSetsTheAdapterFlagsAndOpensAsItWasChosen) {
    OptionsValues v = FillOptions(h.Refs());
    struct Row {
        int kind;
        bool bHiPhone, bComvurgent;
    };
    for (Row r :
         {Row{2, true, false}, Row{3, false, true}, Row{1, false, false}, Row{0, false, false}}) {
        v.nDeviceKind = r.kind;
        const OptionsOutcome out = ApplyOptions(v, h.Refs());
        EXPECT_EQ(h.phone.nTAPI, r.kind);
        EXPECT_EQ(h.phone.fUseHiPhone, r.bHiPhone);
        EXPECT_EQ(h.phone.fUseComvurgent, r.bComvurgent);
        EXPECT_EQ(out.bKindBeep, r.kind == 3);
        EXPECT_EQ(FillOptions(h.Refs()).nDeviceKind, r.kind);
    }
    // An adapter flag from an older file shows as the adapter.
    h.phone.nTAPI = 0;
    h.phone.fUseHiPhone = true;
    EXPECT_EQ(FillOptions(h.Refs()).nDeviceKind, kKindUsbAdapter);
}

TEST_F(OptionsLogicTest, TheAdaptersChoicesRoundTripAndAChangeRemakesItsDevice) {
    h.phone.fUseHiPhone = true;
    h.phone.sAdapterSoundCard = "hw:CARD=Old";
    OptionsValues v = FillOptions(h.Refs());
    EXPECT_EQ(v.sAdapterSoundCard, "hw:CARD=Old");
    EXPECT_FALSE(ApplyOptions(v, h.Refs()).bAdapterChanged) << "nothing changed";
    v.sAdapterSoundCard = "null";
    v.sAdapterInput = "/dev/input/event7";
    const OptionsOutcome out = ApplyOptions(v, h.Refs());
    EXPECT_TRUE(out.bAdapterChanged) << "the adapter in use is opened anew on its new card";
    EXPECT_FALSE(out.bDeviceKindChanged);
    EXPECT_EQ(h.phone.sAdapterSoundCard, "null");
    EXPECT_EQ(h.phone.sAdapterInput, "/dev/input/event7");
    EXPECT_EQ(FillOptions(h.Refs()), v);
}

TEST_F(OptionsLogicTest, TheAdaptersChoicesAreCheckedWhenTheAdapterIsChosenOrTheyChange) {
    CNullSoundBackend backend; // lists the card "null"
    OptionsValues before = FillOptions(h.Refs());
    OptionsValues v = before;
    v.nDeviceKind = kKindUsbAdapter;
    v.sAdapterSoundCard = "null";
    EXPECT_TRUE(CheckOptions(v, before, &backend).warnings.empty()) << "a card that is there";

    v.sAdapterSoundCard = "";
    v.sAdapterInput = home.File("event-gone");
    OptionsCheck check = CheckOptions(v, before, &backend);
    EXPECT_TRUE(check.errors.empty()) << "the adapter may come later: OK goes on";
    ASSERT_EQ(check.warnings.size(), 2u);
    EXPECT_NE(check.warnings[0].find("No sound card"), std::string::npos) << check.warnings[0];
    EXPECT_NE(check.warnings[1].find(v.sAdapterInput + " is not there"), std::string::npos)
        << check.warnings[1];

    v.sAdapterSoundCard = "hw:CARD=Gone";
    v.sAdapterInput = "";
    check = CheckOptions(v, before, &backend);
    ASSERT_EQ(check.warnings.size(), 1u);
    EXPECT_NE(check.warnings[0].find("hw:CARD=Gone is not there"), std::string::npos);
    // Kept as it was, it is not told again; nor for another device kind.
    EXPECT_TRUE(CheckOptions(v, v, &backend).warnings.empty());
    v.nDeviceKind = kKindSerialModem;
    EXPECT_TRUE(CheckOptions(v, before, &backend).warnings.empty());
}

TEST_F(OptionsLogicTest, GeneralPageAndSoundsRoundTrip) {
    OptionsValues v = FillOptions(h.Refs());
    EXPECT_FALSE(v.bStartToTray); // ShowMainDlg 1
    v.bStartToTray = true;
    v.bPopup = false;
    v.sDataPath = "/srv/calls";
    v.sWaveGreet = "/home/me/greet.wav";
    v.sWaveHold = "/home/me/music.wav";
    v.sWaveWait = "/home/me/wait.wav";
    const OptionsOutcome out = ApplyOptions(v, h.Refs());
    EXPECT_TRUE(out.bDataPathChanged);
    EXPECT_EQ(h.global.ShowMainDlg, 0);
    EXPECT_EQ(h.phone.iPopup, 0);
    EXPECT_EQ(h.worker.sPath, "/srv/calls");
    EXPECT_EQ(h.phone.sWaveGreet, "/home/me/greet.wav");
    EXPECT_EQ(h.phone.sWaveHold, "/home/me/music.wav");
    EXPECT_EQ(h.phone.sWaveWait, "/home/me/wait.wav");
    EXPECT_EQ(h.phone.sWaveCompressedHold, "./dev/hold");
    EXPECT_EQ(FillOptions(h.Refs()), v);
    // A pop-up mode other than 1 survives an OK that leaves the box ticked.
    h.phone.iPopup = 2;
    ApplyOptions(FillOptions(h.Refs()), h.Refs());
    EXPECT_EQ(h.phone.iPopup, 2);
}

TEST_F(OptionsLogicTest, ChecksRefuseAMissingPortDeviceAndAnUnusableFolderOnlyWhenChanged) {
    const OptionsValues before = FillOptions(h.Refs());
    ASSERT_TRUE(SetComPortDevice(7, home.File("ttyGone")));
    ASSERT_TRUE(SetComPortDevice(8, "/dev/null"));

    OptionsValues v = before;
    v.nComPort = 7;
    OptionsCheck check = CheckOptions(v, before);
    ASSERT_EQ(check.errors.size(), 1u);
    EXPECT_NE(check.errors[0].find("COM7 (" + home.File("ttyGone") + ")"), std::string::npos);
    v.nComPort = 9; // in no table row
    EXPECT_EQ(CheckOptions(v, before).errors.size(), 1u);
    v.nComPort = 8;
    EXPECT_TRUE(CheckOptions(v, before).errors.empty());
    // The port in use when the dialog opened is not held against the user.
    EXPECT_TRUE(CheckOptions(before, before).errors.empty());
    OptionsValues unplugged = before;
    unplugged.nComPort = 7;
    EXPECT_TRUE(CheckOptions(unplugged, unplugged).errors.empty());

    v = before;
    v.sDataPath = home.File("missing");
    check = CheckOptions(v, before);
    ASSERT_EQ(check.errors.size(), 1u);
    EXPECT_NE(check.errors[0].find("does not exist"), std::string::npos);
    home.Write("locked/x", "");
    ASSERT_EQ(chmod(home.File("locked").c_str(), 0500), 0);
    v.sDataPath = home.File("locked");
    check = CheckOptions(v, before);
    chmod(home.File("locked").c_str(), 0700);
    if (geteuid() != 0) { // root writes anywhere
        ASSERT_EQ(check.errors.size(), 1u);
        EXPECT_NE(check.errors[0].find("cannot read and write"), std::string::npos);
    }
    v.sDataPath = home.Path();
    EXPECT_TRUE(CheckOptions(v, before).errors.empty());
}

} // namespace
