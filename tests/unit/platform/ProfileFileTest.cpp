#include "platform/ProfileFile.h"
#include "TempHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    TempHome home;
    std::string path = home.File("test.ini");
    ProfileFile Load(const std::string& content) {
        home.Write("test.ini", content);
        return ProfileFile(path);
    }
};

// Names match without case and blanks are trimmed (CR LF files read like
// LF files); matching quotes are stripped only when they pair; comments are
// no keys and the first of two keys wins.
TEST_F(ProfileFileTest, NamesQuotesAndCommentsFollowTheProfileRules) {
    ProfileFile f = Load("[ Options ]\r\n  sModem  =  USR Courier  \r\nnRings=3\r\n");
    EXPECT_EQ(f.GetString("options", "SMODEM", "x"), "USR Courier");
    EXPECT_EQ(f.GetString("OPTIONS", "smodem", "x"), "USR Courier");
    EXPECT_EQ(f.GetInt("Options", "NRINGS", 1), 3);
    f = Load("[S]\na=\"  spaced \"\nb=\"open\nc=say \"hi\"\nd=\"\"\ne=\"\n");
    EXPECT_EQ(f.GetString("S", "a", ""), "  spaced ");
    EXPECT_EQ(f.GetString("S", "b", ""), "\"open");
    EXPECT_EQ(f.GetString("S", "c", ""), "say \"hi\"");
    EXPECT_EQ(f.GetString("S", "d", "x"), "");
    EXPECT_EQ(f.GetString("S", "e", ""), "\"");
    f = Load("[S]\n;a=1\n  ; b=2\na=first\na=second\n[S]\nc=3\n");
    EXPECT_EQ(f.GetString("S", "a", ""), "first");
    EXPECT_EQ(f.GetInt("S", "b", 77), 77);
    // A key in a repeated section header is still found under that name.
    EXPECT_EQ(f.GetInt("S", "c", 0), 3);
}

TEST_F(ProfileFileTest, IntegerRule) {
    ProfileFile f = Load("[S]\nneg=-42\npos=+7\nlead=12abc\nword=abc\nempty=\nbig=99999999999\n"
                         "small=-99999999999\nquoted=\"5\"\n");
    EXPECT_EQ(f.GetInt("S", "neg", 0), -42);
    EXPECT_EQ(f.GetInt("S", "pos", 0), 7);
    EXPECT_EQ(f.GetInt("S", "lead", 0), 12);
    EXPECT_EQ(f.GetInt("S", "word", 9), 0);
    EXPECT_EQ(f.GetInt("S", "empty", 9), 0);
    EXPECT_EQ(f.GetInt("S", "missing", 9), 9);
    EXPECT_EQ(f.GetInt("S", "big", 0), 2147483647);
    EXPECT_EQ(f.GetInt("S", "small", 0), -2147483647 - 1);
    EXPECT_EQ(f.GetInt("S", "quoted", 0), 5);
    EXPECT_EQ(f.GetInt("Other", "neg", 9), 9);
}

TEST_F(ProfileFileTest, LongStringsAreCutAt4095BytesOnACharacterBoundary) {
    std::string value(5000, 'x');
    ProfileFile f = Load("[S]\nk=" + value + "\n");
    EXPECT_EQ(f.GetString("S", "k", "").size(), 4095u);
    // A two-byte character straddling the cut is dropped whole.
    std::string utf = std::string(4094, 'a') + "\xC3\xA9" + "tail";
    ProfileFile g = Load("[S]\nk=" + utf + "\n");
    EXPECT_EQ(g.GetString("S", "k", ""), std::string(4094, 'a'));
}

TEST_F(ProfileFileTest, WriteReplacesInPlaceAndKeepsEverythingElse) {
    const std::string original = "; my settings\n[Options]\n; the ring count\nnRings = 3\n"
                                 "unknownKey=keep me\n\n[Sounds]\nsWaveGreet=greet.wav\n";
    ProfileFile f = Load(original);
    f.WriteInt("options", "NRINGS", 5);
    ASSERT_TRUE(f.Save());
    EXPECT_EQ(home.Read("test.ini"), "; my settings\n[Options]\n; the ring count\nnRings=5\n"
                                     "unknownKey=keep me\n\n[Sounds]\nsWaveGreet=greet.wav\n");
    // The same in memory, which has nowhere to save to.
    ProfileFile m = ProfileFile::FromText(original);
    m.WriteInt("options", "NRINGS", 5);
    EXPECT_EQ(m.Text(), home.Read("test.ini"));
    EXPECT_FALSE(m.Save());
}

TEST_F(ProfileFileTest, NewKeyGoesToTheEndOfItsSectionAndNewSectionToTheEnd) {
    ProfileFile f = Load("[A]\nx=1\n\n[B]\ny=2\n");
    f.WriteString("A", "z", "new");
    f.WriteString("C", "w", "3");
    ASSERT_TRUE(f.Save());
    EXPECT_EQ(home.Read("test.ini"), "[A]\nx=1\nz=new\n\n[B]\ny=2\n[C]\nw=3\n");
    ProfileFile again(path);
    EXPECT_EQ(again.GetString("a", "Z", ""), "new");
    EXPECT_EQ(again.GetInt("c", "w", 0), 3);
    // One value written and read on its own, as the program folder's seeding does.
    ASSERT_TRUE(WriteProfileIntTo(path, "C", "w", 4));
    EXPECT_EQ(GetProfileIntFrom(path, "c", "W", 0), 4);
}

