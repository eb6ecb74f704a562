// Names of old call indexes in an 8-bit code page, read as the text they were.
#include "calllog/LegacyText.h"

#include "RunProgram.h"
#include "TempHome.h"
#include "config/SettingsProvider.h"

#include <filesystem>
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

TEST(LegacyTextTest, TheCodePageIsASettingWithTheStoredFilesDefault) {
    CMemorySettingsProvider settings;
    CScopedSettingsProvider use(settings);
    EXPECT_EQ(LegacyCodePage(), "WINDOWS-1252");
    ASSERT_TRUE(settings.SetString("sLegacyCodePage", "ISO-8859-15"));
    EXPECT_EQ(LegacyCodePage(), "ISO-8859-15");
}

// An index an earlier version wrote in Windows-1252, listed and exported by
// the tool: the names come out as the text they were, not as U+FFFD.
TEST(LegacyTextTest, OldIndexesAreListedAndExportedAsTheirText) {
    TempHome home;
    ::unsetenv("LC_ALL");
    ::setenv("LC_TIME", "C.UTF-8", 1);
    const std::string folder = home.File("Recorded Calls/");
    std::filesystem::create_directories(home.File("xml"));
    home.Write("Recorded Calls/index.dat",
               "\"a.wav\",\"21:05\",\"12/06/26\",\"555\",\"Jos\xe9 M\xfcller\",\"Caf\xe9 \x80 5\","
               "\"\",\"5\",\"0\",\"0\",\"0\"\r\n"
               "\"b.wav\",\"21:06\",\"12/06/26\",\"556\",\"Zo\xc3\xab\",\"\",\"\",\"5\",\"0\","
               "\"0\",\"0\"\r\n");
    const std::string tool =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" /
         "vorella-tool")
            .string();
    ProgramResult list = RunProgram({tool, "index", folder});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("\tJos\u00e9 M\u00fcller\t"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("\tZo\u00eb\t"), std::string::npos) << list.output;

    const std::string out = home.File("xml/Call List.xml");
    ProgramResult exported = RunProgram({tool, "export-xml", folder, out});
    ASSERT_EQ(exported.status, 0) << exported.output;
    auto xpath = [&](const std::string& expr) {
        ProgramResult r = RunProgram({"xmllint", "--xpath", "string(" + expr + ")", out});
        EXPECT_EQ(r.status, 0) << r.output;
        if (!r.output.empty() && r.output.back() == '\n')
            r.output.pop_back();
        return r.output;
    };
    EXPECT_EQ(xpath("/calls/call[1]/name"), "Jos\u00e9 M\u00fcller");
    EXPECT_EQ(xpath("/calls/call[1]/memo"), "Caf\u00e9 \u20ac 5");
    EXPECT_EQ(xpath("/calls/call[2]/name"), "Zo\u00eb");
    // The index itself stays as the earlier version wrote it.
    EXPECT_NE(home.Read("Recorded Calls/index.dat").find("Jos\xe9 M\xfcller"), std::string::npos);
}

} // namespace
