#include "calllog/CallTime.h"

#include "ScopedEnv.h"

#include <gtest/gtest.h>

namespace {

class CallTimeTest : public ::testing::Test {
protected:
    ScopedEnv lcAll{"LC_ALL", nullptr}, lcTime{"LC_TIME", "C.UTF-8"};
};

std::tm Make(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

TEST_F(CallTimeTest, FollowsTheUsersLocaleWithoutSeconds) {
    CallTimeLocale loc;
    EXPECT_EQ(loc.DateFormat(), "%m/%d/%y");
    EXPECT_EQ(loc.TimeFormat(), "%H:%M");
    std::tm t = Make(2026, 12, 6, 21, 5, 59);
    EXPECT_EQ(loc.FormatDate(t), "12/06/26");
    EXPECT_EQ(loc.FormatTime(t), "21:05");
    // The key is built by parsing the texts back: no seconds survive.
    EXPECT_EQ(loc.SortKey("12/06/26", "21:05"), "20261206210500");
    // Out-of-range fields give no text instead of nonsense.
    EXPECT_EQ(loc.FormatDate(Make(2026, 13, 1, 0, 0, 0)), "");
}

TEST_F(CallTimeTest, DatesAndTimesWrittenUnderOtherLocalesKeepTheirKey) {
    // The reader's locale is month first with two-digit years and a 24-hour
    // clock; the index was written elsewhere.
    struct Case {
        const char* date;
        const char* time;
        const char* key;
    } cases[] = {
        {"12/06/2026", "21:05", "20261206210500"},   // four-digit year
        {"12/6/2026", "9:05 PM", "20261206210500"},  // 12-hour clock, no leading zeros
        {"12/06/26", "09:05 pm", "20261206210500"},  // lower-case pm
        {"12/06/26", "12:00 AM", "20261206000000"},  // midnight
        {"12/06/26", "12:30 PM", "20261206123000"},  // half past noon
        {"12/06/26", "9:05:42 PM", "20261206210542"}, // with seconds
        {"12/06/26", "21:05:42", "20261206210542"},
        {"12/06/26", "21.05", "20261206210500"},
        {"25/12/2026", "21:05", "20261225210500"},   // day first: no 25th month
        {"06.12.2026", "21:05", "20261206210500"},   // dots: day first
        {"6.12.26", "21:05", "20261206210500"},
        {"06-12-2026", "21:05", "20261206210500"},   // dashes: day first
        {"2026-12-06", "21:05", "20261206210500"},   // ISO
        {"2026/12/06", "21:05", "20261206210500"},
        {"06/12/2026", "21:05", "20260612210500"},   // both could be the month: ours wins
        {"1/2/99", "21:05", "19990102210500"},
        // Unparsable parts of the key are -1.
        {"", "21:05", "-001-01-01210500"},
        {"12/06/26", "noon", "20261206-01-01-01"},
        {"12/06/26 junk", "", "-001-01-01-01-01-01"},
    };
    CallTimeLocale loc;
    for (const Case& c : cases)
        EXPECT_EQ(loc.SortKey(c.date, c.time), c.key) << c.date << " " << c.time;
}

TEST_F(CallTimeTest, FormatEditingHandlesTheCommonLocaleShapes) {
    EXPECT_EQ(TimeFormatWithoutSeconds("%H:%M:%S"), "%H:%M");
    EXPECT_EQ(TimeFormatWithoutSeconds("%I:%M:%S %p"), "%I:%M %p");
    EXPECT_EQ(TimeFormatWithoutSeconds("%H.%M.%S"), "%H.%M");
    EXPECT_EQ(TimeFormatWithoutSeconds("%H:%M"), "%H:%M");
    EXPECT_EQ(ExpandTimeFormat("%T", ""), "%H:%M:%S");
    EXPECT_EQ(ExpandTimeFormat("%r", "%I:%M:%S %p"), "%I:%M:%S %p");
    EXPECT_EQ(ExpandTimeFormat("%D", ""), "%m/%d/%y");
    EXPECT_EQ(ExpandTimeFormat("%Ey-%Om", ""), "%y-%m");
}

} // namespace
