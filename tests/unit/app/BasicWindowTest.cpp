// The hidden window's core against a scripted worker: the monitoring switch,
// the requests it hands the worker, its timers and its exit paths.
#include "InputEvents.h"
#include "WindowTest.h"

#include "app/AppState.h"
#include "app/BasicWindow.h"
#include "platform/TickCount.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using BasicWindowTest = WindowTest;

TEST_F(BasicWindowTest, MonitoringSwitchPausesTheWorkerAndRestoresTheTrayState) {
    worker.bCallActive = true;
    window.ToggleMonitoring();
    EXPECT_TRUE(worker.Engine().bPaused);
    EXPECT_TRUE(worker.bStopRequest) << "the worker closes the port on the stop request";
    EXPECT_FALSE(worker.bCallActive) << "a call in progress is stopped first";
    EXPECT_EQ(window.TrayState(), kTrayPaused);

    window.ToggleMonitoring();
    EXPECT_FALSE(worker.Engine().bPaused);
    EXPECT_FALSE(worker.bStopRequest);
    EXPECT_EQ(window.TrayState(), 0) << "a saved paused state comes back as 0";
    EXPECT_EQ(frontEnd.trayStates, (std::vector<int>{4, 0}));
}

TEST_F(BasicWindowTest, RequestsReachTheWorkerWithMonitoringOn) {
    worker.Engine().bPaused = true;
    ASSERT_TRUE(window.OnCommand(kCmdRecord));
    EXPECT_FALSE(worker.Engine().bPaused) << "recording resumes a paused line first";
    EXPECT_TRUE(worker.Engine().bActionPending);
    EXPECT_EQ(worker.Engine().nAction, kActionRecord);

    // The answering machine on a running line whose port is still opening
    // must not pause it: the switch would turn it off, not on.
    worker.TakeRequest();
    worker.bReady = false;
    worker.Engine().bTalking = true;
    ASSERT_TRUE(window.OnCommand(kCmdAnswer));
    EXPECT_FALSE(worker.Engine().bPaused);
    // Never ready: the request goes out once the bounded wait is over.
    ASSERT_TRUE(RunUntil([&] { return worker.Engine().bActionPending.load(); }));
    EXPECT_FALSE(worker.Engine().bTalking);
    EXPECT_EQ(worker.Engine().nAction, kActionAnswer);

    worker.TakeRequest();
    ASSERT_TRUE(window.OnCommand(kCmdOffHook));
    EXPECT_EQ(worker.Engine().nAction, kActionOffHook);
    ASSERT_TRUE(window.OnCommand(kCmdImitateRing));
    EXPECT_TRUE(worker.Engine().bTestRing);

    // A file played to the line ends a recording first.
    worker.Engine().bRecording = true;
    window.PlayFile("/calls/greeting.wav");
    EXPECT_FALSE(worker.Engine().bRecording);
    EXPECT_EQ(worker.sPlayFile, "/calls/greeting.wav");
    EXPECT_EQ(window.PlayFile(), "/calls/greeting.wav");
    EXPECT_EQ(worker.Engine().nAction, kActionPlayFile);

    EXPECT_FALSE(window.OnCommand(12345)) << "unknown ids are the front end's";
}

TEST_F(BasicWindowTest, TalkingAtThePcTakesTheCallAndTurnsTheSlidersToTheTalk) {
    // A modem: the command asks nothing of the line.
    worker.Engine().bRinging = true;
    ASSERT_TRUE(window.OnCommand(kCmdTalk));
    EXPECT_FALSE(worker.Engine().bActionPending);

    // A telephony line: volume and mute are the playback's until the talk.
    worker.bCanTalk = true;
    window.SetPlaybackVolume(40);
    EXPECT_TRUE(window.ToggleMute());
    EXPECT_EQ(worker.nPlaybackVolume, 40);
    EXPECT_TRUE(worker.bPlaybackMute);
    ASSERT_TRUE(window.OnCommand(kCmdTalk));
    EXPECT_EQ(worker.Engine().nAction, kActionSpeakerphone);
    EXPECT_TRUE(worker.Engine().bSpeakerphone);
    EXPECT_TRUE(window.IsTalking());
    EXPECT_EQ(worker.Engine().nTalkVolume, 40) << "the talk starts at the slider's volume";
    EXPECT_FALSE(window.IsMuted()) << "and with the microphone on";

    window.SetPlaybackVolume(70);
    EXPECT_TRUE(window.ToggleMute());
    EXPECT_EQ(worker.Engine().nTalkVolume, 70);
    EXPECT_TRUE(worker.Engine().bTalkMute);
    EXPECT_EQ(worker.nPlaybackVolume, 40) << "the playback keeps its own";

    // The headset's hook button hangs the talked call up.
    window.OnHookButton();
    EXPECT_FALSE(window.IsTalking());
    EXPECT_EQ(worker.Notes(), (std::vector<std::string>{"stop call"}));
    EXPECT_TRUE(window.IsMuted()) << "the playback's mute again";
}