TEST_F(ProfileFileTest, LineEndsInAValueCannotCreateKeys) {
    ProfileFile f = Load("");
    f.WriteString("S", "memo", "one\r\n[Evil]\ninjected=1");
    ASSERT_TRUE(f.Save());
    ProfileFile again(path);
    EXPECT_EQ(again.GetInt("Evil", "injected", 0), 0);
    EXPECT_EQ(again.Sections().size(), 1u);
}

TEST_F(ProfileFileTest, BatchOfWritesIsOneReplaceAndNothingIsWrittenBeforeSave) {
    ProfileFile f(path);
    EXPECT_FALSE(f.Exists());
    for (int i = 0; i < 100; ++i)
        f.WriteInt("S", "k" + std::to_string(i), i);
    struct stat st {};
    EXPECT_NE(::stat(path.c_str(), &st), 0) << "written before Save()";
    ASSERT_TRUE(f.Save());
    ProfileFile again(path);
    EXPECT_EQ(again.Keys("S").size(), 100u);
    EXPECT_EQ(again.GetInt("S", "k99", 0), 99);
}

TEST_F(ProfileFileTest, MissingEmptyBinaryAndHugeFilesGiveDefaults) {
    EXPECT_EQ(ProfileFile(home.File("none.ini")).GetInt("S", "k", 4), 4);
    EXPECT_EQ(Load("").GetString("S", "k", "d"), "d");
    std::string binary = "[S]\nk=1\n";
    binary += std::string("\0\x01\xff", 3);
    EXPECT_EQ(Load(binary).GetInt("S", "k", 4), 4);
    EXPECT_EQ(ProfileFile::FromText(binary).GetInt("S", "k", 4), 4);
    // Still the file the user had: a load writes nothing.
    EXPECT_EQ(home.Read("test.ini"), binary);

    std::string huge = "[S]\nk=1\n" + std::string(ProfileFile::kMaxFileSize, 'x');
    EXPECT_EQ(Load(huge).GetInt("S", "k", 4), 4);
}

TEST_F(ProfileFileTest, SaveThatCannotReplaceTheFileSaysWhyAndLeavesWhatWasThere) {
    home.Write("plain", "not a folder");
    ::mkdir(home.File("folder.ini").c_str(), 0755);
    const struct {
        std::string file;
        std::string why;
    } cases[] = {
        {"no/such/folder/test.ini", "No such file or directory"},
        {"plain/test.ini", "Not a directory"},
        {"folder.ini", "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ProfileFile f(home.File(c.file));
        f.WriteInt("S", "k", 1);
        EXPECT_FALSE(f.Save());
        EXPECT_EQ(f.SaveError(), c.why);
        EXPECT_TRUE(f.IsDirty());
    }
    EXPECT_EQ(home.Read("plain"), "not a folder");
    ProfileFile memory = ProfileFile::FromText("[S]\nk=1\n");
    memory.WriteInt("S", "k", 2);
    EXPECT_FALSE(memory.Save());
    EXPECT_EQ(memory.SaveError(), "it is held in memory only");
    ProfileFile good(path);
    good.WriteInt("S", "k", 1);
    EXPECT_TRUE(good.Save());
    EXPECT_EQ(good.SaveError(), "");
}

TEST_F(ProfileFileTest, SaveKeepsModeAndPrivateFilesAreOwnerOnly) {
    ProfileFile f = Load("[S]\nk=1\n");
    ::chmod(path.c_str(), 0640);
    f.WriteInt("S", "k", 2);
    ASSERT_TRUE(f.Save());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    f.SetPrivate(true);
    f.WriteString("S", "password", "secret");
    ASSERT_TRUE(f.Save());
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Reading trims blanks and strips one pair of quotes; writing must protect
// values that would otherwise come back altered.
TEST_F(ProfileFileTest, WrittenValuesReadBackUnchanged) {
    const std::string values[] = {"plain",           " leading", "trailing\t", "\"quoted\"",
                                  "\"a\" and \"b\"", "\"",       "\"\"",       "",
                                  "in \"middle\"",   "a=b;c",    "  "};
    ProfileFile f = Load("[S]\n");
    int i = 0;
    for (const std::string& v : values)
        f.WriteString("S", "k" + std::to_string(i++), v);
    ASSERT_TRUE(f.Save());
    ProfileFile back(f.Path());
    i = 0;
    for (const std::string& v : values)
        EXPECT_EQ(back.GetString("S", "k" + std::to_string(i++), "?"), v) << "[" << v << "]";
    EXPECT_EQ(ProfileFile::QuoteValue("plain"), "plain");
    EXPECT_EQ(ProfileFile::QuoteValue(" x"), "\" x\"");
}

} // namespace
