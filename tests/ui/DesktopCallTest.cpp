// A whole call through the desktop program, run in this process on the
// offscreen platform against the simulated modem: the ring brings up the
// pop-up with the caller's name and number, the main window's record button
// records and its stop button ends it, the call appears in the main
// window's list with caller, number and length, and deleting it there
// takes its index line and its file away.
#include "DesktopUnderTest.h"
#include "TempHome.h"

#include "ModemSim.h"
#include "app/App.h"
#include "app/AppState.h"
#include "app/BasicWindow.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "engine/CallEvents.h"
#include "engine/CallState.h"
#include "frontend/QtFrontEnd.h"
#include "main/CallListModel.h"
#include "main/MainDlg.h"
#include "main/MainMenu.h"
#include "platform/FileUtil.h"
#include "popup/NotifyDlg.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

bool SentCommand(const modemsim::ModemSim& sim, const std::string& text) {
    for (const std::string& c : sim.ReceivedCommands())
        if (c.find(text) != std::string::npos)
            return true;
    return false;
}

std::string Digits(const QString& s) {
    std::string out;
    for (QChar c : s)
        if (c.isDigit())
            out += static_cast<char>(c.unicode());
    return out;
}

// Clicks the main window's toolbar button of command nId.
void ClickToolbar(CMainDlg& w, int nId) {
    QWidget* button = w.Menu()->ToolBar()->widgetForAction(w.Menu()->Action(nId));
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
}

// The open question box (the desktop's lack of a tray may have its box open too).
QMessageBox* QuestionBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->isVisible() && box->button(QMessageBox::Yes))
            return box;
    return nullptr;
}

long FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

} // namespace

TEST(DesktopCall, TheCallerPopsUpAndTheMainWindowRecordsListsAndDeletesTheCall) {
    ResetAppState();
    TempHome home;
    for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
        home.CopyShipped(f);
    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("hash");
    o.logFile = home.File("sim.log");
    modemsim::ModemSim sim(o);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    home.Write("vorella.ini", "[Options]\nnComPort=9\nbStartDisabled=0\nnDebugLevel=1\n"
                              "dwTimeoutQuant=10\ndwTimeoutDefault=2000\niPopup=1\nbSoftAGC=0\n"
                              "bEMailCID=0\n[Sounds]\nsWaveRingIn=\n[Startup]\nShowMainDlg=1\n"
                              "[Ports]\nCOM9=" +
                                  sim.SlavePath() + "\n");
    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim.SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim.SetVoiceSource(modemsim::SignalSource().Tone(1000, 60000, 8000));

    CDesktopUnderTest desktop;
    CQtFrontEnd& frontEnd = desktop.frontEnd;
    CTarvo32App& app = desktop.app;
    CEngineWorker*& pWorker = desktop.pWorker;

    std::string file;
    std::string failure;
    // The user's part, played inside the program's own event loop.
    QTimer::singleShot(0, [&] {
        auto step = [&](bool ok, const char* what) {
            if (!ok && failure.empty())
                failure = what;
            return ok;
        };
        CBasicWindow& window = *app.Window();
        const bool ok = [&] {
            if (!step(QTest::qWaitFor([&] { return SentCommand(sim, "CID="); }, 30000),
                      "the modem was made ready for calls"))
                return false;
            sim.Ring(2, modemsim::RingCadence::Fast());
            CNotifyDlg* popup = frontEnd.Notifier()->Popup();
            if (!step(QTest::qWaitFor(
                          [&] {
                              return popup->isVisible() && popup->FirstLine() == "JOHN DOE" &&
                                     Digits(popup->SecondLine()) == "5551234";
                          },
                          30000),
                      "the pop-up showed the caller's name and number"))
                return false;
            CMainDlg& main = *frontEnd.MainDlg();
            ClickToolbar(main, kCmdRecord);
            if (!step(QTest::qWaitFor([&] { return SentCommand(sim, "VRX"); }, 30000),
                      "the modem was told to receive voice"))
                return false;
            if (!step(QTest::qWaitFor(
                          [&] {
                              file = pWorker->CurrentFile();
                              // The header is brought up to date every two
                              // seconds of sound: then there is sound in it.
                              return !file.empty() && FileSize(file) > 44 + 8000;
                          },
                          30000),
                      "the recording grew"))
                return false;
            ClickToolbar(main, kCmdStopRecording);
            if (!step(QTest::qWaitFor([&] { return sim.WaitForReceiveEnd(0); }, 30000),
                      "Stop ended the voice reception"))
                return false;
            // The finished call shows in the list without anyone asking.
            const std::string name = file.substr(file.rfind('/') + 1);
            int row = -1;
            if (!step(QTest::qWaitFor(
                          [&] {
                              row = -1;
                              for (int r : main.ShownRows()) {
                                  const CallListRow& c = main.Model()->Row(r);
                                  if (c.sFile == name && c.sName == "JOHN DOE" &&
                                      Digits(QString::fromStdString(c.sNumber)) == "5551234" &&
                                      c.sLength != "00:00")
                                      row = r;
                              }
                              return row >= 0 && !pWorker->CallState().Flags().bRecording;
                          },
                          30000),
                      "the call appeared in the list with caller, number and length"))
                return false;
            // The window follows the worker's call events, on its own thread:
            // a stored recording brings the call's fields and title back.
            main.setWindowTitle("-");
            pWorker->CallEvents()->Publish(RecordingStored{file, 1, false, ""});
            if (!step(QTest::qWaitFor([&] { return main.windowTitle() != "-"; }, 10000),
                      "the main window followed the stored recording's event"))
                return false;
            for (int r = 0; r < main.List()->model()->rowCount(); ++r)
                if (main.List()->model()->index(r, CCallListModel::kColFile).data().toString() ==
                    QString::fromStdString(name))
                    main.List()->selectRow(r);
            main.OnCommand(kCmdDelete);
            if (!step(QTest::qWaitFor([&] { return QuestionBox() != nullptr; }, 10000),
                      "delete asked first"))
                return false;
            QuestionBox()->button(QMessageBox::Yes)->click();
            if (!step(main.ShownRows().empty(), "the deleted call left the list"))
                return false;
            return true;
        }();
        (void)ok;
        window.OnCommand(kCmdExit);
    });
    const char* argv[] = {"vorella"};
    EXPECT_EQ(app.InitInstance(1, argv), 0);
    ASSERT_TRUE(failure.empty()) << "failed: " << failure << "\n" << home.Read("modem.log");

    // The recording went to the desktop's trash, whole, and its line left the index.
    const std::string name = file.substr(file.rfind('/') + 1);
    EXPECT_FALSE(FileExists(file));
    auto wav = ReadWholeFile(home.File("data-home/Trash/files/" + name), 1 << 24);
    ASSERT_TRUE(wav.has_value()) << file;
    EXPECT_EQ(wav->substr(0, 4), "RIFF");
    EXPECT_GT(wav->size(), 44u + 8000u);
    const std::string index = home.Read("Recorded Calls/index.dat");
    EXPECT_EQ(index.find(name), std::string::npos) << index;
    ResetAppState();
}
