// The small main window and the front end's window commands, with the
// hidden window's core behind them: its buttons and menu reach the core,
// the worker's reports reach it from the worker's thread, and the commands
// whose windows do not exist yet say so.
#include "FakeAppWorker.h"
#include "TempHome.h"

#include "app/Brand.h"
#include "app/CommandIds.h"
#include "engine/CallState.h"
#include "engine/Number.h"
#include "frontend/CoreLoop.h"
#include "frontend/QtFrontEnd.h"
#include "main/StatusWindow.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <thread>

namespace {

QMessageBox* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

void CloseBoxes() {
    while (QMessageBox* box = OpenBox())
        box->close();
}

QAction* MenuAction(CStatusWindow& w, const QString& text) {
    for (QAction* a : w.MenuButton()->menu()->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCallState();
        g_curCall.Set({});
        SetAppBrand({"Vorella", "Copyright (C) 2026 The Vorella developers", "https://vorella.example.org/"});
        std::string error;
        ASSERT_EQ(window.Create(&error), CControlService::StartResult::Serving) << error;
        window.AttachWorker(worker);
        frontEnd.AttachWindow(&window);
        frontEnd.ShowMainWindow(true);
    }
    void TearDown() override {
        CloseBoxes();
        ResetCallState();
        SetAppBrand({});
    }

    TempHome home;
    FakeAppWorker worker;
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CBasicWindow window{frontEnd};
};

} // namespace

TEST_F(StatusWindowTest, ButtonsAndMenuReachTheCore) {
    CStatusWindow* w = frontEnd.StatusWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Vorella");
    EXPECT_EQ(w->Status(), "Ready");

    QTest::mouseClick(w->RecordButton(), Qt::LeftButton);
    EXPECT_TRUE(g_bActionPending);
    EXPECT_EQ(g_nAction, kActionRecord);
    g_bRecording = true;
    QTest::mouseClick(w->StopButton(), Qt::LeftButton);
    EXPECT_FALSE(g_bRecording);
    EXPECT_EQ(worker.Notes().back(), "stop recording");

    // Every command of the tray menu is there.
    for (const char* text : {"&Record", "&Stop", "&Disable", "&Configuration...", "D&iagnostics...",
                             "&Contents", "A&bout...", "E&xit"})
        EXPECT_NE(MenuAction(*w, text), nullptr) << text;
    MenuAction(*w, "&Disable")->trigger();
    EXPECT_TRUE(g_bPaused);

    // Closing hides the window; the program goes on.
    w->close();
    EXPECT_FALSE(w->isVisible());
    window.ShowMainWindow();
    EXPECT_TRUE(w->isVisible());
}

TEST_F(StatusWindowTest, AboutShowsNameAndVersionAndUnbuiltWindowsSaySo) {
    CStatusWindow* w = frontEnd.StatusWindow();
    MenuAction(*w, "A&bout...")->trigger();
    ASSERT_NE(frontEnd.AboutBox(), nullptr);
    EXPECT_TRUE(frontEnd.AboutBox()->isVisible());
    EXPECT_TRUE(frontEnd.AboutBox()->Text().startsWith("Vorella " VORELLA_VERSION "\n"))
        << frontEnd.AboutBox()->Text().toStdString();
    EXPECT_TRUE(frontEnd.AboutBox()->Text().contains("vorella.example.org"));
    MenuAction(*w, "A&bout...")->trigger();
    EXPECT_EQ(QApplication::topLevelWidgets().count(frontEnd.AboutBox()), 1) << "one About box";
    frontEnd.AboutBox()->close();

    for (const char* text : {"&Configuration...", "D&iagnostics...", "&Contents"}) {
        MenuAction(*w, text)->trigger();
        QMessageBox* box = OpenBox();
        ASSERT_NE(box, nullptr) << text;
        EXPECT_EQ(box->windowTitle(), "Vorella");
        EXPECT_TRUE(box->text().contains("not part of this version yet")) << text;
        CloseBoxes();
    }
}

TEST_F(StatusWindowTest, TheWorkersReportsReachTheWindowFromItsThread) {
    std::thread worker([&] {
        IUiBridge& ui = frontEnd.WorkerBridge();
        ui.SetStatusText("Recording conversation");
        CNumber call;
        call.m_sName = "JOHN DOE";
        call.m_sNumber = "5551234";
        g_curCall.Set(call);
        ui.CallerChanged({"JOHN DOE", "5551234", ""});
        ui.ShowMessage(57708, MessageIcon::Error);
    });
    worker.join();
    CStatusWindow* w = frontEnd.StatusWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenBox() != nullptr; }, 10000));
    EXPECT_EQ(w->Status(), "Recording conversation");
    EXPECT_EQ(w->CallerName(), "JOHN DOE");
    EXPECT_EQ(w->CallerNumber(), "5551234");
    EXPECT_EQ(OpenBox()->text(), "Could not write data to the port.");
    EXPECT_EQ(OpenBox()->icon(), QMessageBox::Critical);
    // External control reads the same caller.
    EXPECT_EQ(window.GetCallerFields().sName, "JOHN DOE");
}

TEST_F(StatusWindowTest, TheLoopSleepsUntilTheNextTimerAndWatchesTheControlSocket) {
    CCoreLoop loop(window);
    EXPECT_EQ(loop.WatchedSockets(), 1u) << "the listening socket";
    // Only the tray timer runs: armed for at most its period, no polling.
    EXPECT_GE(loop.ArmedMs(), 0);
    EXPECT_LE(loop.ArmedMs(), static_cast<int>(kTrayTimerMs));
    window.StartSpeakTimer(20);
    loop.Rearm();
    EXPECT_LE(loop.ArmedMs(), 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g_bPaused.load(); }, 10000))
        << "the timer fired from the Qt loop";
}
