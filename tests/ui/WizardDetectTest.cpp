// The set-up wizard against the simulated modem on a pseudo-terminal: the
// serial page's detection suggests each family's profile and finds its
// caller ID, and the whole set-up step of the worker, from the wizard to the
// saved settings and the restart, with the GSM framing check of a GSM modem.
#include "wizard/MyPropertySheet.h"

#include "app/SetupWizardLogic.h"

#include "ModemSim.h"
#include "OpenBoxes.h"
#include "TempHome.h"
#include "calllog/CallLog.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "frontend/QueuedUiBridge.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPorts.h"
#include "platform/Strings.h"
#include "wizard/SerialPage.h"
#include "wizard/WizardPages.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kPort = 5;

// Whether a program holds the port, locked as a modem program locks it.
bool PortHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool bHeld = fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0)
        ::close(fd);
    return bHeld;
}

// The desktop program's side of the worker's bridge, as far as the set-up
// goes: it runs the real wizard and keeps what it is told.
class WizardFrontEnd : public CLoggingUiBridge {
public:
    WizardFrontEnd() : CLoggingUiBridge([](const std::string&) {}) {}
    void RunSetupWizard(const SetupWizardStart& start,
                        std::function<void(const SetupWizardResult&)> onDone) override {
        sheet = new CMyPropertySheet(start, *pDetectionBridge);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        CMyPropertySheet* s = sheet;
        QObject::connect(s, &QDialog::finished, s, [s, onDone](int) { onDone(s->Result()); });
        sheet->show();
    }
    void RestartForNewSettings(int id) override { restarts.push_back(id); }
    void SetStatusText(const std::string& text) override { statuses.push_back(text); }
    bool Said(int id) const {
        return std::find(statuses.begin(), statuses.end(), LoadStr(id)) != statuses.end();
    }

    IUiBridge* pDetectionBridge = this;
    QPointer<CMyPropertySheet> sheet;
    std::vector<int> restarts;
    std::vector<std::string> statuses;
};

class WizardOnSimulatedModem : public ::testing::Test {
protected:
    void SetUp() override {
        home.CopyShipped("vorella.def");
        home.CopyShipped("modem.ini");
        for (const auto& e : std::filesystem::directory_iterator(ShippedDataFolder() + "cfg"))
            home.CopyShipped("cfg/" + e.path().filename().string());
    }
    void TearDown() override {
        if (frontEnd.sheet)
            delete frontEnd.sheet.data();
        CloseBoxes();
        worker.reset();
        phone.reset();
    }
    modemsim::ModemSim& StartSim(const std::string& personality) {
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For(personality);
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        EXPECT_TRUE(sim->Start(&error)) << error;
        EXPECT_TRUE(SetComPortDevice(kPort, sim->SlavePath()));
        return *sim;
    }
    // Walks from the welcome page to the serial page and waits for the
    // detection there to end.
    CMyPropertyPage2* DetectOnSerialPage(CMyPropertySheet& sheet) {
        sheet.next();
        sheet.next();
        sheet.AccessPage()->SetKind(kKindSerialModem);
        sheet.next();
        CMyPropertyPage2* page = sheet.SerialPage();
        EXPECT_EQ(sheet.currentId(), kPageSerial);
        EXPECT_TRUE(page->IsDetecting());
        EXPECT_FALSE(page->isComplete()) << "Next waits for the detection";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !page->IsDetecting(); }, 60000));
        return page;
    }
    SetupWizardStart Start() const {
        SetupWizardStart s;
        s.nKind = kKindSerialModem;
        s.nComPort = kPort;
        s.sModem = ".Custom";
        return s;
    }

    TempHome home;
    WizardFrontEnd frontEnd;
    std::unique_ptr<modemsim::ModemSim> sim;
    CCallLog callLog;
    std::unique_ptr<CPhone> phone;
    std::unique_ptr<CMultiThread> worker;
};

// Each family's model and caller-ID type: the driver's detection test; here
// the page shows a suggestion with its caller ID, one without, and none.
struct FamilyCase {
    const char* personality;
    const char* model; // "" no suggestion
    int nCidType;
};

