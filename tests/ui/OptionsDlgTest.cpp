// The options dialog on the offscreen platform: its pages show the values
// it is opened with, OK hands back what the controls hold (and refuses what
// cannot work); it fits the screen; its test buttons reach a real SMTP
// server, a simulated mobile modem and a real MQTT broker; opened through
// the program's core, OK starts the services whose settings changed again.
#include "ChildProcess.h"
#include "FakeAppWorker.h"
#include "HttpClient.h"
#include "MqttBroker.h"
#include "OpenBoxes.h"
#include "TempHome.h"

#include "ModemSim.h"
#include "app/AppState.h"
#include "app/Brand.h"
#include "app/MqttService.h"
#include "app/WebService.h"
#include "audio/LocalPlayer.h"
#include "audio/SoundBackend.h"
#include "config/ModemProfile.h"
#include "config/SettingsProvider.h"
#include "dialogs/AdapterFields.h"
#include "frontend/CoreLoop.h"
#include "frontend/QtFrontEnd.h"
#include "main/FolderTree.h"
#include "options/AdvancedPage.h"
#include "options/DevicePage.h"
#include "options/EmailPage.h"
#include "options/EventsPage.h"
#include "options/GeneralPage.h"
#include "options/OptionsTreeDlg.h"
#include "options/ScreeningPage.h"
#include "options/SoundsPage.h"
#include "options/SpeechPage.h"
#include "options/WebPage.h"
#include "options/WebPasswordDlg.h"
#include "platform/ProfileFile.h"
#include "platform/SerialPorts.h"
#include "web/Password.h"
#include "web/WebSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

// Settings unlike the defaults on every page.
OptionsValues Sample(const TempHome& home) {
    OptionsValues v;
    v.bAutoStart = true;
    v.sDataPath = home.Path();
    v.bStartToTray = true;
    v.bPopup = false;
    v.bCompressWav = true;
    v.bRecordAll = true;
    v.nUnattendedSeconds = 75;
    v.nSilenceSeconds = 8;
    v.nSilenceThreshold = 120;
    v.nCompatStep = 2;
    v.bEmail = true;
    v.nRings = 3;
    v.sRecipient = "me@example.org";
    v.sSmtp = "mail.example.org";
    v.nSmtpPort = 587;
    v.nSmtpSecurity = 1;
    v.nMailRetryHours = 48;
    v.sSmtpUser = "me";
    v.sSmtpPassword = "secret";
    v.sModem = ".Custom";
    v.sAdapterSoundCard = "hw:CARD=Gone"; // in use, unplugged
    v.sAdapterInput = "/dev/input/by-id/usb-Gone-event-if00";
    v.sTalkSoundCard = "null";
    v.bTalkStereo = true;
    v.sWaveGreet = "./wave/greet.wav";
    v.sWaveHold = "./wave/hold.wav";
    v.sWaveWait = "./wave/wait.wav";
    v.sWaveCompressedHold = "./dev/hold";
    v.sCountry = "GB";
    v.nBlackAction = 3;
    v.nWhiteAction = 2;
    v.bScreeningPaused = true;
    v.nRepeatCallerMinutes = 10;
    v.bChallengeUnknown = true;
    v.bEmailContactsOnly = true;
    v.sFileContacts = "./contacts.db";
    v.announce = {true, false, true, true, true, false, 3, "Call", "Name", "Number"};
    v.events.program = {true, "/bin/true", "call.name", true, true, true, false};
    v.events.text = {"+49 170 1234567", 7, "call.name", 3, 20, false, true, "9600,N,8,1"};
    v.events.forward = {3, "+49 171", true};
    v.events.mqtt = {true, "127.0.0.1", 8883, 1, "/ca.crt", "me", "pw", "home/phone", true};
    v.web = {true, "127.0.0.2", 8641, true, "/web/cert.pem", "/web/key.pem", ""};
    return v;
}

QPushButton* OkButton(COptionsTreeDlg& dlg) {
    return dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

class OptionsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        SetAppBrand({"Vorella", "", ""});
    }
    void TearDown() override {
        CloseBoxes();
        SetAppBrand({});
    }
    TempHome home;
    CNullSoundBackend& backend = *GetNullSoundBackend();
};