TEST_F(BasicWindowTest, AHeadsetsButtonsAnswerAtThePcAndHangUpThroughTheWindowsLoop) {
    // The headset as a stream of real input events; the window's loop
    // waits on it with its control socket.
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    worker.bCanTalk = true;
    window.HookButtons().Add(fds[0]);
    worker.Engine().bRinging = true;
    SendInput(fds[1], EV_KEY, KEY_HANGUP_PHONE, 1); // never answers
    SendInput(fds[1], EV_KEY, KEY_PLAYPAUSE, 0);    // a release
    SendInput(fds[1], EV_SW, SW_HEADPHONE_INSERT, 1);
    SendInput(fds[1], EV_KEY, KEY_PLAYPAUSE, 1);
    ASSERT_TRUE(RunUntil([&] { return worker.Engine().bSpeakerphone.load(); }));
    EXPECT_EQ(worker.Engine().nAction, kActionSpeakerphone);
    EXPECT_TRUE(worker.Notes().empty());

    worker.Engine().bRinging = false;
    worker.Engine().bOffHook = true;
    SendInput(fds[1], EV_KEY, KEY_PICKUP_PHONE, 1); // never hangs up
    SendInput(fds[1], EV_KEY, KEY_MEDIA, 1);
    ASSERT_TRUE(RunUntil([&] { return !worker.Engine().bSpeakerphone; }));
    EXPECT_EQ(worker.Notes(), (std::vector<std::string>{"stop call"}));

    // Unplugged: let go of.
    ::close(fds[1]);
    ASSERT_TRUE(RunUntil([&] { return window.HookButtons().Count() == 0; }));

    // Only a line that talks at the PC reads the buttons. A device that
    // cannot be opened is told once in the log, not as an error.
    home.Write("sys/event4/device/name", "Headset\n");
    home.Write("sys/event4/device/capabilities/key", "1000000000 0 0\n"); // KEY_PLAYPAUSE
    const InputFolders folders{home.File("sys/"), home.File("dev/")};
    worker.bCanTalk = false;
    window.WatchHookButtons(folders);
    EXPECT_FALSE(window.HookButtons().IsOpen());
    EXPECT_TRUE(frontEnd.notes.empty());
    worker.bCanTalk = true;
    for (int i = 0; i < 2; ++i) {
        window.HookButtons().Close();
        window.WatchHookButtons(folders);
    }
    EXPECT_TRUE(window.HookButtons().IsOpen());
    EXPECT_EQ(window.HookButtons().Count(), 0u);
    ASSERT_EQ(frontEnd.notes.size(), 1u);
    EXPECT_NE(frontEnd.notes[0].find("Headset (" + home.File("dev/event4") + "): No such file"),
              std::string::npos)
        << frontEnd.notes[0];
    EXPECT_TRUE(frontEnd.messages.empty());
}

TEST_F(BasicWindowTest, OnlineAndAwayStoreTheStateAndClearTheCallProgress) {
    window.ToggleMonitoring();
    worker.Engine().bHold = true;
    ASSERT_TRUE(window.OnCommand(kCmdOnline));
    EXPECT_EQ(window.TrayState(), 0);
    EXPECT_EQ(worker.nStoredAction, 0);
    EXPECT_FALSE(worker.Engine().bHold);

    worker.bStopRequest = true;
    worker.Engine().bTalking = true;
    ASSERT_TRUE(window.OnCommand(kCmdAway));
    EXPECT_EQ(worker.nStoredAction, 1);
    EXPECT_FALSE(worker.Engine().bTalking);
    EXPECT_FALSE(worker.bStopRequest);
}

TEST_F(BasicWindowTest, ConfigureWaitsForThePortAndIsNotAskedTwice) {
    ASSERT_TRUE(window.OnCommand(kCmdConfigure));
    EXPECT_TRUE(worker.Engine().bReconfigure);
    EXPECT_FALSE(worker.Engine().bPaused) << "a running line runs again after the request";
    EXPECT_EQ(frontEnd.trayStates, (std::vector<int>{4, 0}));

    // Still being served: nothing happens, not even a pause.
    ASSERT_TRUE(window.OnCommand(kCmdConfigure));
    EXPECT_EQ(frontEnd.trayStates.size(), 2u);
}

