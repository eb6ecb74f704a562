// The whole desktop program, run in this process on the offscreen platform
// against the simulated modem, with the user's part played inside the
// program's own event loop: a call that pops up, is recorded from the main
// window and listed there (deleting a call: MainCallListTest); and changes
// made in the options dialog that the next call and the worker obey, kept in
// the settings file.
#include "AudioTestUtil.h"
#include "TempHome.h"

#include "ModemSim.h"
#include "app/App.h"
#include "app/AppState.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "audio/PlaySound.h"
#include "audio/SoundBackend.h"
#include "dialogs/AdapterFields.h"
#include "engine/CallEvents.h"
#include "engine/CallState.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "frontend/QtFrontEnd.h"
#include "main/CallListModel.h"
#include "main/MainDlg.h"
#include "main/MainMenu.h"
#include "options/AdvancedPage.h"
#include "options/DevicePage.h"
#include "options/OptionsTreeDlg.h"
#include "platform/ProfileFile.h"
#include "popup/NotifyDlg.h"
#include "tapi/TapiProviders.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string Digits(const QString& s) {
    std::string out;
    for (QChar c : s)
        if (c.isDigit())
            out += static_cast<char>(c.unicode());
    return out;
}

// The desktop program as the user starts it: the Qt front end with its
// pop-up, and the application whose engine worker the test keeps a pointer
// to once the application has made it.
struct CDesktopUnderTest {
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CStartupEnvironment env{[](const std::string&) {}};
    CEngineWorker* pWorker = nullptr;
    CTapiProviders providers;
    CTarvo32App app{frontEnd, env, [this]() -> std::unique_ptr<IAppWorker> {
                        auto worker =
                            std::make_unique<CEngineWorker>(frontEnd.WorkerBridge(), providers);
                        pWorker = worker.get();
                        return worker;
                    }};
};

class DesktopStory : public ::testing::Test {
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
    // The first check that fails is the story's failure; the rest are skipped.
    bool Check(bool ok, const char* what) {
        if (!ok && failure.empty())
            failure = what;
        return failure.empty();
    }
    bool Wait(const std::function<bool()>& done, const char* what, int ms = 30000) {
        return failure.empty() && Check(QTest::qWaitFor(done, ms), what);
    }
    bool Sent(const std::string& text) const {
        for (const std::string& c : sim->ReceivedCommands())
            if (c.find(text) != std::string::npos)
                return true;
        return false;
    }
    // Runs the program with `options` (lines of [Options]) until the user's
    // part, started once the modem is ready for calls, returns; then exits.
    void Run(const std::string& options, bool bMainWindow, const std::function<void()>& user) {
        home.Write("vorella.ini",
                   "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutQuant=10\n"
                   "dwTimeoutDefault=2000\nbEMailCID=0\nbSoftAGC=0\nnDebugLevel=1\n" +
                       options + "[Sounds]\nsWaveRingIn=\n[Startup]\nShowMainDlg=" +
                       (bMainWindow ? "1" : "0") + "\n[Ports]\nCOM9=" + sim->SlavePath() + "\n");
        QTimer::singleShot(0, [&] {
            if (Wait([&] { return desktop->pWorker && Worker().IsReady() && Sent("CID="); },
                     "the modem was made ready for calls"))
                user();
            desktop->app.Window()->OnCommand(kCmdExit);
        });
        const char* argv[] = {"vorella"};
        EXPECT_EQ(desktop->app.InitInstance(1, argv), 0);
        EXPECT_TRUE(failure.empty()) << "failed: " << failure << "\n" << home.Read("modem.log");
    }
    // Opens the options as the user does; monitoring pauses meanwhile.
    COptionsTreeDlg* OpenOptions() {
        desktop->app.Window()->OnCommand(kCmdOptions);
        if (!Wait([&] { return desktop->frontEnd.OptionsDlg() != nullptr; },
                  "the options opened") ||
            !Check(Worker().CallState().Flags().bPaused,
                   "monitoring paused while the options are open"))
            return nullptr;
        return desktop->frontEnd.OptionsDlg();
    }
    static void Ok(COptionsTreeDlg& dlg) {
        QTest::mouseClick(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }
    CEngineWorker& Worker() { return *desktop->pWorker; }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    std::unique_ptr<CDesktopUnderTest> desktop;
    std::string failure;
};

} // namespace

TEST_F(DesktopStory, TheCallerPopsUpAndTheMainWindowRecordsAndListsTheCall) {
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));
    std::string file, name;
    Run("iPopup=1\n", true, [&] {
        sim->Ring(2, modemsim::RingCadence::Fast());
        CNotifyDlg* popup = desktop->frontEnd.Notifier()->Popup();
        if (!Wait(
                [&] {
                    return popup->isVisible() && popup->FirstLine() == "JOHN DOE" &&
                           Digits(popup->SecondLine()) == "5551234";
                },
                "the pop-up showed the caller's name and number"))
            return;
        CMainDlg& main = *desktop->frontEnd.MainDlg();
        auto click = [&](int nId) {
            QTest::mouseClick(main.Menu()->ToolBar()->widgetForAction(main.Menu()->Action(nId)),
                              Qt::LeftButton);
        };
        click(kCmdRecord);
        // The header is brought up to date every two seconds of sound.
        if (!Wait([&] { return Sent("VRX"); }, "the modem was told to receive voice") ||
            !Wait(
                [&] {
                    file = Worker().CurrentFile();
                    std::error_code ec;
                    return std::filesystem::file_size(file, ec) > 44 + 8000 && !ec;
                },
                "the recording grew"))
            return;
        click(kCmdStopRecording);
        name = file.substr(file.rfind('/') + 1);
        // The finished call shows in the list without anyone asking.
        int row = -1;
        if (!Wait([&] { return sim->WaitForReceiveEnd(0); }, "Stop ended the voice reception") ||
            !Wait(
                [&] {
                    for (int r : main.ShownRows()) {
                        const CallListRow& c = main.Model()->Row(r);
                        if (c.sFile == name && c.sName == "JOHN DOE" && c.sLength != "00:00" &&
                            Digits(QString::fromStdString(c.sNumber)) == "5551234")
                            row = r;
                    }
                    return row >= 0 && !Worker().CallState().Flags().bRecording;
                },
                "the call appeared in the list with caller, number and length"))
            return;
        // The window follows the worker's call events on its own thread: a
        // stored recording brings the call's fields and title back.
        main.setWindowTitle("-");
        Worker().CallEvents()->Publish(RecordingStored{file, 1, false, ""});
        Wait([&] { return main.windowTitle() != "-"; }, "the window followed the event", 10000);
    });
    EXPECT_FALSE(name.empty());
}

