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

TEST(KeyTables, EventTexts) {
    EXPECT_EQ(EventStatusText('b'), "Busy");
    EXPECT_EQ(EventStatusText('c'), "Calling Tone (Fax)");
    EXPECT_EQ(EventStatusText('d'), "Dial Tone");
    EXPECT_EQ(EventStatusText('h'), "Handset Off-Hook");
    EXPECT_EQ(EventStatusText('H'), "Handset Off-Hook");
    EXPECT_EQ(EventStatusText('q'), "Quiet (Some voice received)");
    EXPECT_EQ(EventStatusText('s'), "Silence (Valid voice not detected)");
    EXPECT_EQ(EventStatusText('Z'), "Bad frame in compressed flow.");
    EXPECT_EQ(EventStatusText('5'), "Tone Key '5'");
    EXPECT_EQ(EventStatusText('#'), "Tone Key '#'");
    EXPECT_EQ(EventStatusText('x'), "signal 'x'");
    EXPECT_EQ(EventStatusText('%'), "signal '%'");
    EXPECT_EQ(EventStatusText('\n'), "signal '?'");
    EXPECT_EQ(EventStatusText(0xE9), "signal '?'");
}

TEST(ActionTable, RequestsAndTheDispatcherRule) {
    CCallState calls;
    calls.RequestAction(kActionAnswer);
    int cleared = 0;
    for (int code = 0; code < kFirstNonAction; ++code)
        if (const ActionInfo* a = FindAction(code); a && a->bDispatcherClears)
            ++cleared;
    EXPECT_EQ(cleared, 6); // 8, 14, 16, 17, 22 and 24
    for (int code : {4, 5, 7, 11, 12, 15, 20, 25, 26, 27, 1000})
        EXPECT_EQ(FindAction(code), nullptr) << code;
    // A dialog withdraws its own request only, never someone else's.
    EXPECT_FALSE(calls.WithdrawAction(kActionQuiet));
    EXPECT_TRUE(calls.Flags().bActionPending);
    EXPECT_TRUE(calls.WithdrawAction(kActionAnswer));
    EXPECT_FALSE(calls.Flags().bActionPending);
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

TEST(DialSteps, ResultTable) {
    struct Row {
        int result;
        const char* text;
        bool connected;
        bool stop;
    };
    // OK, VCON, CONNECT, BUSY, NO ANSWER, NO CARRIER and NO DIAL TONE: the
    // dial-out story, from the modem's words to the line.
    const Row rows[] = {
        {kResultVoice, "Result - Voice", true, false},
        {kResultRinging, "Result - Ringing", true, false},
        {kResultError, "Result - Error", false, true},
        {kResultNone, "Result - Unknown Error", false, false},
        {kResultRing, "Result - Unknown Error", false, false},
        {-100, "Result - Unknown Error", false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(DialStatusText(r.result), r.text) << r.result;
        EXPECT_EQ(LookupDialResult(r.result).bConnected, r.connected) << r.result;
        EXPECT_EQ(LookupDialResult(r.result).bRaiseStop, r.stop) << r.result;
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
