#include "engine/CallState.h"
#include "engine/DialSteps.h"
#include "engine/KeyTables.h"
#include "engine/ScheduledGreeting.h"
#include "modem/ResultCodes.h"

#include "TempHome.h"

#include <gtest/gtest.h>

TEST(KeyTables, EveryKeyFindsItsSlot) {
    DtmfTable table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<int>(100 + i);
    const std::string keys = "0123456789ABCD*#";
    for (size_t i = 0; i < keys.size(); ++i) {
        KeyAction a = LookupKeyAction(keys[i], table);
        EXPECT_TRUE(a.bKey) << keys[i];
        EXPECT_EQ(a.nAction, static_cast<int>(100 + i)) << keys[i];
        EXPECT_TRUE(a.bRuns);
    }
    for (int ch : {int('a'), int('E'), int('Z'), int('b'), 0, 255, -1})
        EXPECT_FALSE(LookupKeyAction(ch, table).bKey) << ch;

    table[kDtmfStar] = kActionRecord;
    table[kDtmfNum] = kActionAnswer;
    table[5] = kFirstNonAction;
    EXPECT_EQ(LookupKeyAction('*', table).nAction, kActionRecord);
    EXPECT_EQ(LookupKeyAction('#', table).nAction, kActionAnswer);
    EXPECT_FALSE(LookupKeyAction('5', table).bRuns); // 1000 and more run nothing
    EXPECT_TRUE(LookupKeyAction('4', table).bRuns);
}

// A status line names a known event by its text, a key as a key, and any
// other byte as a signal, shown only when it is printable.
TEST(KeyTables, EventTexts) {
    const std::pair<int, const char*> cases[] = {
        {'b', "Busy"},       {'5', "Tone Key '5'"}, {'#', "Tone Key '#'"},
        {'%', "signal '%'"}, {'\n', "signal '?'"},  {0xE9, "signal '?'"},
    };
    for (const auto& [ch, text] : cases)
        EXPECT_EQ(EventStatusText(ch), text) << ch;
}

// A dialog withdraws its own request only, never someone else's.
TEST(ActionTable, ADialogWithdrawsOnlyItsOwnRequest) {
    CCallState calls;
    calls.RequestAction(kActionAnswer);
    EXPECT_FALSE(calls.WithdrawAction(kActionQuiet));
    EXPECT_TRUE(calls.Flags().bActionPending);
    EXPECT_TRUE(calls.WithdrawAction(kActionAnswer));
    EXPECT_FALSE(calls.Flags().bActionPending);
    EXPECT_EQ(FindAction(kFirstNonAction), nullptr); // 1000 and more are no actions
}