class WizardDetectsFamily : public WizardOnSimulatedModem,
                            public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(WizardDetectsFamily, SuggestsItsProfileAndCallerId) {
    const FamilyCase& c = GetParam();
    StartSim(c.personality);
    CMyPropertySheet sheet(Start(), frontEnd);
    sheet.show();
    CMyPropertyPage2* page = DetectOnSerialPage(sheet);
    EXPECT_TRUE(page->isComplete());
    EXPECT_EQ(page->ComPort(), kPort);
    if (c.model[0]) {
        EXPECT_EQ(page->Modem(), c.model);
        EXPECT_EQ(page->CidTypeFound(), c.nCidType);
    } else {
        EXPECT_EQ(page->Modem(), ".Custom") << "no suggestion keeps the modem of the settings";
        EXPECT_EQ(page->CidTypeFound(), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(Families, WizardDetectsFamily,
                         ::testing::Values(FamilyCase{"v253", "LT Win Modem", 2},
                                           FamilyCase{"zyxel", "ZyXEL Omni 288S", 0},
                                           FamilyCase{"hash", "", -1}),
                         [](const auto& info) { return std::string(info.param.personality); });

TEST_F(WizardOnSimulatedModem, CancellingTheDetectionLetsTheUserChoose) {
    auto& modem = StartSim("v253");
    modem.SetMisbehaviour(modemsim::Misbehaviour::Silent);
    CMyPropertySheet sheet(Start(), frontEnd);
    sheet.show();
    sheet.next();
    sheet.next();
    sheet.next();
    CMyPropertyPage2* page = sheet.SerialPage();
    ASSERT_TRUE(page->IsDetecting());
    ASSERT_TRUE(QTest::qWaitFor([&] { return PortHeld(sim->SlavePath()); }, 30000));
    QTest::mouseClick(page->CancelDetectionButton(), Qt::LeftButton);
    EXPECT_FALSE(page->IsDetecting());
    EXPECT_TRUE(page->isComplete());
    EXPECT_TRUE(page->ModemList()->isEnabled());
    // The detection's thread lets the modem go once its command has timed
    // out; the test waits for that rather than end under the thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !PortHeld(sim->SlavePath()); }, 30000));
}

TEST_F(WizardOnSimulatedModem, APortHeldByAnotherProgramIsNamedOnTheSerialPage) {
    StartSim("v253");
    // Another program has the port, locked as a modem program locks it.
    const int fd = ::open(sim->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    CMyPropertySheet sheet(Start(), frontEnd);
    sheet.show();
    CMyPropertyPage2* page = DetectOnSerialPage(sheet);
    const QString status = page->DetectionLabel()->text();
    EXPECT_TRUE(status.contains(QString::fromStdString(sim->SlavePath() + " is in use by ")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QString("(pid %1)").arg(::getpid()))) << status.toStdString();
    EXPECT_TRUE(page->isComplete()) << "the user can still choose by hand";
    ::close(fd);
}

class WorkerSetup : public WizardOnSimulatedModem {
protected:
    // The phone as the program has it, on a modem not yet chosen, and the
    // worker starting with the set-up step.
    void StartWorker() {
        phone = std::make_unique<CPhone>();
        phone->LoadAll();
        phone->SetUi(&queued);
        phone->sModem = ".Custom";
        phone->Profile().Load(".Custom");
        phone->DriverSettings().nComPort = kPort;
        phone->DriverSettings().dwTimeoutDefault = 2000;
        phone->nCIDType = 0;
        phone->nWaitSignals = 0;
        phone->nRings = 2;
        phone->dwBaudRate = 115200;
        frontEnd.pDetectionBridge = &queued;
        worker = std::make_unique<CMultiThread>(*phone, queued, callLog);
        worker->SetSaveOnExit(false);
        phone->CallState().EngineState().bReconfigure = true;
        ASSERT_TRUE(worker->Start());
        worker->SignalStart();
        ASSERT_TRUE(QTest::qWaitFor([&] { return frontEnd.sheet != nullptr; }, 30000))
            << "the worker asked for the wizard";
    }
    std::string Saved(const char* key) const {
        return GetProfileStringFrom(GetSettingsPath(), "Options", key, "");
    }

    CQueuedUiBridge queued{frontEnd};
};

// Finish saves what the detection found and restarts; a GSM modem gets its
// framing checked on the line first. (Cancel is the worker's own test.)
TEST_F(WorkerSetup, FinishSavesTheDetectedModemAfterItsGsmFramingCheckAndRestarts) {
    auto& modem = StartSim("usr");
    modem.SetVoiceFormat({128, 8000});
    StartWorker();
    CMyPropertySheet& sheet = *frontEnd.sheet;
    DetectOnSerialPage(sheet);
    EXPECT_EQ(sheet.SerialPage()->Modem(), "3Com / U.S.Robotics 56K Voice");
    sheet.next();
    sheet.accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frontEnd.restarts.empty(); }, 60000));
    EXPECT_EQ(frontEnd.restarts, std::vector<int>{4});
    EXPECT_TRUE(frontEnd.Said(57860));
    EXPECT_TRUE(frontEnd.Said(57861)) << "this modem frames its GSM data";
    EXPECT_EQ(phone->Profile().nCompressionFrameGSM, 1);
    EXPECT_EQ(phone->Profile().nCompressionUnFrameGSM, 1);
    EXPECT_EQ(Saved("sModem"), "3Com / U.S.Robotics 56K Voice");
    EXPECT_EQ(Saved("nComPort"), std::to_string(kPort));
    EXPECT_EQ(Saved("nCIDType"), "2") << "the caller ID the modem offers";
    EXPECT_EQ(Saved("nWaitSignals"), "0");
    EXPECT_EQ(Saved("nTAPI"), "0");
    EXPECT_TRUE(phone->CallState().EngineState().bPaused)
        << "the port is left for the program that starts next";
}

} // namespace
