#include "calllog/DataStructure.h"

#include "TempHome.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CDataStructure Record(const std::string& file, const std::string& memo = "") {
    CDataStructure r;
    r.m_sFile = file;
    r.m_sTime = "21:05";
    r.m_sDate = "12/06/26";
    r.m_sNumber = "5551234";
    r.m_sName = "Smith, John";
    r.m_sMemo = memo;
    r.m_nLength = 75;
    r.m_bMessage = 1;
    return r;
}

TEST(IndexLineTest, WritesTheQuotedElevenFieldLine) {
    CDataStructure r = Record("rec2026-12-06, 21_05_00.wav", "a\r\nb");
    r.m_sExtra = "x=y";
    EXPECT_EQ(FormatIndexLine(r), "\"rec2026-12-06, 21_05_00.wav\",\"21:05\",\"12/06/26\","
                                  "\"5551234\",\"Smith, John\",\"a\\r\\nb\",\"x=y\",\"75\",\"0\","
                                  "\"0\",\"1\"");
    EXPECT_EQ(ParseIndexLine(FormatIndexLine(r) + "\r\n"), r);
}

TEST(IndexLineTest, ReadsOldAndHandEditedLinesByTheClassicRules) {
    // A quote inside a field, as older versions wrote it: the quotes vanish
    // and the comma behind it splits the field, shifting the rest.
    CDataStructure r = ParseIndexLine(R"("f","t","d","n","nm","a"b,c","x","5","0","0","1")");
    EXPECT_EQ(r.m_sMemo, "ab");
    EXPECT_EQ(r.m_sExtra, "c,x,5,0,0,1");
    EXPECT_EQ(r.m_nLength, 0);
    EXPECT_EQ(r.m_bMessage, 0);

    // Unquoted: "=" ends a field like a comma; blanks are trimmed.
    r = ParseIndexLine(" a = b ,c\t,\" 7x\",-3,+4,  12junk\n");
    EXPECT_EQ(r.m_sFile, "a");
    EXPECT_EQ(r.m_sTime, "b");
    EXPECT_EQ(r.m_sDate, "c");
    EXPECT_EQ(r.m_sNumber, "7x");

    r = ParseIndexLine(R"("f","t","d","n","nm","m","e","-3","+4"," 12junk","1","extra","more")");
    EXPECT_EQ(r.m_nLength, -3);
    EXPECT_EQ(r.m_nReserved1, 4);
    EXPECT_EQ(r.m_nReserved2, 12);
    EXPECT_EQ(r.m_bMessage, 1);

    r = ParseIndexLine("x");
    EXPECT_EQ(r.m_sFile, "x");
    EXPECT_EQ(r.m_sName, "");
    EXPECT_EQ(r.m_nLength, 0);

    EXPECT_EQ(ParseIndexLine(""), CDataStructure());
    // Escapes are decoded over the whole line before splitting.
    EXPECT_EQ(ParseIndexLine(R"("f","","","","","one\ntwo\r")").m_sMemo, "one\ntwo");
    // A trailing lone quote closes nothing.
    EXPECT_EQ(ParseIndexLine("\"a,b").m_sFile, "a,b");
}

TEST(IndexLineTest, EscapesAreWrittenOnlyWhereAFieldWouldSplitOrShift) {
    // How one name field is written between its quotes. Earlier versions
    // show every \xHH as it stands, so anything they read correctly anyway
    // goes out plain.
    struct Case {
        const char* field;
        const char* written;
    } cases[] = {
        {"Smith, John", "Smith, John"},
        {"a=b", "a=b"},
        {"NAME  ", "NAME  "},
        {"  lead\t", "  lead\t"},
        {"x\r\n", "x\\r\\n"},
        {"back\\slash\\", "back\\slash\\"},
        {"say \"hi\", then", "say \\x22hi\\x22, then"},
        {"C:\\new\\r", "C:\\x5cnew\\x5cr"},
        {"C:\\x22", "C:\\x5cx22"},
    };
    for (const Case& c : cases) {
        CDataStructure r;
        r.m_sName = c.field;
        const std::string line = FormatIndexLine(r);
        EXPECT_EQ(line, std::string(R"("","","","",")") + c.written +
                            R"(","","","0","0","0","0")")
            << c.field;
        EXPECT_EQ(ParseIndexLine(line).m_sName, TrimIndexField(c.field)) << c.field;
    }
}

TEST(IndexLineTest, EveryEscapeWrittenBeforeIsStillRead) {
    struct Case {
        const char* stored;
        const char* name;
    } cases[] = {
        {R"(NAME\x20\x20)", "NAME  "},
        {R"(\x20\x09lead)", " \tlead"},
        {R"(a\x0d\x0a)", "a\r\n"},
        {R"(\x0bv\x0c)", "\vv\f"},
        {R"(say \x22hi\x22)", "say \"hi\""},
        {R"(C:\x5cnew)", "C:\\new"},
        // Not one of the codes ever written: kept as it stands.
        {R"(\x41\x)", "\\x41\\x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIndexLine(std::string(R"("f","","","",")") + c.stored + R"(","","")")
                      .m_sName,
                  c.name)
            << c.stored;
}