// Each control shows its value (every value unlike its default): OK hands
// back the changed controls and every other value as it came in.
TEST_F(OptionsDlgTest, PagesShowTheValuesAndOkHandsBackTheControls) {
    const OptionsValues v = Sample(home);
    COptionsTreeDlg dlg(v, backend, nullptr);
    dlg.show();
    EXPECT_TRUE(dlg.windowTitle().contains(QStringLiteral(VORELLA_VERSION)));
    QStringList pages;
    for (int i = 0; i < dlg.PageList()->count(); ++i)
        pages << dlg.PageList()->item(i)->text();
    EXPECT_EQ(pages, (QStringList{"General", "Advanced", "E-Mail", "Telephone Device", "Sounds",
                                  "Screening", "Speech", "Events", "Web Page"}));
    EXPECT_EQ(dlg.Email()->PasswordBox()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.Device()->KindBox()->count(), 4);
    EXPECT_FALSE(dlg.Device()->LineBox()->isEnabled());
    CAdapterFields& adapter = *dlg.Device()->Adapter();
    EXPECT_FALSE(adapter.isEnabled()) << "a modem has no adapter to choose";
    // The hold message is what the enhanced hold plays.
    EXPECT_EQ(dlg.Sounds()->FileBox(CSoundsPage::kHoldMessage)->text(), "./dev/hold");
    // "Test" says a sample caller, as chosen, on the card.
    const uint64_t played = backend.FramesPlayed();
    QTest::mouseClick(dlg.Speech()->TestButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.Speech()->TestNote()->text(), "Name John Doe");
    EXPECT_TRUE(QTest::qWaitFor([&] { return backend.FramesPlayed() > played + 22050; }, 20000));

    OptionsValues expected = v;
    expected.bPopup = true;
    expected.nSilenceSeconds = 0;
    expected.nCompatStep = 0;
    expected.bSmtpDirect = false;
    expected.nRings = 5;
    expected.nMailRetryHours = 72;
    expected.nDeviceKind = kKindUsbAdapter;
    expected.sWaveHold = "/music/hold.wav";
    expected.sTalkSoundCard = "";
    expected.bTalkStereo = false;
    expected.sCountry = "";
    expected.bDropBlackCalls = true;
    expected.sPin = "0815";
    expected.bTollSaver = true;
    expected.bScheduleGreeting = true;
    expected.sScheduleGreeting = "Sat,Sun a.wav";
    expected.events.forward.nFwdMethod = 1;
    expected.events.mqtt.nPort = 1883;
    expected.web.sListenAddress = "0.0.0.0";
    dlg.General()->PopupBox()->setChecked(true);
    dlg.Advanced()->SilenceBox()->setValue(0);
    dlg.Advanced()->CompatSlider()->setValue(0);
    dlg.Email()->DirectBox()->setChecked(false);
    dlg.Email()->RingsBox()->setValue(5);
    dlg.Email()->RetryHoursBox()->setValue(72);
    dlg.Device()->KindBox()->setCurrentIndex(2);
    EXPECT_FALSE(dlg.Device()->TalkCardBox()->isEnabled()) << "only a line talks at the PC";
    // The adapter's choices in use are kept while their devices are away.
    EXPECT_TRUE(adapter.isEnabled());
    EXPECT_TRUE(adapter.InputBox()->currentText().endsWith("not present"));
    EXPECT_THAT(adapter.Note()->text().toStdString(), HasSubstr("reports the ring"));
    dlg.Device()->KindBox()->setCurrentIndex(kKindTelephonyLine);
    EXPECT_TRUE(dlg.Device()->TalkStereoBox()->isEnabled());
    EXPECT_EQ(dlg.Device()->TalkCardBox()->itemText(0), "the desktop's default");
    dlg.Device()->TalkCardBox()->setCurrentIndex(0);
    dlg.Device()->TalkStereoBox()->setChecked(false);
    dlg.Device()->KindBox()->setCurrentIndex(2);
    dlg.Sounds()->FileBox(CSoundsPage::kHoldMusic)->setText("/music/hold.wav");
    dlg.Screening()->CountryBox()->setCurrentIndex(0); // from the locale
    dlg.Screening()->DropBox()->setChecked(true);
    EXPECT_FALSE(dlg.Screening()->BlockedBox()->isEnabled()) << "hung up whatever it says";
    dlg.Sounds()->PinBox()->setText("0815");
    dlg.Sounds()->TollSaverBox()->setChecked(true);
    dlg.Sounds()->ScheduleBox()->setChecked(true);
    dlg.Sounds()->ScheduleText()->setText("Sat,Sun a.wav");
    // On the adapter chosen above the message is forwarded, not the call.
    EXPECT_TRUE(dlg.Events()->ForwardNote()->text().contains("dials"));
    dlg.Events()->ForwardBox()->setCurrentIndex(1);
    dlg.Events()->MqttPortBox()->setValue(1883);
    // Off this computer HTTPS is the default again, and a warning shows.
    dlg.Web()->HttpsBox()->setChecked(false);
    dlg.Web()->AddressBox()->clear();
    QTest::keyClicks(dlg.Web()->AddressBox(), "0.0.0.0");
    EXPECT_TRUE(dlg.Web()->HttpsBox()->isChecked());
    EXPECT_FALSE(dlg.Web()->Warning()->isHidden());
    QTest::mouseClick(OkButton(dlg), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Values(), expected);
    // OK warns of what takes effect later and of what the adapter lacks, and
    // goes on: the adapter may come later.
    EXPECT_THAT(TakeBoxText(),
                AllOf(HasSubstr("from the next start of Vorella"), HasSubstr("hw:CARD=Gone")));
}

