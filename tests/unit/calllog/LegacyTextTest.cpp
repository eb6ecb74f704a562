// Names of old call indexes in an 8-bit code page, read as the text they were.
#include "calllog/LegacyText.h"

#include <gtest/gtest.h>

namespace {

TEST(LegacyTextTest, OnlyWhatIsNotUtf8IsReadInTheLegacyCodePage) {
    struct Case {
        const char* stored;
        const char* codePage;
        const char* text;
        bool error;
    } cases[] = {
        {"Jos\xe9 M\xfcller", "WINDOWS-1252", "Jos\u00e9 M\u00fcller", false},
        {"\x80uro \x93q\x94", "WINDOWS-1252", "\u20acuro \u201cq\u201d", false},
        // Valid UTF-8 stays as it is, beside legacy bytes too.
        {"Andr\xc3\xa9", "WINDOWS-1252", "Andr\u00e9", false},
        {"\xc3\xa9 and \xe9", "WINDOWS-1252", "\u00e9 and \u00e9", false},
        {"plain", "NO-SUCH-CODE-PAGE", "plain", false},
        // A UTF-8 sequence cut short is legacy text.
        {"abc\xc3", "WINDOWS-1252", "abc\u00c3", false},
        // The setting decides: the same byte in another code page.
        {"\xa4 5", "ISO-8859-15", "\u20ac 5", false},
        {"\xa4 5", "WINDOWS-1252", "\u00a4 5", false},
        // Bytes the code page leaves undefined, and unknown code pages.
        {"a\x81z", "WINDOWS-1252", "a\ufffdz", true},
        {"Jos\xe9", "NO-SUCH-CODE-PAGE", "Jos\ufffd", true},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(TextFromIndex(c.stored, c.codePage, &error), c.text) << c.stored;
        EXPECT_EQ(!error.empty(), c.error) << c.stored << ": " << error;
    }
}

} // namespace
