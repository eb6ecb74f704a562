// What the worker does with the set-up wizard's answer: the settings each
// choice leaves, the caller-ID questions, and the set-up step of the worker
// with a front end that runs the wizard and one that cannot.
#include "engine/SetupSteps.h"

#include "TempHome.h"
#include "calllog/CallLog.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

namespace {

// A front end with a user: the wizard answers with a prepared result, the
// questions with a prepared answer; everything asked is kept.
class WizardUser : public CLoggingUiBridge {
public:
    WizardUser() : CLoggingUiBridge([](const std::string&) {}) {}
    void AskYesNo(int id, bool, std::function<void(bool)> onAnswer) override {
        questions.push_back(id);
        onAnswer(answer);
    }
    void ShowMessage(int id, MessageIcon icon) override {
        messages.push_back(id);
        icons.push_back(icon);
    }
    void RunSetupWizard(const SetupWizardStart& s,
                        std::function<void(const SetupWizardResult&)> onDone) override {
        start = s;
        onDone(result);
    }
    void RestartForNewSettings(int id) override { restarts.push_back(id); }

    SetupWizardResult result;
    bool answer = true;
    std::optional<SetupWizardStart> start;
    std::vector<int> questions, messages, restarts;
    std::vector<MessageIcon> icons;
};

class SetupSteps : public ::testing::Test {
protected:
    void SetUp() override {
        home.CopyShipped("vorella.def");
        home.CopyShipped("modem.ini");
        for (const auto& e : std::filesystem::directory_iterator(ShippedDataFolder() + "cfg"))
            home.CopyShipped("cfg/" + e.path().filename().string());
        phone.LoadAll();
        phone.SetUi(&ui);
        phone.sModem = "Rockwell HCF Compatible";
        phone.Profile().Load(phone.sModem);
        phone.DriverSettings().nComPort = 4;
        phone.nRings = 3;
        phone.nWaitSignals = 0;
        phone.nCIDType = 0;
        phone.DriverSettings().iSilenceDetectionSensitivity = -1;
    }
    SetupWizardResult Serial(int nPort, const std::string& sModem, int nCid = -1) {
        SetupWizardResult r;
        r.bRun = true;
        r.nKind = kKindSerialModem;
        r.nComPort = nPort;
        r.sModem = sModem;
        r.nCidTypeFound = nCid;
        return r;
    }
    void Finish(const SetupWizardResult& r) { ApplySetupFinish(phone, r, ui, 1000); }
    int SavedInt(const char* key) {
        return GetProfileIntFrom(GetSettingsPath(), "Options", key, -99);
    }