// On a 1366x768 laptop's screen the dialog fits with its buttons, and a
// tall page scrolls.
TEST_F(OptionsDlgTest, TheDialogFitsTheScreenAndTallPagesScroll) {
    COptionsTreeDlg dlg(Sample(home), backend, nullptr);
    dlg.show();
    const QRect free = dlg.screen()->availableGeometry();
    ASSERT_EQ(free.size(), QSize(1366, 768));
    EXPECT_TRUE(free.contains(dlg.frameGeometry()));
    QPushButton* ok = OkButton(dlg);
    EXPECT_TRUE(ok->isVisible());
    EXPECT_TRUE(dlg.rect().contains(QRect(ok->mapTo(&dlg, QPoint()), ok->size())));
    dlg.PageList()->setCurrentRow(7);
    ASSERT_EQ(dlg.CurrentPage(), dlg.Events());
    const QScrollBar* bar =
        qobject_cast<QScrollArea*>(dlg.Pages()->currentWidget())->verticalScrollBar();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->isVisible() && bar->maximum() > 0; }, 20000));
    // A label with a shortcut letter has a control to take it to; without
    // one it shows its '&'.
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        if (!Qt::mightBeRichText(label->text()) &&
            label->text().contains(QRegularExpression("&[^& ]"))) {
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        }
}

// "Set password..." stores only the password's hash, at once, and refuses
// what the tool refuses.
TEST_F(OptionsDlgTest, TheWebPasswordIsStoredAsItsHashOnly) {
    COptionsTreeDlg dlg(Sample(home), backend, nullptr);
    dlg.show();
    CWebPage& page = *dlg.Web();
    EXPECT_THAT(page.PasswordNote()->text().toStdString(), HasSubstr("nobody can log in"));
    QTest::mouseClick(page.PasswordButton(), Qt::LeftButton);
    CWebPasswordDlg* typed = page.findChild<CWebPasswordDlg*>();
    ASSERT_NE(typed, nullptr);
    const struct {
        const char* password;
        const char* again;
        const char* told; // "" accepted
    } cases[] = {{"short", "short", "8 to 1024 characters"},
                 {"long enough", "long enougH", "differ"},
                 {"long enough", "long enough", ""}};
    for (const auto& c : cases) {
        typed->PasswordEdit()->setText(c.password);
        typed->AgainEdit()->setText(c.again);
        typed->accept();
        EXPECT_EQ(typed->result() == QDialog::Accepted, *c.told == '\0') << c.told;
        EXPECT_THAT(typed->ProblemLabel()->text().toStdString(), HasSubstr(c.told));
    }
    const std::string hash = ReadWebSettings().sPasswordHash;
    EXPECT_TRUE(CheckWebPassword("long enough", hash));
    EXPECT_EQ(home.Read("vorella.ini").find("long enough"), std::string::npos);
    EXPECT_THAT(page.PasswordNote()->text().toStdString(), HasSubstr("is set"));
    dlg.accept();
    EXPECT_EQ(dlg.Values().web.sPasswordHash, hash);
}