TEST_F(BasicWindowTest, CommandsWaitForTheWorkerWithoutHoldingTheLoop) {
    // The modem is still initialising: "&Record" returns at once and its
    // request follows when the modem is ready, while the loop goes on
    // serving other timers (the windows stay alive meanwhile).
    worker.bReady = false;
    worker.nTimeoutDefault = 60000;
    ASSERT_TRUE(window.OnCommand(kCmdRecord));
    EXPECT_FALSE(worker.Engine().bActionPending);
    EXPECT_TRUE(window.HasPendingSteps());
    window.StartSpeakTimer(20);
    ASSERT_TRUE(RunUntil([&] { return !window.Timers().IsRunning(kTimerSpeak); }));
    EXPECT_FALSE(worker.Engine().bActionPending) << "still waiting for the modem";
    // The speak timer paused the line; the recording's wait outlives that.
    window.ToggleMonitoring();
    worker.bReady = true;
    ASSERT_TRUE(RunUntil([&] { return worker.Engine().bActionPending.load(); }));
    EXPECT_EQ(worker.Engine().nAction, kActionRecord);
    EXPECT_FALSE(window.HasPendingSteps());
    EXPECT_FALSE(window.Timers().IsRunning(kTimerStep)) << "no ticking while nothing waits";

    // A second "E&xit" while the first one waits does not start another.
    ASSERT_TRUE(window.OnCommand(kCmdExit));
    ASSERT_TRUE(window.OnCommand(kCmdExit));
    ASSERT_TRUE(RunUntil([&] { return window.IsQuitPosted(); }));
    EXPECT_EQ(worker.Notes(), (std::vector<std::string>{"stop recording"}));
}

TEST_F(BasicWindowTest, OrderlyExitWaitsTickByTickForTheRecordingAndPausesAgainIfResumed) {
    ASSERT_TRUE(window.OnCommand(kCmdAppExit));
    EXPECT_TRUE(worker.Engine().bPaused);
    EXPECT_TRUE(window.Timers().IsRunning(kTimerOrderlyExit));

    // The worker is still finishing a recording: ticks pass without leaving.
    worker.Engine().bRecording = true;
    const uint32_t start = GetTickCount();
    RunUntil([&] { return GetTickCount() - start > 3 * kOrderlyExitTickMs; }, 60000);
    EXPECT_FALSE(window.IsQuitPosted());
    EXPECT_FALSE(worker.Engine().bShuttingDown);
    worker.Engine().bRecording = false;
    worker.Engine().bPlaying = true;
    window.OnTimer(kTimerOrderlyExit);
    EXPECT_FALSE(window.IsQuitPosted()) << "a play is waited for too";
    worker.Engine().bPlaying = false;

    // Somebody switched monitoring back on meanwhile: paused again first.
    window.ToggleMonitoring();
    window.OnTimer(kTimerOrderlyExit);
    EXPECT_TRUE(worker.Engine().bPaused);
    EXPECT_FALSE(window.IsQuitPosted()) << "the pause takes effect on the next tick";
    ASSERT_TRUE(RunUntil([&] { return window.IsQuitPosted(); }));
    EXPECT_TRUE(worker.Engine().bShuttingDown);
    EXPECT_TRUE(worker.bExitRequest);
    EXPECT_FALSE(window.Timers().IsRunning(kTimerTray));
    EXPECT_FALSE(window.Timers().IsRunning(kTimerOrderlyExit));
}

TEST_F(BasicWindowTest, ImmediateExitStopsTheRecordingAndLeavesAtOnce) {
    worker.Engine().bRecording = true;
    ASSERT_TRUE(window.OnCommand(kCmdExit));
    EXPECT_FALSE(worker.Engine().bRecording);
    EXPECT_TRUE(worker.Engine().bPaused);
    EXPECT_FALSE(window.IsQuitPosted()) << "the worker gets its quarter second first";
    ASSERT_TRUE(RunUntil([&] { return window.IsQuitPosted(); }));
    EXPECT_TRUE(worker.Engine().bShuttingDown);
    EXPECT_EQ(worker.Notes().at(0), "stop recording");
}

TEST_F(BasicWindowTest, RestartLeavesAsExitDoesAndAsksForTheNewProcess) {
    ResetAppState();
    ASSERT_TRUE(window.OnCommand(kCmdRestart));
    EXPECT_TRUE(g_bRestart);
    EXPECT_TRUE(worker.Engine().bPaused);
    EXPECT_TRUE(RunUntil([&] { return window.IsQuitPosted(); }));
    ResetAppState();
}

TEST_F(BasicWindowTest, ImmediateExitDoesNotWaitForEverOnABusyLine) {
    worker.bBusy = true;
    window.Exit();
    EXPECT_TRUE(RunUntil([&] { return window.IsQuitPosted(); }));
}

