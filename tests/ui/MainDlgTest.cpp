// The main window with the hidden window's core behind it: its buttons and
// menu reach the core, the worker's reports reach it from the worker's
// thread, and the commands whose windows do not exist yet say so.
#include "CoreWindowTest.h"

#include "app/CommandIds.h"
#include "calllog/DataStructure.h"
#include "dialogs/ContactsDlg.h"
#include "dialogs/DiagnosticsDlg.h"
#include "engine/CallState.h"
#include "engine/Number.h"
#include "frontend/CoreLoop.h"
#include "main/CallerPanel.h"
#include "main/MainDlg.h"
#include "main/MainIcons.h"
#include "main/MainMenu.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Every item of every menu of the window, by its text.
QAction* MenuItem(CMainDlg& w, const QString& text) {
    for (QAction* menu : w.menuBar()->actions())
        for (QAction* a : menu->menu()->actions())
            if (a->text() == text)
                return a;
    return nullptr;
}

using MainDlgCoreTest = CoreWindowTest;

} // namespace

TEST_F(MainDlgCoreTest, ButtonsAndMenuReachTheCore) {
    CMainDlg* w = frontEnd.MainDlg();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Vorella");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Status() == "Ready"; }, 10000))
        << w->Status().toStdString();

    // Record asks for the recording: DesktopStoryTest and BasicWindowTest.
    worker.Engine().bRecording = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Status() == "Recording conversation"; }, 10000));
    // While recording, the record button stops.
    w->Menu()->Action(kCmdRecord)->trigger();
    EXPECT_FALSE(worker.Engine().bRecording);
    EXPECT_EQ(worker.Notes().back(), "stop recording");
    worker.Engine().bRecording = true;
    w->Menu()->Action(kCmdStopRecording)->trigger();
    EXPECT_FALSE(worker.Engine().bRecording);
    EXPECT_TRUE(w->IsStopPending()) << "timer 4 runs";

    // With "&L" on, the record button asks for the answering machine.
    worker.TakeRequest();
    w->Menu()->Action(kCmdLegal)->trigger();
    EXPECT_TRUE(w->IsLegal());
    w->Menu()->Action(kCmdRecord)->trigger();
    EXPECT_EQ(worker.Engine().nAction, kActionAnswer);
    // The pop-up's button is the same record button.
    worker.TakeRequest();
    emit frontEnd.Notifier()->recordRequested();
    EXPECT_EQ(worker.Engine().nAction, kActionAnswer);
    w->Menu()->Action(kCmdLegal)->trigger();

    // Hold asks for music on hold; pressed again while holding, it ends it.
    worker.TakeRequest();
    w->Menu()->Action(kCmdHold)->trigger();
    EXPECT_EQ(worker.Engine().nAction, kActionHoldMusic);
    worker.Engine().bHold = true;
    w->Menu()->Action(kCmdHold)->trigger();
    EXPECT_FALSE(worker.Engine().bHold);
    // The number field is dialled.
    w->Caller()->NumberEdit()->setText("5551234");
    w->Menu()->Action(kCmdDialNumber)->trigger();
    EXPECT_EQ(worker.Notes().back(), "dial 5551234");

    // "A&nswer" is there only where the line talks at the PC, usable while
    // a call rings; "Mu&te" is the microphone's while talking.
    QAction* answer = w->Menu()->Action(kCmdTalk);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answer->isVisible(); }, 10000));
    worker.bCanTalk = true;
    worker.Engine().bRinging = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer->isVisible() && answer->isEnabled(); }, 10000));
    worker.TakeRequest();
    emit frontEnd.Notifier()->answerRequested();
    EXPECT_EQ(worker.Engine().nAction, kActionSpeakerphone);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answer->isEnabled(); }, 10000));
    // A talked call is hung up with Stop, recording or not.
    EXPECT_TRUE(w->Menu()->Action(kCmdStopRecording)->isEnabled());
    w->Menu()->Action(kCmdMute)->trigger();
    EXPECT_TRUE(worker.Engine().bTalkMute);
    // Stop hangs up a talked call that is not being recorded.
    w->Menu()->Action(kCmdStopRecording)->trigger();
    EXPECT_FALSE(worker.Engine().bSpeakerphone) << "Stop hung up";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->Menu()->Action(kCmdMute)->isChecked(); }, 10000));
    worker.Engine().bRinging = false;
    worker.bCanTalk = false;

    MenuItem(*w, "&Disable")->trigger();
    EXPECT_TRUE(worker.Engine().bPaused);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Status() == "Stopped"; }, 10000));

    // Closing hides the window; the program goes on, and the window's
    // refresh rests until it is shown again.
    EXPECT_TRUE(w->IsRefreshing());
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->IsRefreshing());
    window.ShowMainWindow();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->IsRefreshing());

    // "E&xit" keeps the placement for the next start.
    w->move(30, 20);
    MenuItem(*w, "E&xit")->trigger();
    const std::string ini = home.Read("vorella.ini");
    EXPECT_NE(ini.find("PosX=30"), std::string::npos) << ini;
    EXPECT_NE(ini.find("PosY=20"), std::string::npos) << ini;
}