TEST_F(OptionsDlgTest, TheThresholdStoredIsTheOneTheSliderShows) {
    for (int nShown : {-1, 0, 250}) {
        OptionsValues v = Sample(home);
        v.nSilenceThreshold = nShown;
        COptionsTreeDlg dlg(v, backend, nullptr);
        const int nSlider = dlg.Advanced()->ThresholdSlider()->value();
        dlg.accept();
        EXPECT_EQ(dlg.Values().nSilenceThreshold, nSlider) << nShown;
    }
}

TEST_F(OptionsDlgTest, PortsListTheirDevicesAndAPortGoneMeanwhileRefusesOk) {
    home.Write("ttyFake", "");
    ASSERT_TRUE(SetComPortDevice(5, home.File("ttyFake")));
    ASSERT_TRUE(SetComPortDevice(6, home.File("ttyAway")));
    OptionsValues v = Sample(home);
    v.nComPort = 6; // in use, unplugged: still shown, and OK is not refused for it
    COptionsTreeDlg dlg(v, backend, nullptr);
    dlg.show();
    QComboBox* ports = dlg.Device()->PortBox();
    const int present = ports->findData(5);
    ASSERT_GE(present, 0);
    EXPECT_EQ(ports->itemText(present).toStdString(), "COM5 (" + home.File("ttyFake") + ")");
    EXPECT_TRUE(ports->currentText().endsWith("not present")) << ports->currentText().toStdString();
    ports->setCurrentIndex(present);
    std::filesystem::remove(home.File("ttyFake"));
    QTest::mouseClick(OkButton(dlg), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_THAT(TakeBoxText(), HasSubstr("COM5"));
    ports->setCurrentIndex(ports->findData(6));
    QTest::mouseClick(OkButton(dlg), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Values().nComPort, 6);
}

TEST_F(OptionsDlgTest, SoundsPlayHereAndAMissingFileIsTold) {
    backend.SetSpeed(20);
    home.CopyShipped("wave/greet.wav");
    COptionsTreeDlg dlg(Sample(home), backend, nullptr);
    dlg.show();
    CSoundsPage& sounds = *dlg.Sounds();
    QTest::mouseClick(sounds.PlayButton(CSoundsPage::kGreeting), Qt::LeftButton);
    EXPECT_EQ(sounds.Player().FileName(), home.File("wave/greet.wav"));
    EXPECT_TRUE(sounds.Player().IsPlaying() || sounds.Player().IsAtEnd());
    QTest::mouseClick(sounds.StopButton(CSoundsPage::kGreeting), Qt::LeftButton);
    EXPECT_FALSE(sounds.Player().IsPlaying());
    QSignalSpy failed(&sounds, &CSoundsPage::playFailed);
    QTest::mouseClick(sounds.PlayButton(CSoundsPage::kHoldMusic), Qt::LeftButton);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().contains("hold.wav"));
}

