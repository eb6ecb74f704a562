#include "engine/CallState.h"
#include "engine/DialSteps.h"
#include "engine/KeyTables.h"
#include "modem/ResultCodes.h"

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
