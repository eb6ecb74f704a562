#include "platform/TextUtil.h"

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

TEST(TextUtil, LowerCaseForSearchingCoversEveryScriptAndKeepsBrokenBytes) {
    EXPECT_EQ(ToLowerUtf8("JOHN Doe 555"), "john doe 555");
    EXPECT_EQ(ToLowerUtf8("MÜLLER, ÉLODIE"), "müller, élodie");
    EXPECT_EQ(ToLowerUtf8("ΣΟΦΙΑ ПЕТРОВ"), "σοφια петров");
    // Not UTF-8 (a stranger's caller ID): left byte for byte.
    EXPECT_EQ(ToLowerUtf8("A\xff\xc3Z"), "a\xff\xc3z");
    EXPECT_EQ(ToLowerUtf8("\xed\xa0\x80X"), "\xed\xa0\x80x") << "a surrogate is no character";
}