TEST_F(OptionsDlgTest, TestMessageReachesARealServerOrShowsItsRefusal) {
    const std::string inbox = home.File("inbox");
    std::filesystem::create_directories(inbox);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox, "--mode", "plain"});
    OptionsValues v = Sample(home);
    v.sSmtp = "127.0.0.1";
    v.nSmtpPort = server.Port();
    v.nSmtpSecurity = 0;
    v.sSmtpUser.clear();
    v.sSmtpPassword.clear();
    COptionsTreeDlg dlg(v, backend, nullptr);
    dlg.show();
    CEmailPage& mail = *dlg.Email();
    QSignalSpy done(&mail, &CEmailPage::testFinished);
    QTest::mouseClick(mail.TestButton(), Qt::LeftButton);
    EXPECT_FALSE(mail.TestButton()->isEnabled()) << "the test runs off the UI thread";
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 1; }, 60000));
    EXPECT_TRUE(done.at(0).at(0).toBool()) << done.at(0).at(1).toString().toStdString();
    EXPECT_TRUE(mail.TestButton()->isEnabled());
    EXPECT_NE(TakeBoxText(), "");
    const std::string message = home.Read("inbox/msg1.eml");
    EXPECT_NE(message.find("This is a test notification."), std::string::npos) << message;

    mail.AddressBox()->setText("nobody@refused.example");
    QTest::mouseClick(mail.TestButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 2; }, 60000));
    EXPECT_FALSE(done.at(1).at(0).toBool());
    EXPECT_THAT(done.at(1).at(1).toString().toStdString(), HasSubstr("550"));
}

// Through the program's core: the configuration command, a scripted worker.
class OptionsCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
        LoadSettingsFrom(ProfileFile(home.File("none.ini")),
                         {worker.phone, worker.driver, worker.global, worker.worker},
                         CModemProfile{});
        std::string error;
        ASSERT_EQ(window.Create(&error), CControlService::StartResult::Serving) << error;
        window.AttachWorker(worker);
        frontEnd.AttachWindow(&window);
    }
    void TearDown() override {
        CloseBoxes();
        unsetenv("XDG_CONFIG_HOME");
    }

    TempHome home;
    FakeAppWorker worker;
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CBasicWindow window{frontEnd};
    CCoreLoop loop{window};
};

// Opened before the main window the dialog is modal and names the program.
// The MQTT service and the web page read their settings at start: the
// dialog shows what each failed at last, and OK with new settings starts
// them again with these.
TEST_F(OptionsCoreTest, OkWithNewMqttAndWebSettingsStartsThemAgain) {
    MqttBroker broker(home.File(""));
    ASSERT_TRUE(broker.Start()) << broker.Log();
    CCallEventPublisher events;
    worker.pEvents = &events;
    CMqttService mqtt(window.Control().Server(), window, [](const std::string&) {});
    SettingsProvider().SetInt("MQTT/bEnable", 1);
    mqtt.Start(SettingsProvider(), &events); // no broker set
    window.AttachMqtt(&mqtt);
    SettingsProvider().SetInt("Web/bEnable", 1);
    SettingsProvider().SetInt("Web/nHttps", 0);
    SettingsProvider().SetString("Web/sListenAddress", "192.0.2.1"); // not this computer's
    CWebService web(window, [](const std::string&) {});
    EXPECT_FALSE(web.Start());
    window.AttachWeb(&web);
    frontEnd.Command(kCmdOptions);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frontEnd.OptionsDlg() != nullptr; }, 20000));
    COptionsTreeDlg& dlg = *frontEnd.OptionsDlg();
    EXPECT_TRUE(dlg.isModal());
    EXPECT_EQ(dlg.parentWidget(), nullptr);
    EXPECT_TRUE(dlg.windowTitle().startsWith("Vorella Options")) << "no brand file";
    EXPECT_THAT(dlg.Events()->Note()->text().toStdString(), HasSubstr("no broker is set"));
    EXPECT_THAT(dlg.Web()->Note()->text().toStdString(), HasSubstr("192.0.2.1"));
    dlg.Events()->MqttHostBox()->setText("127.0.0.1");
    dlg.Events()->MqttPortBox()->setValue(broker.Port());
    const int nPort = FreePort();
    dlg.Web()->AddressBox()->setText("127.0.0.1");
    dlg.Web()->PortBox()->setValue(nPort);
    QTest::mouseClick(OkButton(dlg), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return broker.Log().find("New client connected") != std::string::npos; }, 20000))
        << broker.Log();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return HttpRequestTo(static_cast<uint16_t>(nPort), "GET", "/").nStatus != 0; },
        20000))
        << web.LastProblem();
    EXPECT_NE(frontEnd.MainDlg(), nullptr);
    window.AttachMqtt(nullptr);
    window.AttachWeb(nullptr);
}