TEST_F(MainDlgCoreTest, TheTraysPlayPlaysTheChosenRecordingThroughTheLine) {
    const std::string folder = home.File("Recorded Calls/");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(ShippedDataFolder() + "wave/silence.wav", folder + "call.wav");
    CDataStructure record;
    record.m_sFile = "call.wav";
    CDataStructureArray index;
    index.Add(record);
    ASSERT_TRUE(index.Save(folder + "index.dat"));
    CMainDlg* w = frontEnd.MainDlg();
    w->RefreshList();
    ASSERT_EQ(w->List()->model()->rowCount(), 1);
    w->List()->selectRow(0);

    window.OnCommand(kCmdPlay);
    EXPECT_EQ(worker.sPlayFile, folder + "call.wav");
    EXPECT_EQ(worker.Engine().nAction, kActionPlayFile);
}

TEST_F(MainDlgCoreTest, AboutShowsNameAndVersionAndUnbuiltWindowsSaySo) {
    CMainDlg* w = frontEnd.MainDlg();
    MenuItem(*w, "A&bout...")->trigger();
    ASSERT_NE(frontEnd.AboutBox(), nullptr);
    EXPECT_TRUE(frontEnd.AboutBox()->isVisible());
    EXPECT_TRUE(frontEnd.AboutBox()->Text().startsWith("Vorella " VORELLA_VERSION "\n"));
    frontEnd.AboutBox()->close();

    // The diagnostics window is built: with this worker's closed port it
    // says there is no modem to ask.
    MenuItem(*w, "D&iagnostics...")->trigger();
    CDiagnosticsDlg* diagnostics = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<CDiagnosticsDlg*>(top); d && d->isVisible())
            diagnostics = d;
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_TRUE(diagnostics->Status().contains("No modem is open"));
    EXPECT_EQ(OpenBox(), nullptr);
    diagnostics->close();
    // So is the contacts window, on the settings' contacts file.
    MenuItem(*w, "C&ontacts...")->trigger();
    ASSERT_NE(frontEnd.ContactsDlg(), nullptr);
    EXPECT_TRUE(frontEnd.ContactsDlg()->Tabs()->isEnabled())
        << frontEnd.ContactsDlg()->StatusLabel()->text().toStdString();
    frontEnd.ContactsDlg()->close();

    MenuItem(*w, "&Configuration...")->trigger();
    ASSERT_NE(frontEnd.OptionsDlg(), nullptr);
    EXPECT_TRUE(frontEnd.OptionsDlg()->isVisible());
    frontEnd.OptionsDlg()->reject();

    MenuItem(*w, "Prin&t")->trigger();
    EXPECT_EQ(TakeBoxText(), "Printing not yet implemented.");

    // The test programs are no install and no build tree's program folder:
    // the manual is not found, and the box says where it was looked for.
    MenuItem(*w, "&Contents")->trigger();
    EXPECT_THAT(TakeBoxText(), AllOf(HasSubstr("The user manual is not installed"),
                                     HasSubstr("share/doc/vorella/manual/")));
}

TEST_F(MainDlgCoreTest, TheWorkersReportsReachTheWindowFromItsThread) {
    std::thread workerThread([&] {
        IUiBridge& ui = frontEnd.WorkerBridge();
        ui.SetStatusText("Result - Busy");
        CNumber call;
        call.m_sName = "JOHN DOE";
        call.m_sNumber = "5551234";
        worker.Engine().curCall.Set(call);
        ui.CallerChanged({"JOHN DOE", "5551234", ""});
        ui.SetWindowTitle("JOHN DOE - [5551234] - Vorella");
        ui.SetCallListFilter("5551234");
        ui.SetCallBusy(true);
        for (char key : {'4', 'd', '2', '#'})
            ui.AppendToneKey(key);
        ui.ShowMessage(57708, MessageIcon::Error);
    });
    workerThread.join();
    CMainDlg* w = frontEnd.MainDlg();
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenBox() != nullptr; }, 10000));
    EXPECT_EQ(w->Caller()->Name(), "JOHN DOE");
    EXPECT_EQ(w->Caller()->Number(), "5551234");
    EXPECT_EQ(w->windowTitle(), "JOHN DOE - [5551234] - Vorella");
    // The caller's keys show; the dial tone is no key.
    EXPECT_EQ(w->Caller()->KeysEdit()->text(), "42#");
    // The list shows the caller's earlier calls.
    EXPECT_EQ(w->Search()->text(), "5551234");
    EXPECT_EQ(OpenBox()->text(), "Could not write data to the port.");
    EXPECT_EQ(OpenBox()->icon(), QMessageBox::Critical);
    // External control reads the same caller.
    EXPECT_EQ(window.GetCallerFields().sName, "JOHN DOE");
}