    TempHome home;
    WizardUser ui;
    CPhone phone;
};

TEST_F(SetupSteps, EitherUsbDeviceAndTheLineTakeFormattedCallerIdAndPortOne) {
    for (int kind : {kKindUsbAdapter, kKindExtension, kKindTelephonyLine}) {
        SCOPED_TRACE(kind);
        phone.DriverSettings().nComPort = -1;
        phone.nCIDType = 0;
        phone.nWaitSignals = 4;
        phone.nTAPILine = 7;
        phone.sAdapterSoundCard = "hw:CARD=Old";
        phone.sAdapterInput = "";
        SetupWizardResult r;
        r.bRun = true;
        r.nKind = kind;
        r.nTAPILine = 2;
        r.sAdapterSoundCard = "hw:CARD=Adapter";
        r.sAdapterInput = "/dev/input/by-id/usb-Adapter-event-if00";
        Finish(r);
        EXPECT_EQ(phone.nTAPI, 1);
        EXPECT_EQ(phone.fUseHiPhone, kind == kKindUsbAdapter);
        EXPECT_EQ(phone.fUseComvurgent, kind == kKindExtension);
        EXPECT_EQ(phone.DriverSettings().nComPort, 1);
        EXPECT_EQ(phone.nCIDType, 2);
        EXPECT_EQ(phone.nWaitSignals, 0);
        EXPECT_EQ(phone.nTAPILine, kind == kKindUsbAdapter ? 7 : 2)
            << "the adapter has no telephony line to choose";
        // Only the adapter takes its sound card and input device.
        const bool bAdapter = kind == kKindUsbAdapter;
        EXPECT_EQ(phone.sAdapterSoundCard, bAdapter ? r.sAdapterSoundCard : "hw:CARD=Old");
        EXPECT_EQ(phone.sAdapterInput, bAdapter ? r.sAdapterInput : "");
        EXPECT_FALSE(NeedsGsmFramingCheck(phone, r));
    }
}

TEST_F(SetupSteps, ASerialChoiceLoadsItsModemAndTakesWhatDetectionFound) {
    phone.nTAPI = 1;
    phone.fUseHiPhone = true;
    SetupWizardResult r = Serial(5, "LT Win Modem", 2);
    Finish(r);
    EXPECT_EQ(phone.nTAPI, 0);
    EXPECT_FALSE(phone.fUseHiPhone);
    EXPECT_EQ(phone.DriverSettings().nComPort, 5);
    EXPECT_EQ(phone.sModem, "LT Win Modem");
    EXPECT_EQ(phone.Profile().m_sModemName, "LT Win Modem");
    EXPECT_EQ(phone.Profile().m_nModemType, 100);
    EXPECT_EQ(phone.nCIDType, 2);
    EXPECT_EQ(phone.nWaitSignals, 0) << "formatted caller ID comes at the first ring";
    EXPECT_EQ(phone.iToneVolume, 50) << "a soft modem plays tones at half volume";
    EXPECT_EQ(phone.DriverSettings().iSilenceDetectionSensitivity, phone.Profile().iSilenceDefault);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(NeedsGsmFramingCheck(phone, r));
}

TEST_F(SetupSteps, AnEmptyModemChoiceKeepsTheModemAndNoDetectionKeepsTheCallerIdType) {
    phone.nCIDType = 6;
    Finish(Serial(3, ""));
    EXPECT_EQ(phone.sModem, "Rockwell HCF Compatible");
    EXPECT_EQ(phone.Profile().m_nModemType, 30);
    EXPECT_EQ(phone.nCIDType, 6);
    EXPECT_EQ(phone.nWaitSignals, 3) << "caller ID at the second ring needs rings to wait for";
    EXPECT_EQ(phone.iToneVolume, 100);
    phone.nWaitSignals = 5;
    Finish(Serial(3, ""));
    EXPECT_EQ(phone.nWaitSignals, 5) << "a wait already set stays";
}

TEST_F(SetupSteps, CallerIdQuestionsFollowWhatTheModemOffers) {
    // No caller ID found, but the profile has a hardware command: offered.
    Finish(Serial(3, "Rockwell HCF Compatible", 0));
    EXPECT_EQ(ui.questions, std::vector<int>{57687});
    EXPECT_EQ(phone.nCIDType, 1);
    // Hardware caller ID found, but the profile cannot switch it on.
    ui.questions.clear();
    phone.nAction = 2;
    Finish(Serial(3, "ZyXEL Omni 288S", 1));
    EXPECT_EQ(ui.questions, std::vector<int>{57688});
    EXPECT_EQ(phone.nCIDType, 0);
    EXPECT_EQ(phone.nAction, 0);
    // Declined: the type found stays.
    ui.questions.clear();
    ui.answer = false;
    Finish(Serial(3, "ZyXEL Omni 288S", 1));
    EXPECT_EQ(phone.nCIDType, 1);
}

TEST_F(SetupSteps, ACourierGetsItsCallerIdAdviceAndAGsmModemItsFramingCheck) {
    Finish(Serial(3, "U.S.R. Courier V.Everything"));
    EXPECT_EQ(ui.messages, std::vector<int>{57705});
    EXPECT_EQ(ui.icons, std::vector<MessageIcon>{MessageIcon::Information});
    SetupWizardResult r = Serial(3, "3Com / U.S.Robotics 56K Voice", 2);
    Finish(r);
    EXPECT_TRUE(NeedsGsmFramingCheck(phone, r));
    r.bCancelled = true;
    EXPECT_FALSE(NeedsGsmFramingCheck(phone, r));
}

TEST_F(SetupSteps, CancelPutsBackTheProfileOfTheModemInUse) {
    phone.Profile().Load("LT Win Modem");
    phone.Profile().m_nModemType = 0;
    ApplySetupCancel(phone);
    EXPECT_EQ(phone.Profile().m_sModemName, "Rockwell HCF Compatible");
    EXPECT_EQ(phone.Profile().m_nModemType, 30);
    phone.nTAPI = 1;
    phone.Profile().Load("LT Win Modem");
    ApplySetupCancel(phone);
    EXPECT_EQ(phone.Profile().m_sModemName, "LT Win Modem") << "no modem in use, none reloaded";
}

TEST_F(SetupSteps, AFrontEndWithoutAUserReopensTheDeviceAsItStands) {
    CLoggingUiBridge service([](const std::string&) {});
    phone.SetUi(&service);
    CCallLog callLog;
    CMultiThread worker(phone, service, callLog);
    phone.CallState().EngineState().bReconfigure = true;
    EXPECT_FALSE(worker.CheckLine());
    EXPECT_FALSE(phone.CallState().EngineState().bReconfigure);
    EXPECT_FALSE(phone.CallState().EngineState().bPaused);
    EXPECT_NE(SavedInt("nComPort"), 4) << "nothing chosen, nothing saved";
}

class SetupStep : public SetupSteps, public ::testing::WithParamInterface<bool> {};

TEST_P(SetupStep, TheSettingsAreSavedTheChoiceOnlyWhenFinishedAndTheProgramRestarts) {
    const bool bCancelled = GetParam();
    CCallLog callLog;
    CMultiThread worker(phone, ui, callLog);
    ui.result.bRun = true;
    ui.result.bCancelled = bCancelled;
    ui.result.nKind = kKindUsbAdapter;
    phone.CallState().EngineState().bReconfigure = true;
    EXPECT_FALSE(worker.CheckLine());
    // The wizard starts from the device in use.
    ASSERT_TRUE(ui.start);
    EXPECT_EQ(ui.start->nKind, kKindSerialModem);
    EXPECT_EQ(ui.start->nComPort, 4);
    EXPECT_EQ(ui.start->sModem, "Rockwell HCF Compatible");
    EXPECT_EQ(ui.restarts, std::vector<int>{4});
    EXPECT_EQ(SavedInt("fUseHiPhone"), bCancelled ? 0 : 1) << "a cancelled choice is not taken";
    EXPECT_EQ(SavedInt("nComPort"), bCancelled ? 4 : 1);
    EXPECT_EQ(SavedInt("nCIDType"), bCancelled ? 0 : 2);
    // The port stays free for the program that starts next.
    EXPECT_TRUE(phone.CallState().EngineState().bPaused);
}

INSTANTIATE_TEST_SUITE_P(Wizard, SetupStep, ::testing::Bool(), [](const auto& i) {
    return std::string(i.param ? "Cancelled" : "Finished");
});

} // namespace
