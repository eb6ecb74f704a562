// Translations of the string table: reading a catalogue, refusing what could
// harm, looking texts up with the English as the fallback.
#include "platform/StringCatalogue.h"
#include "ScopedEnv.h"
#include "TempHome.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <optional>

namespace {

bool HasProblem(const StringCatalogue& cat, const std::string& part) {
    for (const std::string& p : cat.problems)
        if (p.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(StringCatalogue, FormatShapeNamesEveryArgumentInOrder) {
    struct Case {
        const char* format;
        std::optional<std::string> shape;
    };
    const Case cases[] = {
        {"Ready", ""},
        {"100%% sure", ""},
        {"%s, #%s", "ss"},
        {"COM%d of %u (%x) %c", "dddd"},
        {"%-10s|%05.2f|%*d|%.*s", "sfddds"},
        {"%ld %lld %zu %hhd", "ldlldzdhhd"},
        {"%p", "p"},
        {"%n", std::nullopt},   // writes through a pointer
        {"%1$s", std::nullopt}, // positional
        {"%y", std::nullopt},   // no such conversion
        {"ends in %", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatShape(c.format), c.shape) << c.format;
    // Every English text can be checked, or no translation of it would
    // count; and none sends the user to reinstall something (a message names
    // what to check instead: a device plugged in, a setting, a permission).
    for (int id : StringIds()) {
        EXPECT_TRUE(FormatShape(LoadEnglishStr(id))) << id;
        EXPECT_EQ(ToLowerAscii(LoadEnglishStr(id)).find("reinstall"), std::string::npos) << id;
    }
}

TEST(StringCatalogue, GoodLinesAreReadWithTheirEscapes) {
    const StringCatalogue cat =
        ParseStringCatalogue("\xEF\xBB\xBF# Deutsch\r\n"
                             "\n"
                             "109=Bereit\r\n"
                             "  110 = Gespräch wird aufgezeichnet\n"
                             "105=Anruf von %s, %s, um %s, %s.\\n\\nNotiz:\\n\\n%s\n"
                             "57859=Suche auf COM%d ...",
                             "de.strings");
    EXPECT_TRUE(cat.problems.empty()) << cat.problems.front();
    ASSERT_EQ(cat.texts.size(), 4u);
    EXPECT_EQ(cat.texts.at(109), "Bereit");
    EXPECT_EQ(cat.texts.at(110), " Gespräch wird aufgezeichnet");
    EXPECT_EQ(cat.texts.at(105), "Anruf von %s, %s, um %s, %s.\n\nNotiz:\n\n%s");
    EXPECT_EQ(cat.texts.at(57859), "Suche auf COM%d ...");
}

TEST(StringCatalogue, AHostileCatalogueLosesOnlyItsBadLines) {
    const std::string huge = "109=" + std::string(kMaxCatalogueLine, 'x');
    const StringCatalogue cat =
        ParseStringCatalogue("110 Aufnahme\n"          // 1: no '='
                             "abc=Text\n"              // 2: id not a number
                             "99999=Text\n"            // 3: no such string
                             "122=Spielt\\x\n"         // 4: bad escape
                             "131=Angehalten\\\n"      // 5: escape at the end
                             "57859=Suche auf COM%s\n" // 6: %s where the original has %d
                             "154=%s\n"                // 7: one argument fewer
                             "105=%s %s %s %s %s %s\n" // 8: one more
                             "57760=%n\n"              // 9: %n never passes
                             "109=Bereit\xff\n"        // 10: not UTF-8
                             "167=<xml/>\n"            // 11: a fixed text
                                 + huge +
                                 "\n"                          // 12: too long
                                 "109=Bereit\n"                // 13: good
                                 "109=Fertig\n"                // 14: again
                                 "57708=Port kaputt: 100%%\n", // 15: good, "%%" is no argument
                             "evil.strings");
    EXPECT_EQ(cat.texts.size(), 2u);
    EXPECT_EQ(cat.texts.at(109), "Bereit");
    EXPECT_EQ(cat.texts.at(57708), "Port kaputt: 100%%");
    EXPECT_EQ(cat.problems.size(), 13u);
    for (int line = 1; line <= 14; ++line) {
        if (line != 13) {
            EXPECT_TRUE(HasProblem(cat, "evil.strings:" + std::to_string(line) + ": "))
                << "line " << line;
        }
    }
    EXPECT_TRUE(HasProblem(cat, ":6: string 57859 does not take the same printf arguments"));
    EXPECT_TRUE(HasProblem(cat, ":12: line too long"));
}

TEST(StringCatalogue, AFileTooBigOrMissingIsNotUsedAndSaysSo) {
    TempHome home;
    home.Write("lang/big.strings", std::string(kMaxCatalogueFile + 1, '#'));
    const StringCatalogue big = ReadStringCatalogue(home.File("lang/big.strings"));
    EXPECT_TRUE(big.texts.empty());
    EXPECT_TRUE(HasProblem(big, "big.strings: cannot be read"));
    EXPECT_TRUE(HasProblem(ReadStringCatalogue(home.File("none.strings")), "none.strings"));
}

TEST(StringCatalogue, LoadStrTakesTheCatalogueAndFallsBackToEnglish) {
    const char* before = LoadStr(109);
    UseStringCatalogue(ParseStringCatalogue("109=Bereit\n57859=Suche auf COM%s\n", "de"));
    EXPECT_STREQ(LoadStr(109), "Bereit");
    EXPECT_STREQ(LoadStr(110), "Recording conversation") << "missing: English";
    EXPECT_STREQ(LoadStr(57859), "Scanning COM%d...") << "refused: English";
    EXPECT_STREQ(LoadStr(1), "");
    EXPECT_FALSE(HasStr(99999));
    EXPECT_STREQ(LoadEnglishStr(109), "Ready");
    const char* german = LoadStr(109);
    UseStringCatalogue(StringCatalogue{});
    EXPECT_STREQ(LoadStr(109), "Ready");
    // Texts handed out before stay readable.
    EXPECT_STREQ(before, "Ready");
    EXPECT_STREQ(german, "Bereit");
}

TEST(StringCatalogue, TheWantedLanguagesFollowLanguageAndTheLocale) {
    ScopedEnv all("LC_ALL", nullptr), msgs("LC_MESSAGES", nullptr);
    const struct {
        const char* lang;
        const char* language;
        std::vector<std::string> wanted;
    } cases[] = {
        {"de_AT.UTF-8@euro", "pt_BR:fr:en:de", {"pt_BR", "pt", "fr"}}, // nothing after English
        {"de_AT.UTF-8", nullptr, {"de_AT", "de"}},
        {"C.UTF-8", "de", {}}, // the C locale is English whatever LANGUAGE says
        // A name that is no language never becomes part of a path.
        {"de_DE", "../../etc/x:de/../x", {"de_DE", "de"}},
    };
    for (const auto& c : cases) {
        ScopedEnv lang("LANG", c.lang), language("LANGUAGE", c.language);
        EXPECT_EQ(WantedLanguages(), c.wanted) << c.lang;
    }
}

TEST(StringCatalogue, TheFirstFolderWithTheMostWantedLanguageWins) {
    TempHome home;
    home.Write("a/vorella-de.strings", "109=Bereit\n");
    home.Write("b/vorella-de_AT.strings", "109=Fertig\n");
    home.Write("b/vorella-de.strings", "109=Bereit!\n");
    const std::vector<std::string> folders{home.File("a"), home.File("b/")};
    EXPECT_EQ(FindStringCatalogue({"de_AT", "de"}, folders), home.File("b/vorella-de_AT.strings"));
    EXPECT_EQ(FindStringCatalogue({"de"}, folders), home.File("a/vorella-de.strings"));
    EXPECT_EQ(FindStringCatalogue({"fr"}, folders), "");
    EXPECT_EQ(StringCatalogueFolders().front(), home.File("lang/")) << "VORELLA_HOME first";
}

TEST(StringCatalogue, EveryShippedCatalogueReadsWithoutAProblem) {
    const std::string folder = ShippedDataFolder() + "lang/";
    DIR* dir = ::opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    int nFiles = 0;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 8 || name.compare(name.size() - 8, 8, ".strings") != 0)
            continue;
        ++nFiles;
        const StringCatalogue cat = ReadStringCatalogue(folder + name);
        EXPECT_TRUE(cat.problems.empty()) << cat.problems.front();
        EXPECT_FALSE(cat.texts.empty()) << name;
    }
    ::closedir(dir);
    EXPECT_GT(nFiles, 0);
}

} // namespace
