// The tray's rules without a desktop: the picture for the line's state, the
// single click told from a double click, and the hidden window's timer 3
// running only while the tray has something to follow.
#include "WindowTest.h"

#include "app/BasicWindow.h"
#include "app/TrayLogic.h"
#include "engine/CallState.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayPictureTest, PausedBeforeRecordingBeforeHoldOrPlay) {
    struct Case {
        TrayFlags flags;
        int picture;
    };
    const Case cases[] = {
        {{false, false, false, false}, kTrayPicIdle},
        {{true, true, true, true}, kTrayPicPaused},
        {{false, true, true, true}, kTrayPicRecording},
        {{false, false, true, false}, kTrayPicPlaying},
        {{false, false, false, true}, kTrayPicPlaying},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrayPictureFor(c.flags), c.picture);
}

// Ticks until the click is decided; the number of ticks it took, or -1.
int TicksUntilSingleClick(CTrayClicks& clicks, unsigned doubleClickMs, int maxTicks = 40) {
    for (int i = 1; i <= maxTicks; ++i)
        if (clicks.Tick(doubleClickMs))
            return i;
    return -1;
}

TEST(TrayClicksTest, OneClickCountsOnceTheDoubleClickTimeHasPassed) {
    // (ticks after the click) x 250 ms must exceed the double-click time.
    const std::pair<unsigned, int> cases[] = {{400, 2}, {500, 3}, {499, 2}, {0, 1}, {1000, 5}};
    for (auto [ms, ticks] : cases) {
        CTrayClicks clicks;
        EXPECT_FALSE(clicks.LeftUp());
        EXPECT_TRUE(clicks.IsTiming());
        EXPECT_EQ(TicksUntilSingleClick(clicks, ms), ticks) << ms << " ms";
        EXPECT_FALSE(clicks.IsTiming()) << "decided: timer 3 may stop";
    }
}

class TrayWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window.SetDoubleClickTime(400);
    }

    // Fires timer 3 as the loop would, without waiting for it.
    void Tick() {
        ASSERT_TRUE(window.Timers().IsRunning(kTimerTray));
        window.OnTimer(kTimerTray);
    }
    bool TrayTimerRuns() { return window.Timers().IsRunning(kTimerTray); }
    // Ticks until the tray has nothing left to follow (a few at most).
    void TickUntilIdle() {
        for (int i = 0; i < 6 && TrayTimerRuns(); ++i)
            Tick();
        EXPECT_FALSE(TrayTimerRuns());
    }
};

// The pictures a line's state brings and the click's steps through a panel:
// tray_panel_test.py. Here what it does not reach.
TEST_F(TrayWindowTest, APlayStartedFromOutsideWakesTimerThree) {
    Tick();
    ASSERT_FALSE(TrayTimerRuns()) << "an idle line needs no ticks";
    window.PlayFile("message.wav");
    worker.Engine().bPlaying = true;
    Tick();
    EXPECT_EQ(window.TrayIconId(), kTrayPicPlaying);
    EXPECT_TRUE(TrayTimerRuns());
}

TEST_F(TrayWindowTest, AClickFollowedByItsDoubleClickOnlyShowsTheMainWindow) {
    const int shown = frontEnd.nShown;
    window.OnTrayClick(CBasicWindow::TrayClick::Left);
    window.OnTrayClick(CBasicWindow::TrayClick::Double);
    TickUntilIdle();
    EXPECT_FALSE(worker.Engine().bPaused);
    EXPECT_EQ(frontEnd.nShown, shown + 1);

    // With the click setting off a single click does nothing once decided.
    WriteProfileIntTo(GetSettingsPath(), "Options", "bClick", 0);
    window.OnTrayClick(CBasicWindow::TrayClick::Left);
    TickUntilIdle();
    EXPECT_FALSE(worker.Engine().bPaused);
    EXPECT_EQ(frontEnd.nShown, shown + 1);
}

TEST_F(TrayWindowTest, StatusMenuSetsTheTrayStatesThatMuteTheRing) {
    const std::pair<int, int> cases[] = {
        {kCmdBusy, kTrayBusy}, {kCmdDoNotDisturb, kTrayDoNotDisturb}, {kCmdOnline, 0}};
    for (auto [command, state] : cases) {
        EXPECT_TRUE(window.OnCommand(command));
        EXPECT_EQ(window.TrayState(), state) << command;
    }
    // Paused and resumed: the state chosen before comes back.
    window.OnCommand(kCmdDoNotDisturb);
    window.OnCommand(kCmdOffline);
    EXPECT_EQ(window.TrayState(), kTrayPaused);
    window.OnCommand(kCmdOffline);
    EXPECT_EQ(window.TrayState(), kTrayDoNotDisturb);
    EXPECT_EQ(frontEnd.trayStates, (std::vector<int>{2, 3, 0, 3, 4, 3}));
}

// What "Block the last caller" says and does, and pausing the screening:
// VorelladTest and tray_panel_test.py. Here which caller it offers to take.
TEST_F(TrayWindowTest, BlockTheLastCallerIsOfferedForACallerWithANumber) {
    auto rings = [&](const char* number, const char* message) {
        CNumber call;
        call.m_sCidNumber = number;
        call.m_sCidMessage = message;
        worker.Engine().AppendRecentCall(call);
    };
    const std::tuple<const char*, const char*, bool> calls[] = {
        {"", "Anonymous", false}, {"P", "", false}, {"NA", "", false}, {"555-1234", "", true}};
    EXPECT_FALSE(window.TrayScreeningNow().bCanBlockLastCaller) << "no call yet";
    for (auto [number, message, bCan] : calls) {
        rings(number, message);
        EXPECT_EQ(window.TrayScreeningNow().bCanBlockLastCaller, bCan) << number << message;
    }
}

} // namespace