TEST_F(MainDlgCoreTest, EveryControlHasANameForAssistiveTechnologyAndAKeyboardPath) {
    CMainDlg* w = frontEnd.MainDlg();
    for (QWidget* c : w->findChildren<QWidget*>()) {
        const bool interactive = qobject_cast<QLineEdit*>(c) || qobject_cast<QPlainTextEdit*>(c) ||
                                 qobject_cast<QAbstractSlider*>(c) ||
                                 qobject_cast<QAbstractItemView*>(c) ||
                                 qobject_cast<QAbstractButton*>(c);
        if (!interactive || !c->isVisibleTo(w) || qobject_cast<QScrollBar*>(c))
            continue;
        QString name = c->accessibleName();
        if (auto* b = qobject_cast<QAbstractButton*>(c); b && name.isEmpty())
            name = b->text().isEmpty() ? b->toolTip() : b->text();
        EXPECT_FALSE(name.isEmpty())
            << c->metaObject()->className() << " " << c->objectName().toStdString();
    }
    // In each menu, an item whose mnemonic another item shares has a shortcut.
    for (QAction* menu : w->menuBar()->actions()) {
        QMap<QChar, int> uses;
        const QList<QAction*> items = menu->menu()->actions();
        auto mnemonic = [](const QAction* a) {
            const qsizetype i = a->text().indexOf('&');
            return i >= 0 && i + 1 < a->text().size() ? a->text()[i + 1].toLower() : QChar();
        };
        for (QAction* a : items)
            ++uses[mnemonic(a)];
        for (QAction* a : items) {
            if (a->isSeparator())
                continue;
            EXPECT_FALSE(mnemonic(a).isNull()) << a->text().toStdString();
            if (uses[mnemonic(a)] > 1) {
                EXPECT_FALSE(a->shortcut().isEmpty()) << a->text().toStdString();
            }
        }
    }
    // Every command of the toolbar is in a menu too, where a mnemonic reaches it.
    for (QAction* a : w->Menu()->ToolBar()->actions()) {
        if (a->isSeparator())
            continue;
        EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
        bool inMenu = false;
        for (QAction* menu : w->menuBar()->actions())
            inMenu = inMenu || menu->menu()->actions().contains(a);
        EXPECT_TRUE(inMenu) << a->text().toStdString();
    }
}

TEST_F(MainDlgCoreTest, IconsAreDrawnInThePalettesTextColour) {
    QPalette dark;
    dark.setColor(QPalette::WindowText, Qt::white);
    QPalette light;
    light.setColor(QPalette::WindowText, Qt::black);
    // The stop square fills the picture's middle with the text colour.
    const QImage onDark = MainIcon("stop", dark).pixmap(24, 24).toImage();
    const QImage onLight = MainIcon("stop", light).pixmap(24, 24).toImage();
    ASSERT_FALSE(onDark.isNull());
    EXPECT_GT(qGray(onDark.pixel(12, 12)), 200);
    EXPECT_LT(qGray(onLight.pixel(12, 12)), 60);
}

TEST_F(MainDlgCoreTest, TheLoopSleepsUntilTheNextTimerAndWatchesTheControlSocket) {
    CCoreLoop loop(window);
    EXPECT_EQ(loop.WatchedSockets(), 1u) << "the listening socket";
    EXPECT_GE(loop.ArmedMs(), 0);
    EXPECT_LE(loop.ArmedMs(), static_cast<int>(kTrayTimerMs));
    window.StartSpeakTimer(20);
    loop.Rearm();
    EXPECT_LE(loop.ArmedMs(), 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return worker.Engine().bPaused.load(); }, 10000))
        << "the timer fired from the Qt loop";
}