// The caller said on the sound card as the caller ID comes, unless the tray
// is in Do Not Disturb.
TEST_F(DesktopStory, TheCallerIsAnnouncedOnTheSoundCardButNotInDoNotDisturb) {
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    CNullSoundBackend& card = *GetNullSoundBackend();
    card.SetSpeed(10);
    Run("iPopup=0\nTTS_bEnable=1\n", false, [&] {
        desktop->app.Window()->OnCommand(kCmdDoNotDisturb);
        sim->Ring(1, modemsim::RingCadence::Fast());
        if (!Wait([&] { return home.Read("modem.log").find("not announced") != std::string::npos; },
                  "the caller was not announced in Do Not Disturb") ||
            !Check(Worker().Thread().CallersAnnounced() == 0, "nothing said in Do Not Disturb"))
            return;
        desktop->app.Window()->OnCommand(kCmdOnline);
        if (!Wait([&] { return Worker().Thread().RingCount() == 0; }, "the rings were forgotten"))
            return;
        const uint64_t before = card.FramesPlayed();
        double loudest = 0;
        sim->Ring(1, modemsim::RingCadence::Fast());
        if (!Wait(
                [&] {
                    loudest = std::max(loudest, Rms(card.RecentlyPlayed()));
                    return Worker().Thread().CallersAnnounced() == 1 && !IsSoundPlaying();
                },
                "the caller was said"))
            return;
        // "Incoming call: Caller is JOHN DOE Telephone number is five five ...",
        // at espeak's 22050 samples/s.
        const double seconds = static_cast<double>(card.FramesPlayed() - before) / 22050;
        Check(seconds > 4 && seconds < 15, "the whole announcement was played");
        Check(loudest > 1000, "the announcement was loud enough to hear");
    });
    card.SetSpeed(1);
}

// "Hang up after" set from nothing to two seconds: the next recording of a
// silent line ends by itself.
TEST_F(DesktopStory, TheNextCallObeysTheSilenceTimeChosenInTheOptions) {
    sim->SetVoiceSource(modemsim::SignalSource().Silence(120000));
    Run("iPopup=0\nbSilenceDetection=0\niSilenceDetectionTimeout=0\n", false, [&] {
        COptionsTreeDlg* dlg = OpenOptions();
        if (!dlg || !Check(dlg->Advanced()->SilenceBox()->value() == 0, "the dialog showed 0 s"))
            return;
        dlg->Advanced()->SilenceBox()->setValue(2);
        Ok(*dlg);
        if (!Wait([&] { return !Worker().CallState().Flags().bPaused && Worker().IsReady(); },
                  "monitoring came back after OK"))
            return;
        sim->Ring(2, modemsim::RingCadence::Fast());
        if (!Wait([&] { return Worker().Thread().RingCount() > 0; }, "the ring was seen"))
            return;
        desktop->app.Window()->OnCommand(kCmdRecord);
        if (Wait([&] { return Sent("VRX"); }, "the modem was told to receive voice"))
            Wait([&] { return Worker().Thread().LastRecordEndedBySilence(); },
                 "the recording ended by itself on the silence", 60000);
    });
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "iSilenceDetectionTimeout", -1), 20);
    EXPECT_EQ(ini.GetInt("Options", "bSilenceDetection", -1), 1);
    EXPECT_EQ(ini.GetInt("Options", "bRecAll", -1), 1);
}

// The USB adapter chosen with the sound layer's card: the worker lets the
// modem go and drives the adapter.
TEST_F(DesktopStory, TheAdapterChosenWithItsCardIsOpenedByTheWorker) {
    Run("iPopup=0\n", false, [&] {
        COptionsTreeDlg* dlg = OpenOptions();
        if (!dlg)
            return;
        dlg->Device()->KindBox()->setCurrentIndex(kKindUsbAdapter);
        QComboBox* cards = dlg->Device()->Adapter()->CardBox();
        cards->setCurrentIndex(cards->findText("Silent capture device"));
        Ok(*dlg);
        Wait(
            [&] {
                ITelephoneDevice& dev = Worker().Phone().Device();
                return !Worker().CallState().Flags().bPaused &&
                       dev.Kind() == DeviceKind::UsbAdapter && dev.IsOpen();
            },
            "the worker opened the adapter after OK");
    });
    const ProfileFile ini(home.File("vorella.ini"));
    EXPECT_EQ(ini.GetInt("Options", "fUseHiPhone", -1), 1);
    EXPECT_EQ(ini.GetString("Options", "sAdapterSoundCard", "?"), "null");
    EXPECT_EQ(ini.GetString("Options", "sAdapterInput", "?"), "");
}