TEST_F(OptionsCoreTest, ANewDataFolderShowsInTheMainWindowsTree) {
    frontEnd.ShowMainWindow(true);
    const std::string folder = home.File("elsewhere");
    home.Write("elsewhere/Recorded Calls/Family/index.dat", "");
    // The worker has saved the new path when the window hears of it.
    ASSERT_TRUE(WriteProfileStringTo(home.File("vorella.ini"), "Options", "sPath", folder));
    frontEnd.DataPathChanged(folder);
    CFolderTree* tree = frontEnd.MainDlg()->Tree();
    EXPECT_EQ(tree->Root(), folder + "/Recorded Calls/");
    EXPECT_EQ(tree->SelectedFolder(), folder + "/Recorded Calls/");
    // The old call folder stays, its calls a click away.
    const std::vector<std::string> shown = tree->Folders();
    for (const std::string& want :
         {home.File("Recorded Calls/"), folder + "/Recorded Calls/Family/"})
        EXPECT_NE(std::find(shown.begin(), shown.end(), want), shown.end()) << want;
    // Chosen again, it is not there twice.
    frontEnd.DataPathChanged(folder);
    EXPECT_EQ(tree->Roots().size(), 2u);
}

} // namespace

// "Send test message" sends the sample caller as the page stands, and shows
// what became of it: sent, or the modem's refusal.
TEST_F(OptionsDlgTest, EventsPageSendsATestMessageAndShowsWhatBecameOfIt) {
    modemsim::ModemSim mobile(modemsim::ModemSimOptions::For("gsm"));
    ASSERT_TRUE(mobile.Start());
    ASSERT_TRUE(SetComPortDevice(7, mobile.SlavePath()));
    COptionsTreeDlg dlg(Sample(home), backend, nullptr);
    QLabel& note = *dlg.Events()->Note();
    for (const char* told : {"sent to +491701234567", "+CMS ERROR: 500"}) {
        QTest::mouseClick(dlg.Events()->TestMessageButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return note.text().contains(told); }, 20000))
            << note.text().toStdString();
        mobile.RefuseMessages(500);
    }
    ASSERT_EQ(mobile.SentMessages().size(), 1u);
    EXPECT_EQ(mobile.SentMessages()[0].text, "John Doe");
}

// "Send test event" publishes with the settings as typed, or shows why not.
TEST_F(OptionsDlgTest, EventsPageSendsATestEventOrShowsTheBrokersRefusal) {
    const ProgramRun made = RunProgram(
        {"/usr/bin/mosquitto_passwd", "-b", "-c", home.File("passwords"), "vorella", "s3cret"});
    ASSERT_EQ(made.nExit, 0) << made.err;
    // The subscriber comes without a login; a wrong password is refused.
    MqttBroker broker(home.File(""),
                      "password_file " + home.File("passwords") + "\nallow_anonymous true\n");
    ASSERT_TRUE(broker.Start()) << broker.Log();
    MqttSubscriber heard(broker.Port(), "options-test");
    OptionsValues v = Sample(home);
    v.events.mqtt = {false,     "127.0.0.1", broker.Port(), 0,    "",
                     "vorella", "s3cret",    "house/",      false};
    COptionsTreeDlg dlg(v, backend, nullptr);
    CEventsPage& page = *dlg.Events();
    for (const char* told : {"was sent to house/event", "refused the login"}) {
        QTest::mouseClick(page.TestEventButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return page.Note()->text().contains(told); }, 20000))
            << page.Note()->text().toStdString();
        page.MqttPasswordBox()->setText("guess");
    }
    ASSERT_TRUE(heard.Sync());
    ASSERT_EQ(heard.On("house/event").size(), 1u);
    EXPECT_NE(heard.On("house/event")[0].find("\"event_type\":\"test\""), std::string::npos);
}
