// CTarvo32App's start-up and shutdown with a scripted worker: what a start
// leaves on disk, the monitoring state it starts in, and a copy started
// beside an instance that already runs (a stand-in, in a child process).
// The hand-over of a second start and the exit words: VorelladTest.
#include "ChildProcess.h"
#include "FakeAppWorker.h"
#include "TempHome.h"

#include "app/App.h"
#include "app/AppState.h"
#include "app/StartupEnvironment.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/SingleInstance.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        home.Write("vorella.def", "[Options]\nnDebugLevel=0\n");
    }
    void TearDown() override { ResetAppState(); }

    int Run(std::vector<const char*> args) {
        args.insert(args.begin(), "vorella");
        return app.InitInstance(static_cast<int>(args.size()), args.data());
    }
    void StartServer(BackgroundProgram& server) {
        std::string line;
        ASSERT_TRUE(
            server.Start({BuiltProgram("control_test_server"), home.File("server.log")}, &line))
            << line;
        ASSERT_EQ(line, "ready");
    }
    std::string ServerLog() { return home.Read("server.log"); }

    TempHome home;
    FakeFrontEnd frontEnd;
    CStartupEnvironment env{[this](const std::string& t) { frontEnd.Message(t); }};
    FakeAppWorker* pWorker = nullptr;
    bool bStartDisabled = false;
    bool bNeedsSetup = false;
    int nWorkersMade = 0;
    CTarvo32App app{frontEnd, env, [this]() -> std::unique_ptr<IAppWorker> {
                        ++nWorkersMade;
                        auto w = std::make_unique<FakeAppWorker>();
                        w->bStartDisabled = bStartDisabled;
                        w->bNeedsSetup = bNeedsSetup;
                        pWorker = w.get();
                        return w;
                    }};
};

TEST_F(AppTest, NormalStartPreparesTheProgramFolderAndEndsInOrder) {
    home.Write("modem.log", "old trace\n");
    home.Write("vorella.def",
               "[Startup]\nShowMainDlg=0\n[Options]\nsPath=" + home.Path() + "calls\n");
    bool pausedInLoop = true;
    bool controlServed = false;
    frontEnd.loop = [&](CBasicWindow& w) {
        pausedInLoop = pWorker->Engine().bPaused;
        controlServed = w.Control().CommDll().IsEnabled() && IsInstanceRunning();
        w.PostQuit();
    };
    ASSERT_EQ(Run({}), 0);

    EXPECT_FALSE(FileExists(home.File("modem.log"))) << "a normal start deletes the trace";
    ASSERT_TRUE(FileExists(home.File("vorella.ini"))) << "seeded from the defaults";
    EXPECT_EQ(GetProfileIntFrom(home.File("vorella.ini"), "Startup", "bProperShutdown", -1), 0);
    EXPECT_TRUE(DirectoryExists(home.File("calls/Recorded Calls")));
    ASSERT_NE(pWorker, nullptr);
    EXPECT_TRUE(pWorker->bStarted);
    EXPECT_EQ(pWorker->sDataPath, home.Path() + "calls/");
    EXPECT_FALSE(pausedInLoop) << "bStartDisabled off: monitoring from the start";
    EXPECT_TRUE(controlServed);
    EXPECT_EQ(frontEnd.nShown, 1);
    EXPECT_FALSE(frontEnd.bLastShow) << "ShowMainDlg=0 keeps the main window hidden";

    // After the loop: paused and shutting down, the socket let go.
    EXPECT_TRUE(pWorker->Engine().bShuttingDown);
    EXPECT_TRUE(pWorker->Engine().bPaused);
    EXPECT_FALSE(IsInstanceRunning());
}

TEST_F(AppTest, AFirstStartWithoutAPortAsksForTheSetupAndItsRestartComesBackPaused) {
    bNeedsSetup = true;
    bool setupAsked = false;
    bool pausedInLoop = false;
    int trayState = -1;
    bool portClosed = false;
    frontEnd.loop = [&](CBasicWindow& w) {
        setupAsked = pWorker->Engine().bReconfigure;
        pausedInLoop = pWorker->Engine().bPaused;
        trayState = w.TrayState();
        portClosed = pWorker->IsPortClosed();
        w.PostQuit();
    };
    ASSERT_EQ(Run({}), 0);
    EXPECT_TRUE(setupAsked);
    EXPECT_FALSE(pausedInLoop);

    // The restart after a set-up that left no port: no wizard again, paused
    // as a start with bStartDisabled is, the port closed.
    ASSERT_EQ(Run({"/copy"}), 0);
    EXPECT_FALSE(setupAsked);
    EXPECT_TRUE(pausedInLoop);
    EXPECT_EQ(trayState, kTrayPaused);
    EXPECT_TRUE(portClosed);
}

TEST_F(AppTest, CopyStartsASecondInstanceEvenWhenOneRuns) {
    BackgroundProgram server;
    StartServer(server);
    app.SetCopyWaitMs(200);
    bool trayTimer = false;
    frontEnd.loop = [&](CBasicWindow& w) {
        trayTimer = w.Timers().IsRunning(kTimerTray);
        w.PostQuit();
    };
    ASSERT_EQ(Run({"/copy"}), 0);
    EXPECT_TRUE(trayTimer) << "the tray is kept up without external control too";
    EXPECT_FALSE(app.EndedEarly());
    EXPECT_EQ(nWorkersMade, 1);
    ASSERT_FALSE(frontEnd.messages.empty());
    EXPECT_NE(frontEnd.messages.at(0).find("without external control"), std::string::npos);
    // The first instance still serves.
    EXPECT_TRUE(IsInstanceRunning());
    EXPECT_EQ(ServerLog().find("show"), std::string::npos);
}

TEST_F(AppTest, HelpAndQuitWithNobodyRunningEndAtOnce) {
    // Neither makes nor seeds the program folder.
    const std::string unmade = home.File("unmade");
    setenv("VORELLA_HOME", unmade.c_str(), 1);
    ASSERT_EQ(Run({"HELP"}), 0);
    ASSERT_EQ(Run({"Quit"}), 0);
    EXPECT_FALSE(DirectoryExists(unmade));
    setenv("VORELLA_HOME", home.Path().c_str(), 1);
    EXPECT_TRUE(app.EndedEarly());
    EXPECT_EQ(nWorkersMade, 0);
    ASSERT_EQ(frontEnd.messages.size(), 1u);
    EXPECT_EQ(frontEnd.messages[0].rfind("Parameters:", 0), 0u);
}

} // namespace
