// A change made in the options dialog is obeyed by the next call: the
// desktop program runs on the simulated modem, the user sets "Hang up after"
// from nothing to two seconds, and the next recording of a silent line ends
// by itself; the settings file holds the change. A device chosen there is
// the one the worker drives.
#include "DesktopUnderTest.h"
#include "TempHome.h"

#include "ModemSim.h"
#include "app/App.h"
#include "app/AppState.h"
#include "app/BasicWindow.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "dialogs/AdapterFields.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "frontend/QtFrontEnd.h"
#include "options/AdvancedPage.h"
#include "options/DevicePage.h"
#include "options/OptionsTreeDlg.h"
#include "platform/ProfileFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

bool SentCommand(const modemsim::ModemSim& sim, const std::string& text) {
    for (const std::string& c : sim.ReceivedCommands())
        if (c.find(text) != std::string::npos)
            return true;
    return false;
}

// The desktop program on the simulated modem at COM9, with the given
// settings besides; Run drives it until the script returns and exits.
class OptionsStory : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        desktop = std::make_unique<CDesktopUnderTest>();
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        ResetAppState();
    }
    using Step = std::function<bool(bool ok, const char* what)>;
    // Runs the program on `options` (lines of [Options]); the script says
    // what failed through its step function. The options dialog is open
    // when the script starts.
    void Run(const std::string& options,
             const std::function<void(COptionsTreeDlg&, Step)>& script) {
        home.Write("vorella.ini", "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutQuant=10\n"
                                  "dwTimeoutDefault=2000\niPopup=0\nbEMailCID=0\n" +
                                      options +
                                      "[Sounds]\nsWaveRingIn=\n[Startup]\nShowMainDlg=0\n" +
                                      "[Ports]\nCOM9=" + sim->SlavePath() + "\n");
        std::string failure;
        QTimer::singleShot(0, [&] {
            Step step = [&](bool ok, const char* what) {
                if (!ok && failure.empty())
                    failure = what;
                return ok;
            };
            CBasicWindow& window = *desktop->app.Window();
            if (step(QTest::qWaitFor(
                         [&] {
                             return desktop->pWorker && Worker().IsReady() &&
                                    SentCommand(*sim, "CID=");
                         },
                         30000),
                     "the modem was made ready for calls")) {
                window.OnCommand(kCmdOptions);
                if (step(QTest::qWaitFor([&] { return desktop->frontEnd.OptionsDlg() != nullptr; },
                                         30000),
                         "the options opened") &&
                    step(Worker().CallState().Flags().bPaused,
                         "monitoring paused while the options are open"))
                    script(*desktop->frontEnd.OptionsDlg(), step);
            }
            window.OnCommand(kCmdExit);
        });
        const char* argv[] = {"vorella"};
        EXPECT_EQ(desktop->app.InitInstance(1, argv), 0);
        EXPECT_TRUE(failure.empty()) << "failed: " << failure << "\n" << home.Read("modem.log");
    }
    CEngineWorker& Worker() { return *desktop->pWorker; }
    static void Ok(COptionsTreeDlg& dlg) {
        QTest::mouseClick(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    std::unique_ptr<CDesktopUnderTest> desktop;
};

} // namespace

TEST_F(OptionsStory, TheNextCallObeysTheSilenceTimeChosenInTheOptions) {
    sim->SetVoiceSource(modemsim::SignalSource().Silence(120000));
    Run("nDebugLevel=1\nbSoftAGC=0\nbSilenceDetection=0\niSilenceDetectionTimeout=0\n",
        [&](COptionsTreeDlg& dlg, const Step& step) {
            if (!step(dlg.Advanced()->SilenceBox()->value() == 0, "the dialog showed 0 seconds"))
                return;
            dlg.Advanced()->SilenceBox()->setValue(2);
            Ok(dlg);
            if (!step(
                    QTest::qWaitFor(
                        [&] { return !Worker().CallState().Flags().bPaused && Worker().IsReady(); },
                        30000),
                    "monitoring came back after OK"))
                return;
            sim->Ring(2, modemsim::RingCadence::Fast());
            if (!step(QTest::qWaitFor([&] { return Worker().Thread().RingCount() > 0; }, 30000),
                      "the ring was seen"))
                return;
            desktop->app.Window()->OnCommand(kCmdRecord);
            if (step(QTest::qWaitFor([&] { return SentCommand(*sim, "VRX"); }, 30000),
                     "the modem was told to receive voice"))
                step(QTest::qWaitFor([&] { return Worker().Thread().LastRecordEndedBySilence(); },
                                     60000),
                     "the recording ended by itself on the silence");
        });
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "iSilenceDetectionTimeout", -1), 20);
    EXPECT_EQ(ini.GetInt("Options", "bSilenceDetection", -1), 1);
    EXPECT_EQ(ini.GetInt("Options", "bRecAll", -1), 1);
}

// The USB adapter chosen in the options, with the sound layer's card: the
// worker lets the modem go and drives the adapter, and the settings file
// holds the choice.
TEST_F(OptionsStory, TheAdapterChosenWithItsCardIsOpenedByTheWorker) {
    Run("", [&](COptionsTreeDlg& dlg, const Step& step) {
        dlg.Device()->KindBox()->setCurrentIndex(kKindUsbAdapter);
        QComboBox* cards = dlg.Device()->Adapter()->CardBox();
        cards->setCurrentIndex(cards->findText("Silent capture device"));
        Ok(dlg);
        step(QTest::qWaitFor(
                 [&] {
                     ITelephoneDevice& dev = Worker().Phone().Device();
                     return !Worker().CallState().Flags().bPaused &&
                            dev.Kind() == DeviceKind::UsbAdapter && dev.IsOpen();
                 },
                 30000),
             "the worker opened the adapter after OK");
    });
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "fUseHiPhone", -1), 1);
    EXPECT_EQ(ini.GetString("Options", "sAdapterSoundCard", "?"), "null");
    EXPECT_EQ(ini.GetString("Options", "sAdapterInput", "?"), "");
}