TEST(DialSteps, NumberPreparation) {
    DialPrepSettings s;
    s.bAlphaConvert = true;
    EXPECT_EQ(PrepareDialNumber("1-800-FLOWERS", s), "1-800-3569377");
    EXPECT_EQ(PrepareDialNumber("1-800-flowers", s), "1-800-flowers");
    EXPECT_EQ(AlphaToKeypad("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "22233344455566677778889999");
    s.bAlphaConvert = false;
    EXPECT_EQ(PrepareDialNumber("FLOWERS", s), "FLOWERS");

    EXPECT_EQ(PrepareDialNumber("5551234;;", s), "5551234");
    s.bCompatibleDial = true;
    EXPECT_EQ(PrepareDialNumber("5551234;;", s), "5551234;");
    s.bCompatibleDial = false;
    s.fKestrixCustomization = true;
    EXPECT_EQ(PrepareDialNumber("5551234", s), "5551234;");

    // A number cannot smuggle a second command line to the modem, nor grow unbounded.
    s.fKestrixCustomization = false;
    EXPECT_EQ(PrepareDialNumber("555\r\nAT&F\0", s), "555AT&F");
    EXPECT_EQ(PrepareDialNumber(std::string(1000, '9'), s).size(), kMaxDialNumber);
    EXPECT_EQ(OriginatedText("555\n1234"), "Originated: 5551234");
}

// The modem's answers to a dial that the dial-out story cannot provoke: an
// error stops the call, an answer of no known kind neither connects nor stops.
TEST(DialSteps, ResultsOutsideTheDialStory) {
    EXPECT_EQ(DialStatusText(kResultError), "Result - Error");
    EXPECT_TRUE(LookupDialResult(kResultError).bRaiseStop);
    for (int result : {int(kResultNone), int(kResultRing), -100}) {
        EXPECT_EQ(DialStatusText(result), "Result - Unknown Error") << result;
        EXPECT_FALSE(LookupDialResult(result).bConnected) << result;
        EXPECT_FALSE(LookupDialResult(result).bRaiseStop) << result;
    }
}

TEST(KeyTables, KeysFromATelephonyLine) {
    EXPECT_EQ(ReactToLineKey('*', false, false, false, false, false),
              LineKeyReaction::RequestRecord);
    EXPECT_EQ(ReactToLineKey('#', false, false, false, false, false),
              LineKeyReaction::RequestAnswer);
    EXPECT_EQ(ReactToLineKey('5', false, true, false, true, false), LineKeyReaction::Nothing);
    // During a recording both keys stop the call.
    EXPECT_EQ(ReactToLineKey('*', false, false, false, false, true), LineKeyReaction::StopCall);
    EXPECT_EQ(ReactToLineKey('#', false, false, false, false, true), LineKeyReaction::StopCall);

    // Recording at once: keys matter only in the enhanced hold.
    EXPECT_EQ(ReactToLineKey('*', true, false, false, false, false), LineKeyReaction::Nothing);
    EXPECT_EQ(ReactToLineKey('5', true, true, false, false, false), LineKeyReaction::Dispatch);
    EXPECT_EQ(ReactToLineKey('5', true, true, true, false, false), LineKeyReaction::Nothing);
    EXPECT_EQ(ReactToLineKey('5', true, true, true, true, false), LineKeyReaction::Dispatch);
}

// The greeting schedule: the first entry that holds the moment wins; a
// range's start is in it, its end is not; an overnight range belongs to the
// day it starts; a missing file, or a text refused with its column, gives
// the normal greeting and says why.
TEST(GreetingSchedule, ChoosesByDayAndTimeOrSaysWhyNot) {
    const TempHome home;
    for (const char* f : {"wave/office.wav", "wave/weekend.wav", "wave/night.wav", "wave/any.wav"})
        home.Write(f, "RIFF");
    const std::string week = "Mon-Fri 08:00-18:00 office.wav; sat,Sun weekend.wav; * any.wav";
    const std::string night = "Fri 22:00-06:00 night.wav;Sun-Mon 00:00-24:00 weekend.wav; * any.wav";
    struct Row {
        std::string text;
        int nWeekday, nMinute;
        const char* file;
        const char* problem;
    } const rows[] = {
        {week, 0, 8 * 60, "wave/office.wav", ""},
        {week, 4, 18 * 60, "wave/any.wav", ""},
        {week, 5, 10 * 60, "wave/weekend.wav", ""},
        {night, 4, 23 * 60, "wave/night.wav", ""},
        {night, 5, 3 * 60, "wave/night.wav", ""},   // Saturday morning
        {night, 4, 3 * 60, "wave/any.wav", ""},     // Friday morning is Thursday's night
        {night, 0, 23 * 60 + 59, "wave/weekend.wav", ""},
        {"Tue office.wav", 0, 600, "", ""},         // nothing holds Monday
        {"Mon gone.wav; * any.wav", 0, 600, "", "sScheduleGreeting: cannot open "},
        {"Mon-Fri 08:00-1800 office.wav", 0, 600, "",
         "sScheduleGreeting: column 15: expected a time like 08:00"},
        {"Mon-Fry x.wav", 0, 600, "", "sScheduleGreeting: column 5: expected a day (Mon to Sun)"},
        {"Mon 08:00-09:00 ; * any.wav", 0, 500, "",
         "sScheduleGreeting: column 17: expected the greeting's file name"},
        {"office.wav", 0, 600, "", "sScheduleGreeting: column 1: expected a day (Mon to Sun)"},
    };
    for (const Row& r : rows) {
        const ScheduledGreetingChoice c = ChooseScheduledGreeting(r.text, r.nWeekday, r.nMinute);
        EXPECT_EQ(c.sFile, *r.file ? home.File(r.file) : "") << r.text << " " << r.nMinute;
        EXPECT_EQ(c.sProblem.substr(0, std::string(r.problem).size()), r.problem) << r.text;
    }
}