TEST_F(BasicWindowTest, SessionEndLeavesWithoutThePause) {
    worker.bCallActive = true;
    window.OnEndSession();
    EXPECT_FALSE(worker.bCallActive);
    EXPECT_TRUE(worker.bStopRequest);
    EXPECT_FALSE(worker.Engine().bPaused);
    EXPECT_TRUE(worker.Engine().bShuttingDown);
    EXPECT_TRUE(window.IsQuitPosted());
}

TEST_F(BasicWindowTest, SpeakTimerPausesMonitoringOnce) {
    window.StartSpeakTimer(30);
    ASSERT_TRUE(RunUntil([&] { return worker.Engine().bPaused.load(); }));
    EXPECT_FALSE(window.Timers().IsRunning(kTimerSpeak)) << "one shot";

    // Already paused when it fires: it must not switch monitoring back on.
    window.StartSpeakTimer(30);
    ASSERT_TRUE(RunUntil([&] { return !window.Timers().IsRunning(kTimerSpeak); }));
    EXPECT_TRUE(worker.Engine().bPaused);
}

TEST_F(BasicWindowTest, AddToContactsMakesOneContactOfANumberAndSaysWhatItDid) {
    // (number, name): whether a contact was made, what the status line says.
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"555-1234", "JOHN DOE", true, "1234 is in the contacts as JOHN DOE"},
        {"(555) 1234", "J. DOE", false, "1234 is a contact already: JOHN DOE"},
        {"5550199", "", true, "0199 is in the contacts as "},
        {"NA", "", false, "Cannot add \"NA\" to the contacts: it is no telephone number"},
    };
    for (auto [number, name, bDone, said] : cases) {
        frontEnd.notes.clear();
        const ScreeningReply reply = window.AddToContacts(number, name);
        EXPECT_EQ(reply.bDone, bDone) << number;
        EXPECT_EQ(frontEnd.notes, std::vector<std::string>{reply.sText});
        EXPECT_NE(reply.sText.find(said), std::string::npos) << reply.sText;
    }
}

TEST_F(BasicWindowTest, ExternalMonitoringSwitchStopsTheCallFirst) {
    worker.bCallActive = true;
    window.SetMonitoring(false);
    EXPECT_FALSE(worker.bCallActive);
    EXPECT_FALSE(worker.Engine().bPaused) << "the stop is given time to settle first";
    ASSERT_TRUE(RunUntil([&] { return worker.Engine().bPaused.load(); }));
    window.SetMonitoring(false);
    EXPECT_TRUE(worker.Engine().bPaused) << "asking for the state it has changes nothing";
    window.SetMonitoring(true);
    EXPECT_FALSE(worker.Engine().bPaused);
    EXPECT_EQ(worker.Notes(), (std::vector<std::string>{"stop call"}));
}

TEST_F(BasicWindowTest, AWindowWithoutTheSocketStillWaitsForItsTimers) {
    // A second full instance ("copy") finds the socket taken and runs on
    // without external control; its loop must still sleep until the next
    // timer instead of coming straight back.
    FakeAppWorker secondWorker;
    CBasicWindow second{frontEnd};
    std::string error;
    ASSERT_EQ(second.Create(&error), CControlService::StartResult::AnotherRuns);
    second.AttachWorker(secondWorker);
    second.StartSpeakTimer(30);
    second.ProcessEvents(60000); // returns once the timer is due
    second.ProcessEvents(0);     // and this round fires it
    EXPECT_TRUE(secondWorker.Engine().bPaused);
    EXPECT_FALSE(second.Timers().IsRunning(kTimerSpeak));
}

TEST_F(BasicWindowTest, TimersFireByTheirPeriodAndCatchUpOnce) {
    CUiTimers timers;
    timers.Start(1, 100, 1000);
    timers.Start(2, 250, 1000);
    EXPECT_TRUE(timers.TakeDue(1099).empty());
    EXPECT_EQ(*timers.MsUntilNext(1099), 1u);
    EXPECT_EQ(timers.TakeDue(1100), std::vector<int>{1});
    // Far behind: each fires once, then keeps its period from now.
    EXPECT_EQ(timers.TakeDue(5000), (std::vector<int>{1, 2}));
    EXPECT_EQ(*timers.MsUntilNext(5000), 100u);
    // Across the tick count's wrap.
    timers.Kill(2);
    timers.Start(1, 100, 0xFFFFFFF0u);
    EXPECT_TRUE(timers.TakeDue(0xFFFFFFFFu).empty());
    EXPECT_EQ(timers.TakeDue(0x60u), std::vector<int>{1});
}

} // namespace
