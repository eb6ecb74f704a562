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

#include <gtest/gtest.h>

namespace {

bool SentCommand(const modemsim::ModemSim& sim, const std::string& text) {
    for (const std::string& c : sim.ReceivedCommands())
        if (c.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(OptionsStory, TheNextCallObeysTheSilenceTimeChosenInTheOptions) {
    ResetAppState();
    TempHome home;
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
        home.CopyShipped(f);
    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
    o.logFile = home.File("sim.log");
    modemsim::ModemSim sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    home.Write("vorella.ini", "[Options]\nnComPort=9\nbStartDisabled=0\nnDebugLevel=1\n"
                              "dwTimeoutQuant=10\ndwTimeoutDefault=2000\niPopup=0\nbSoftAGC=0\n"
                              "bEMailCID=0\nbSilenceDetection=0\niSilenceDetectionTimeout=0\n"
                              "[Sounds]\nsWaveRingIn=\n[Startup]\nShowMainDlg=0\n"
                              "[Ports]\nCOM9=" +
                                  sim.SlavePath() + "\n");
    sim.SetVoiceSource(modemsim::SignalSource().Silence(120000));

    CDesktopUnderTest desktop;
    CQtFrontEnd& frontEnd = desktop.frontEnd;
    CTarvo32App& app = desktop.app;
    CEngineWorker*& pWorker = desktop.pWorker;

    std::string failure;
    QTimer::singleShot(0, [&] {
        auto step = [&](bool ok, const char* what) {
            if (!ok && failure.empty())
                failure = what;
            return ok;
        };
        CBasicWindow& window = *app.Window();
        [&] {
            if (!step(QTest::qWaitFor([&] { return SentCommand(sim, "CID="); }, 30000),
                      "the modem was made ready for calls"))
                return;
            window.OnCommand(kCmdOptions);
            if (!step(QTest::qWaitFor([&] { return frontEnd.OptionsDlg() != nullptr; }, 30000),
                      "the options opened"))
                return;
            if (!step(pWorker->CallState().Flags().bPaused,
                      "monitoring paused while the options are open"))
                return;
            COptionsTreeDlg& dlg = *frontEnd.OptionsDlg();
            if (!step(dlg.Advanced()->SilenceBox()->value() == 0, "the dialog showed 0 seconds"))
                return;
            dlg.Advanced()->SilenceBox()->setValue(2);
            QTest::mouseClick(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            if (!step(
                    QTest::qWaitFor(
                        [&] { return !pWorker->CallState().Flags().bPaused && pWorker->IsReady(); },
                        30000),
                    "monitoring came back after OK"))
                return;
            sim.Ring(2, modemsim::RingCadence::Fast());
            if (!step(QTest::qWaitFor([&] { return pWorker->Thread().RingCount() > 0; }, 30000),
                      "the ring was seen"))
                return;
            window.OnCommand(kCmdRecord);
            if (!step(QTest::qWaitFor([&] { return SentCommand(sim, "VRX"); }, 30000),
                      "the modem was told to receive voice"))
                return;
            if (!step(QTest::qWaitFor([&] { return pWorker->Thread().LastRecordEndedBySilence(); },
                                      60000),
                      "the recording ended by itself on the silence"))
                return;
        }();
        window.OnCommand(kCmdExit);
    });
    const char* argv[] = {"vorella"};
    EXPECT_EQ(app.InitInstance(1, argv), 0);
    EXPECT_TRUE(failure.empty()) << "failed: " << failure << "\n" << home.Read("modem.log");
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "iSilenceDetectionTimeout", -1), 20);
    EXPECT_EQ(ini.GetInt("Options", "bSilenceDetection", -1), 1);
    EXPECT_EQ(ini.GetInt("Options", "bRecAll", -1), 1);
    unsetenv("XDG_CONFIG_HOME");
    ResetAppState();
}

// The USB adapter chosen in the options, with the sound layer's card: the
// worker lets the modem go and drives the adapter, and the settings file
// holds the choice.
TEST(OptionsStory, TheAdapterChosenWithItsCardIsOpenedByTheWorker) {
    ResetAppState();
    TempHome home;
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
        home.CopyShipped(f);
    modemsim::ModemSim sim(modemsim::ModemSimOptions::For("hash"));
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    home.Write("vorella.ini", "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutQuant=10\n"
                              "dwTimeoutDefault=2000\niPopup=0\nbEMailCID=0\n"
                              "[Sounds]\nsWaveRingIn=\n[Startup]\nShowMainDlg=0\n"
                              "[Ports]\nCOM9=" +
                                  sim.SlavePath() + "\n");

    CDesktopUnderTest desktop;
    CQtFrontEnd& frontEnd = desktop.frontEnd;
    CTarvo32App& app = desktop.app;
    CEngineWorker*& pWorker = desktop.pWorker;

    std::string failure;
    QTimer::singleShot(0, [&] {
        auto step = [&](bool ok, const char* what) {
            if (!ok && failure.empty())
                failure = what;
            return ok;
        };
        CBasicWindow& window = *app.Window();
        [&] {
            if (!step(QTest::qWaitFor([&] { return pWorker && pWorker->IsReady(); }, 30000),
                      "the modem was made ready for calls"))
                return;
            window.OnCommand(kCmdOptions);
            if (!step(QTest::qWaitFor([&] { return frontEnd.OptionsDlg() != nullptr; }, 30000),
                      "the options opened"))
                return;
            COptionsTreeDlg& dlg = *frontEnd.OptionsDlg();
            dlg.Device()->KindBox()->setCurrentIndex(kKindUsbAdapter);
            QComboBox* cards = dlg.Device()->Adapter()->CardBox();
            cards->setCurrentIndex(cards->findText("Silent capture device"));
            QTest::mouseClick(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            step(QTest::qWaitFor(
                     [&] {
                         ITelephoneDevice& dev = pWorker->Phone().Device();
                         return !pWorker->CallState().Flags().bPaused &&
                                dev.Kind() == DeviceKind::UsbAdapter && dev.IsOpen();
                     },
                     30000),
                 "the worker opened the adapter after OK");
        }();
        window.OnCommand(kCmdExit);
    });
    const char* argv[] = {"vorella"};
    EXPECT_EQ(app.InitInstance(1, argv), 0);
    EXPECT_TRUE(failure.empty()) << "failed: " << failure << "\n" << home.Read("modem.log");
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "fUseHiPhone", -1), 1);
    EXPECT_EQ(ini.GetString("Options", "sAdapterSoundCard", "?"), "null");
    EXPECT_EQ(ini.GetString("Options", "sAdapterInput", "?"), "");
    unsetenv("XDG_CONFIG_HOME");
    ResetAppState();
}
