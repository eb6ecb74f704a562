// The main window's rules without widgets: where it comes back, how it
// starts, what the status bar says and which call buttons can be used.
#include "app/MainWindowRules.h"
#include "app/ScreeningCommands.h"
#include "app/TalkRules.h"

#include "engine/CallState.h"

#include <gtest/gtest.h>

namespace {

const std::vector<ScreenRect> kOneScreen = {{0, 0, 1920, 1080}};

TEST(MainWindowRules, APositionOnNoScreenComesBackToTheCornerAndASizeIsCutToTheScreen) {
    struct Case {
        int x, y;
        std::vector<ScreenRect> screens;
        int wantX, wantY;
        int w = 0, h = 0, wantW = 0, wantH = 0;
    } cases[] = {
        {3000, 100, kOneScreen, 0, 0},        // beyond the only screen
        {-40, 100, kOneScreen, 0, 0},         // off its left edge
        {100, 1080, kOneScreen, 0, 0},        // just below it
        {200, 150, kOneScreen, 200, 150},     // on it
        // A second monitor to the right keeps a window put there...
        {2500, 100, {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}, 2500, 100},
        // ... and one to the left, at negative coordinates, too.
        {-1500, 100, {{0, 0, 1920, 1080}, {-1920, 0, 1920, 1080}}, -1500, 100},
        // The monitor is gone: back where the user can see it.
        {2500, 100, {{0, 0, 1366, 768}}, 0, 0},
        // A desktop whose screens leave (0, 0) uncovered: the first one's corner.
        {5000, 0, {{100, 50, 800, 600}}, 100, 50},
        // Larger than the screen it is on: cut to it.
        {100, 50, {{0, 0, 1366, 768}}, 100, 50, 1900, 1000, 1266, 718},
    };
    for (const Case& c : cases) {
        MainPlacement p;
        p.nPosX = c.x;
        p.nPosY = c.y;
        p.nSizeX = c.w;
        p.nSizeY = c.h;
        const MainPlacement placed = PlaceOnScreens(p, c.screens);
        EXPECT_EQ(placed.nPosX, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(placed.nPosY, c.wantY) << c.x << "," << c.y;
        EXPECT_EQ(placed.nSizeX, c.wantW) << c.x << "," << c.y;
        EXPECT_EQ(placed.nSizeY, c.wantH) << c.x << "," << c.y;
    }
}

TEST(MainWindowRules, WindowStateChoosesHowTheWindowStarts) {
    EXPECT_EQ(MainStartFor(0, true), MainStart::Normal);
    EXPECT_EQ(MainStartFor(0, false), MainStart::Hidden);
    EXPECT_EQ(MainStartFor(1, false), MainStart::Maximised);
    EXPECT_EQ(MainStartFor(2, true), MainStart::Minimised);
    EXPECT_EQ(MainStartFor(3, true), MainStart::Hidden) << "3 hides even with ShowMainDlg";
}

TEST(MainWindowRules, StatusTimeAndButtons) {
    MainLineFlags f;
    EXPECT_EQ(MainStatusId(f), 109);
    f.bPaused = true;
    EXPECT_EQ(MainStatusId(f), 131);
    f.bTalking = true; // a talked call whose recording stopped is still a call
    EXPECT_EQ(MainStatusId(f), 57992);
    EXPECT_TRUE(MainStatusShowsTime(f));
    f.bHold = true;
    EXPECT_EQ(MainStatusId(f), 122);
    EXPECT_TRUE(MainStatusShowsTime(f));
    f.bRecording = true;
    EXPECT_EQ(MainStatusId(f), 110);

    EXPECT_EQ(RunningTimeText(0), "00:00:00");
    EXPECT_EQ(RunningTimeText(3723999), "01:02:03");
    EXPECT_EQ(RunningTimeText(100u * 3600 * 1000), "100:00:00");

    EXPECT_FALSE(MainCallButtonsFor(0, "").bDelete);
    EXPECT_TRUE(MainCallButtonsFor(2, "").bDelete);
    EXPECT_FALSE(MainCallButtonsFor(1, "NULL").bPlay);
    EXPECT_TRUE(MainCallButtonsFor(1, "/x/rec.wav").bSend);
}

TEST(MainWindowRules, TheKeyDisplayShowsTheKeysOfTheCallOnTheLine) {
    // Events: '+' busy with a call, '-' idle again, anything else a
    // character from the device.
    struct Case {
        const char* events;
        const char* keys;
        bool busy;
    } cases[] = {
        {"+12#", "12#", true},
        {"+*0BbdfHD", "*0BD", true},      // busy, dial and fax tone, handset: no keys
        {"+12-", "12", false},            // kept after the call, for a look
        {"+12-+3", "3", true},            // the next call starts empty
        {"+12+3", "123", true},           // still the same call
        {"9", "9", false},                // a key with no call marked busy still shows
        {"+\x01\xff#", "#", true},
    };
    for (const Case& c : cases) {
        CCallKeys keys;
        for (const char* e = c.events; *e; ++e) {
            if (*e == '+' || *e == '-')
                keys.SetBusy(*e == '+');
            else
                keys.Append(*e);
        }
        EXPECT_EQ(keys.Keys(), c.keys) << c.events;
        EXPECT_EQ(keys.Busy(), c.busy) << c.events;
    }
    // A caller who goes on pressing: the display keeps the last keys.
    CCallKeys keys;
    keys.SetBusy(true);
    for (int i = 0; i < 100; ++i)
        keys.Append(static_cast<char>('0' + i % 10));
    ASSERT_EQ(keys.Keys().size(), CCallKeys::kMaxKeys);
    EXPECT_EQ(keys.Keys().back(), '9');
}

TEST(MainWindowRules, TalkingAtThePcIsOfferedForACallNotYetTalked) {
    // The line's state as letters: r ringing, o off-hook, R recording,
    // s talked at the PC (the speakerphone flag); t: the device can talk.
    struct Case {
        const char* state;
        TalkOutcome answer, take, end;
        bool shown, enabled;
        std::optional<TalkRequest> hook;
    } cases[] = {
        {"", TalkOutcome::CannotTalk, TalkOutcome::CannotTalk, TalkOutcome::CannotTalk, false,
         false, std::nullopt},
        {"r", TalkOutcome::CannotTalk, TalkOutcome::CannotTalk, TalkOutcome::CannotTalk, false,
         false, std::nullopt}, // a modem rings: its own speakerphone, not this
        {"t", TalkOutcome::NoCall, TalkOutcome::NoCall, TalkOutcome::NoCall, true, false,
         std::nullopt},
        {"tr", TalkOutcome::Done, TalkOutcome::Done, TalkOutcome::NoCall, true, true,
         TalkRequest::Answer},
        {"tro", TalkOutcome::NoCall, TalkOutcome::Done, TalkOutcome::NoCall, true, true,
         std::nullopt}, // the answering machine took it: taken, not answered
        {"tR", TalkOutcome::NoCall, TalkOutcome::Done, TalkOutcome::NoCall, true, true,
         std::nullopt},
        {"tos", TalkOutcome::NoCall, TalkOutcome::NoCall, TalkOutcome::Done, true, false,
         TalkRequest::End},
        {"trs", TalkOutcome::NoCall, TalkOutcome::NoCall, TalkOutcome::Done, true, false,
         TalkRequest::End}, // asked for, not yet answered: the button is spent
    };
    for (const Case& c : cases) {
        const std::string s = c.state;
        auto has = [&](char ch) { return s.find(ch) != std::string::npos; };
        CallFlags f;
        f.bRinging = has('r');
        f.bOffHook = has('o');
        f.bRecording = has('R');
        f.bSpeakerphone = has('s');
        const bool can = has('t');
        EXPECT_EQ(TalkOutcomeFor(TalkRequest::Answer, can, f), c.answer) << s;
        EXPECT_EQ(TalkOutcomeFor(TalkRequest::Take, can, f), c.take) << s;
        EXPECT_EQ(TalkOutcomeFor(TalkRequest::End, can, f), c.end) << s;
        EXPECT_EQ(TalkButtonFor(can, f).bShown, c.shown) << s;
        EXPECT_EQ(TalkButtonFor(can, f).bEnabled, c.enabled) << s;
        EXPECT_EQ(HookButtonRequestFor(can, f), c.hook) << s;
    }
}

TEST(MainWindowRules, ThePopupOffersBlockAndPermitOnlyForANumber) {
    const std::pair<const char*, bool> cases[] = {
        {"555-1234", true}, {"+44 20 7946 0018", true}, {"", false},  {"NA", false},
        {"P", false},       {"Private", false},         {"O", false}, {"Anonymous", false},
    };
    for (auto [number, bOffered] : cases)
        EXPECT_EQ(OffersListCommands(number), bOffered) << number;
}

} // namespace
