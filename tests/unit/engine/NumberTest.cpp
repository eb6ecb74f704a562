#include "engine/CallState.h"
#include "engine/CallerText.h"

#include <gtest/gtest.h>

TEST(FormatDisplayNumber, LayoutByLength) {
    EXPECT_EQ(FormatDisplayNumber("55512"), "55512");   // under 6: unchanged
    EXPECT_EQ(FormatDisplayNumber("555123"), "555123"); // 6: the digits alone
    // 7, 10 and 11 digits: the caller-ID story's table.
    EXPECT_EQ(FormatDisplayNumber("555 1234"), "5551234"); // 8: the digits alone
    EXPECT_EQ(FormatDisplayNumber("+44 20 7946 0958"), "442079460958");
    // A layout length with too few digits to fill it is left as it is.
    EXPECT_EQ(FormatDisplayNumber("555-123"), "555-123");
    EXPECT_EQ(FormatDisplayNumber("1 PRIVATE!"), "1 PRIVATE!");
}

// The call list's filter for a caller (the "NA" of no number: none).
TEST(CallerIdRules, CallListFilter) {
    EXPECT_EQ(CallListFilterFor("NA"), "");
    EXPECT_EQ(CallListFilterFor("  5551234 "), "5551234");
    EXPECT_EQ(CallListFilterFor(" 5 "), "");
    EXPECT_EQ(CallListFilterFor("PRIVATE"), "PRIVATE");
}

TEST(CallerText, SanitizeAndLeadingInt) {
    EXPECT_EQ(SanitizeCallerText(std::string("a\0b\tc\x7f\r\n", 8)), "ab c");
    EXPECT_EQ(SanitizeCallerText("caf\xC3\xA9"), "caf\xC3\xA9"); // valid UTF-8 stays
    EXPECT_EQ(SanitizeCallerText("\xC0\xAF"), "??");             // overlong "/" does not
    EXPECT_EQ(SanitizeCallerText("\xED\xA0\x80"), "???");        // nor a surrogate
    EXPECT_EQ(SanitizeCallerText("ab\xE2\x82\xAC", 4), "ab");    // cut on a character
    EXPECT_EQ(SanitizeCallerText(std::string(1000, 'x')).size(), kMaxCallerField);
    EXPECT_EQ(CleanCidValue("\r\n = :5551234 "), "5551234 ");
    EXPECT_EQ(LeadingInt("0123x9"), 123);
    EXPECT_EQ(LeadingInt("x9"), 0);
    EXPECT_EQ(LeadingInt("99999999999999999999"), INT32_MAX);
}

TEST(RecentCalls, BoundedAndClosedAtTheEnd) {
    CCallStateData state;
    state.CloseLastRecentCall(); // nothing to close: no harm
    for (size_t i = 0; i < kMaxRecentCalls + 5; ++i) {
        CNumber c;
        c.m_nCidNumber = static_cast<int32_t>(i);
        state.AppendRecentCall(c);
    }
    state.CloseLastRecentCall();
    auto calls = state.recentCalls.Get();
    ASSERT_EQ(calls.size(), kMaxRecentCalls);
    EXPECT_EQ(calls.front().m_nCidNumber, 5); // the oldest went first
    EXPECT_EQ(calls.back().m_nClosed, 1);
    EXPECT_EQ(calls[calls.size() - 2].m_nClosed, 0);
}