TEST(IndexLineTest, AnyFieldTextSurvivesARoundTrip) {
    // Quotes, separators, escapes-lookalikes and line breaks in every place.
    // Reading trims every field, so blanks at the ends are not kept.
    const std::string alphabet = "\"\\,=rnx25c0a \t\r\nAb\xc3\xa9";
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        auto randomText = [&] {
            std::string s;
            int len = static_cast<int>(rng() % 12);
            for (int i = 0; i < len; ++i)
                s += alphabet[rng() % alphabet.size()];
            return s;
        };
        CDataStructure r;
        r.m_sFile = randomText();
        r.m_sTime = randomText();
        r.m_sDate = randomText();
        r.m_sNumber = randomText();
        r.m_sName = randomText();
        r.m_sMemo = randomText();
        r.m_sExtra = randomText();
        r.m_nLength = static_cast<int32_t>(rng());
        r.m_bMessage = 1;
        std::string line = FormatIndexLine(r);
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
        for (std::string* f : {&r.m_sFile, &r.m_sTime, &r.m_sDate, &r.m_sNumber, &r.m_sName,
                               &r.m_sMemo, &r.m_sExtra})
            *f = std::string(TrimIndexField(*f));
        ASSERT_EQ(ParseIndexLine(line), r) << line;
    }
    // The acceptance memo: quotes, commas, CR LF and a lone "." line.
    CDataStructure m = Record("f.wav", "He said \"call back\", twice\r\n.\r\nthen \\n\"");
    EXPECT_EQ(ParseIndexLine(FormatIndexLine(m)), m);
}

class IndexFileTest : public ::testing::Test {
protected:
    TempHome home;
    std::string Path() const { return home.File("Recorded Calls/index.dat"); }
};

// A name is found as written, and of two records of one name the first
// counts. (Saving, loading and an unreadable index: the call record tests.)
TEST(IndexArrayTest, FindGetSetAndRemoveTakeTheFirstRecordOfAName) {
    CDataStructureArray b;
    b.Set("one.wav", Record("one.wav", "first"));
    b.Set("two.wav", Record("two.wav", "second"));
    b.Add(Record("one.wav", "duplicate"));
    EXPECT_EQ(b.Find("two.wav"), 1);
    EXPECT_EQ(b.Find("TWO.wav"), -1);
    EXPECT_EQ(b.Get("none.wav"), CDataStructure());
    b.Set("one.wav", Record("one.wav", "changed"));
    EXPECT_EQ(b.GetAt(0).m_sMemo, "changed");
    EXPECT_EQ(b.GetAt(2).m_sMemo, "duplicate");
    EXPECT_TRUE(b.Remove("one.wav"));
    EXPECT_EQ(b.Get("one.wav").m_sMemo, "duplicate");
    EXPECT_FALSE(b.Remove("none.wav"));
    EXPECT_THROW(b.GetAt(2), std::out_of_range);
    EXPECT_THROW(b.GetAt(-1), std::out_of_range);
}

TEST_F(IndexFileTest, ARefusedWriteLeavesTheOldIndexWhole) {
    std::filesystem::create_directories(home.File("Recorded Calls"));
    CDataStructureArray a;
    for (int i = 0; i < 50; ++i)
        a.Add(Record("r" + std::to_string(i) + ".wav"));
    ASSERT_TRUE(a.Save(Path()));
    const std::string before = home.Read("Recorded Calls/index.dat");
    auto filesInFolder = [&] {
        return std::distance(std::filesystem::directory_iterator(home.File("Recorded Calls")),
                             std::filesystem::directory_iterator());
    };

    // A read-only folder (root writes into those anyway, so then only the
    // full disk below is tried).
    if (::geteuid() != 0) {
        ::chmod(home.File("Recorded Calls").c_str(), 0555);
        CDataStructureArray b;
        b.Add(Record("only.wav"));
        EXPECT_FALSE(b.Save(Path()));
        EXPECT_FALSE(b.LastError().empty());
        ::chmod(home.File("Recorded Calls").c_str(), 0755);
        EXPECT_EQ(home.Read("Recorded Calls/index.dat"), before);
    }

    // A disk that fills up halfway through the new index.
    a.Add(Record("more.wav", std::string(5000, 'x')));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 2048;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    bool saved = a.Save(Path());
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(home.Read("Recorded Calls/index.dat"), before);
    EXPECT_EQ(filesInFolder(), 1); // no temporary file left behind
}

} // namespace
