#include "platform/TextUtil.h"
#include "platform/Strings.h"

#include <gtest/gtest.h>

TEST(TextUtil, SplitKeepsEveryPartIncludingEmptyOnes) {
    EXPECT_EQ(SplitKeepEmpty("", ';'), std::vector<std::string>{""});
    EXPECT_EQ(SplitKeepEmpty("1;2;", ';'), (std::vector<std::string>{"1", "2", ""}));
    EXPECT_EQ(SplitKeepEmpty(";;", ';'), (std::vector<std::string>{"", "", ""}));
}

TEST(TextUtil, Utf8TruncateNeverSplitsACharacter) {
    EXPECT_EQ(Utf8Truncate("abc", 5), "abc");
    EXPECT_EQ(Utf8Truncate("ab\xE2\x82\xAC", 4), "ab"); // euro sign needs 3 bytes
    EXPECT_EQ(Utf8Truncate("ab\xE2\x82\xAC", 5), "ab\xE2\x82\xAC");
    EXPECT_EQ(Utf8Truncate("abcdef", 3), "abc");
}

TEST(Strings, KnownIdsHaveTheirTextAndUnknownIdsAreEmpty) {
    EXPECT_STREQ(LoadStr(57708), "Could not write data to the port.");
    EXPECT_STREQ(LoadStr(57859), "Scanning COM%d...");
    EXPECT_STREQ(LoadStr(1), "");
    EXPECT_FALSE(HasStr(99999));
}
