// "&Configuration..." through the hidden window against a scripted worker:
// monitoring pauses while the dialog is open and comes back as it was, the
// values come from the worker's settings and go back to them on OK only.
#include "WindowTest.h"

#include "app/AppState.h"
#include "app/BasicWindow.h"
#include "config/ModemProfile.h"
#include "platform/AutoStart.h"
#include "platform/ProfileFile.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class OptionsFlowTest : public WindowTest {
protected:
    void SetUp() override {
        ResetAppState();
        setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
        LoadSettingsFrom(ProfileFile(home.File("none.ini")),
                         {worker.phone, worker.driver, worker.global, worker.worker},
                         CModemProfile{});
        WindowTest::SetUp();
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    bool OpenDialog() {
        window.OnCommand(kCmdOptions);
        return RunUntil([this] { return frontEnd.shownOptions.has_value(); });
    }
    void Close(std::optional<OptionsValues> chosen) {
        auto close = std::exchange(frontEnd.closeOptions, nullptr);
        ASSERT_TRUE(close);
        frontEnd.shownOptions.reset();
        close(std::move(chosen));
    }
};

// Opening pauses monitoring; closing brings it back as it was, and only OK
// hands the values to the worker, writes or removes the autostart entry,
// and tells a new data folder.
TEST_F(OptionsFlowTest, MonitoringComesBackAsItWasAndOnlyOkChangesTheSettings) {
    struct Row {
        const char* name;
        bool bPausedBefore, bOk;
        bool bTickedAfter; // autostart and start to the tray
    };
    for (Row r :
         {Row{"running, OK", false, true, true}, Row{"running, Cancel", false, false, true},
          Row{"paused, OK", true, true, false}, Row{"paused, Cancel", true, false, false}}) {
        if (worker.Engine().bPaused != r.bPausedBefore)
            window.ToggleMonitoring();
        const int nApplied = worker.nOptionsApplied;
        const size_t nNotes = worker.Notes().size();
        ASSERT_TRUE(OpenDialog()) << r.name;
        EXPECT_TRUE(worker.Engine().bPaused) << r.name;
        EXPECT_EQ(worker.Notes().at(nNotes), "read options, paused yes");
        // A second request while the dialog is open is ignored.
        window.OnCommand(kCmdOptions);
        EXPECT_EQ(worker.Notes().size(), nNotes + 1) << r.name;
        OptionsValues v = *frontEnd.shownOptions;
        EXPECT_EQ(v.nRings, 1);
        v.nRings = 4;
        v.nUnattendedSeconds = 120;
        v.bAutoStart = v.bStartToTray = !v.bAutoStart;
        v.sDataPath = home.File(r.name);
        Close(r.bOk ? std::optional(v) : std::nullopt);
        ASSERT_TRUE(RunUntil([&] { return worker.nOptionsApplied == nApplied + (r.bOk ? 1 : 0); }));
        RunUntil([&] { return worker.Engine().bPaused == r.bPausedBefore; });
        RunUntil([] { return false; }, 100); // a late change of monitoring shows
        EXPECT_EQ(worker.Engine().bPaused, r.bPausedBefore) << r.name;
        EXPECT_EQ(window.TrayState() == kTrayPaused, r.bPausedBefore) << r.name;
        EXPECT_EQ(worker.phone.nRings, r.bOk ? 4 : 1) << r.name;
        EXPECT_EQ(worker.driver.dwInactiveTimer, r.bOk ? 120000 : 60000) << r.name;
        EXPECT_EQ(IsAutoStart(), r.bTickedAfter) << r.name;
        EXPECT_EQ(g_bShowMainDlg, !r.bTickedAfter) << r.name;
        EXPECT_GE(frontEnd.nShown, 1); // the main window exists afterwards
        worker.phone.nRings = 1;
        worker.driver.dwInactiveTimer = 60000;
    }
    EXPECT_EQ(frontEnd.dataPaths,
              (std::vector<std::string>{home.File("running, OK"), home.File("paused, OK")}));
    EXPECT_TRUE(frontEnd.messages.empty());
}

TEST_F(OptionsFlowTest, AWorkerThatDoesNotAnswerIsToldAndMonitoringComesBack) {
    worker.bHoldSettings = true;
    window.SetSwitchWaitMs(1000);
    window.OnCommand(kCmdOptions);
    EXPECT_TRUE(worker.Engine().bPaused);
    ASSERT_TRUE(RunUntil([this] { return !frontEnd.messages.empty(); }, 20000));
    EXPECT_NE(frontEnd.messages[0].find("did not hand over its settings"), std::string::npos);
    EXPECT_FALSE(frontEnd.shownOptions.has_value());
    EXPECT_FALSE(worker.Engine().bPaused);
}

} // namespace
