#include "notify/MailText.h"
#include "notify/Base64.h"

#include "ChildProcess.h"
#include "TempHome.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Line lengths and padding are checked against coreutils below.
TEST(Base64Test, EmptyInputAndUnbrokenForm) {
    EXPECT_EQ(Base64EncodeLines("", 0), "\r\n");
    EXPECT_EQ(Base64Encode(std::string("\0alice\0pw", 9)), "AGFsaWNlAHB3");
}

TEST(Base64Test, MatchesCoreutilsBase64) {
    TempHome home;
    std::mt19937 rng(5);
    for (size_t size : {1u, 2u, 3u, 56u, 57u, 58u, 1000u, 65537u}) {
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(rng());
        ASSERT_TRUE(WriteFileAtomic(home.File("in"), data));
        ProgramRun r = RunProgram({"base64", "-w", "76", home.File("in")});
        ASSERT_EQ(r.nExit, 0) << r.err;
        std::string ours = Base64EncodeLines(data.data(), data.size());
        std::erase(ours, '\r');
        EXPECT_EQ(ours, r.out) << size;
    }
}

TEST(MailTextTest, QuotedPrintableKeepsLinesShortAndSafe) {
    std::string text = ".starts with a dot\n-- looks like a boundary\r\nrate=5, caf\xc3\xa9 \n" +
                       std::string(200, 'x') + "\rtrailing \t";
    std::string qp = EncodeQuotedPrintable(text);
    size_t start = 0;
    while (start < qp.size()) {
        size_t end = qp.find("\r\n", start);
        if (end == std::string::npos)
            end = qp.size(); // the text's own last line has no break
        std::string line = qp.substr(start, end - start);
        EXPECT_LE(line.size(), 76u) << line;
        if (!line.empty()) {
            EXPECT_NE(line[0], '.') << line;
            EXPECT_NE(line[0], '-') << line;
        }
        start = end + 2;
    }
    EXPECT_EQ(EncodeQuotedPrintable("a=b \nc"), "a=3Db=20\r\nc");
    EXPECT_NE(qp.find("=2Estarts"), std::string::npos);
    EXPECT_NE(qp.find("caf=C3=A9"), std::string::npos);
    EXPECT_NE(qp.find("trailing =09"), std::string::npos);
}

TEST(MailTextTest, DotStuffingCoversEveryLineStart) {
    EXPECT_EQ(DotStuff(".\r\n.a\r\nb.\r\n..\r\n"), "..\r\n..a\r\nb.\r\n...\r\n");
    EXPECT_EQ(DotStuff("no dots"), "no dots");
    EXPECT_EQ(NormalizeLineEnds("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
}

TEST(MailTextTest, HeaderValuesCannotBreakTheHeader) {
    EXPECT_EQ(HeaderSafe("Evil\r\nBcc: x@y\x01"), "Evil  Bcc: x@y ");
    EXPECT_EQ(EncodeHeaderText("Plain subject"), "Plain subject");
    EXPECT_EQ(EncodeHeaderText("Zo\xc3\xab"), "=?UTF-8?B?Wm/Dqw==?=");
    std::string longWord = EncodeHeaderText(std::string(60, '\xc3') + "x");
    EXPECT_EQ(longWord.find('\n') == std::string::npos, false); // folded
    EXPECT_EQ(EncodeDisplayName("Vorella"), "Vorella");
    EXPECT_EQ(EncodeDisplayName("Smith, John \"JS\""), "\"Smith, John \\\"JS\\\"\"");
}

TEST(MailTextTest, DateCarriesTheZoneWithItsSign) {
    struct {
        const char* tz; // POSIX TZ: the offset sign is inverted
        const char* zone;
    } cases[] = {
        {"IST-5:30", "+0530"}, {"NST3:30", "-0330"}, {"XXX0:30", "-0030"}, {"UTC0", "+0000"}};
    for (const auto& c : cases) {
        ::setenv("TZ", c.tz, 1);
        ::tzset();
        std::string date = FormatMailDate(1796591142); // 2026-12-06 21:05:42 UTC
        EXPECT_EQ(date.substr(date.size() - 5), c.zone) << c.tz;
    }
}

} // namespace
