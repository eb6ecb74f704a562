#include "calllog/XmlExport.h"
#include "calllog/CallList.h"
#include "calllog/CallLog.h"

#include "RunProgram.h"
#include "TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class XmlExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("LC_ALL");
        ::setenv("LC_TIME", "C.UTF-8", 1);
        std::filesystem::create_directories(home.File("xml/styles"));
        std::filesystem::copy_file(ShippedDataFolder() + "styles/inbox.xsl",
                                   home.File("xml/styles/inbox.xsl"));
    }
    std::string Out() const { return home.File("xml/Call List.xml"); }
    // One value of the document, read back by a real XML parser.
    std::string XPath(const std::string& expr) const {
        ProgramResult r = RunProgram({"xmllint", "--xpath", "string(" + expr + ")", Out()});
        EXPECT_EQ(r.status, 0) << r.output;
        if (!r.output.empty() && r.output.back() == '\n')
            r.output.pop_back(); // xmllint ends what it prints with a line feed
        return r.output;
    }
    void ExpectWellFormed() const {
        ProgramResult r = RunProgram({"xmllint", "--noout", Out()});
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_EQ(r.output, "");
    }
    TempHome home;
};

CallListRow Row(std::string key, std::string name, std::string number, std::string memo,
                std::string length) {
    CallListRow r;
    r.sKey = std::move(key);
    r.sName = std::move(name);
    r.sNumber = std::move(number);
    r.sMemo = std::move(memo);
    r.sLength = std::move(length);
    return r;
}

TEST_F(XmlExportTest, ThreeCallsGiveAValidDocumentThatRendersThroughTheStylesheet) {
    std::vector<CallListRow> rows = {
        Row("20261206210500", "O'Neil", "555-0100", "R&D <test> \"quoted\"", "01:30"),
        Row("20261201080000", "Smith, John", "555-0101", "two\r\nlines", "01:00:10"),
        Row("20261210235900", "Zoe", "", "", "00:05"),
    };
    std::string error;
    ASSERT_TRUE(ExportCallListXml(rows, Out(), &error)) << error;
    ExpectWellFormed();

    const std::string text = home.Read("xml/Call List.xml");
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<!-- Quillon 4.0 Call List -->\n"
                         "<?xml-stylesheet type=\"text/xsl\" href=\"styles/inbox.xsl\" ?>\n"
                         "<calls>\n<report>\n",
                         0),
              0u);
    EXPECT_NE(text.find("<memo>R&amp;D &lt;test&gt; &quot;quoted&quot;</memo>"), std::string::npos);
    EXPECT_NE(text.find("<name>O&apos;Neil</name>"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 8), "</calls>");

    EXPECT_EQ(XPath("/calls/report/totalcallen"), "61:45");
    EXPECT_EQ(XPath("/calls/report/startdate"), "12/01/26");
    EXPECT_EQ(XPath("/calls/report/enddate"), "12/10/26");
    EXPECT_EQ(XPath("/calls/call[1]/date"), "12/06/26");
    EXPECT_EQ(XPath("/calls/call[1]/time"), "21:05");
    EXPECT_EQ(XPath("/calls/call[1]/length"), "01:30");
    EXPECT_EQ(XPath("/calls/call[2]/length"), "60:10"); // an hour shows as minutes
    EXPECT_EQ(XPath("/calls/call[2]/memo"), "two\r\nlines");
    EXPECT_EQ(XPath("/calls/call[1]/memo"), "R&D <test> \"quoted\"");
    EXPECT_EQ(XPath("count(/calls/call)"), "3");

    ProgramResult html = RunProgram({"xsltproc", home.File("xml/styles/inbox.xsl"), Out()});
    ASSERT_EQ(html.status, 0) << html.output;
    EXPECT_NE(html.output.find("<table id=\"calls\">"), std::string::npos);
    EXPECT_NE(html.output.find("Smith, John"), std::string::npos);
    EXPECT_NE(html.output.find("R&amp;D &lt;test&gt;"), std::string::npos);
    EXPECT_NE(html.output.find("61:45"), std::string::npos);
    // The stylesheet's own reference resolves from the document too.
    ProgramResult viaPi = RunProgram({"xsltproc", Out()});
    EXPECT_EQ(viaPi.status, 0) << viaPi.output;
}

TEST_F(XmlExportTest, AStrangersBytesNeverBreakTheDocument) {
    std::string nasty = "Evil\x01\x08\x1b[31m\x7f\xff\xfe\xc3(\xed\xa0\x80\xef\xbf\xbe]]>&#0;";
    std::vector<CallListRow> rows = {Row("-001-01-01-01-01-01", nasty, nasty, nasty, "junk")};
    ASSERT_TRUE(ExportCallListXml(rows, Out()));
    ExpectWellFormed();
    EXPECT_EQ(XPath("/calls/call/date"), ""); // unparsable key: no date
    EXPECT_NE(XPath("/calls/call/name").find("Evil"), std::string::npos);
    EXPECT_NE(XPath("/calls/call/name").find("]]>&#0;"), std::string::npos);
    ProgramResult html = RunProgram({"xsltproc", home.File("xml/styles/inbox.xsl"), Out()});
    EXPECT_EQ(html.status, 0) << html.output;
}

TEST_F(XmlExportTest, AnEmptyListStillGivesTheReport) {
    ASSERT_TRUE(ExportCallListXml({}, Out()));
    ExpectWellFormed();
    EXPECT_EQ(XPath("/calls/report/totalcallen"), "00:00");
    EXPECT_EQ(XPath("/calls/report/startdate"), "");
    EXPECT_EQ(XPath("count(/calls/call)"), "0");
    ProgramResult html = RunProgram({"xsltproc", home.File("xml/styles/inbox.xsl"), Out()});
    EXPECT_EQ(html.status, 0) << html.output;
    EXPECT_NE(html.output.find("No calls."), std::string::npos);
}

TEST_F(XmlExportTest, FailuresAreReportedAndChangeNothing) {
    std::string error;
    EXPECT_FALSE(ExportCallListXml({}, home.File("missing/Call List.xml"), &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    if (::geteuid() != 0) {
        home.Write("xml/Call List.xml", "mine");
        ::chmod(Out().c_str(), 0444);
        EXPECT_FALSE(ExportCallListXml({}, Out()));
        EXPECT_EQ(home.Read("xml/Call List.xml"), "mine");
    }
}

TEST_F(XmlExportTest, ThePreparedPathHasItsStylesheet) {
    std::filesystem::remove_all(home.File("xml"));
    home.CopyShipped("styles/inbox.xsl");
    EXPECT_EQ(PrepareCallListXmlPath(), Out());
    EXPECT_TRUE(std::filesystem::exists(home.File("xml/styles/inbox.xsl")));
}

TEST(CallListTest, RowsAreFilteredAndSortedAsTheListShowsThem) {
    ::unsetenv("LC_ALL");
    ::setenv("LC_TIME", "C.UTF-8", 1);
    CDataStructureArray index;
    auto add = [&](const char* file, const char* date, const char* name, int len) {
        CDataStructure r;
        r.m_sFile = file;
        r.m_sDate = date;
        r.m_sTime = "10:00";
        r.m_sName = name;
        r.m_nLength = len;
        index.Add(r);
    };
    add("b.wav", "12/06/26", "Bob", 61);
    add("a.wav", "11/30/26", "ALICE", 3700);
    add("c.wav", "", "Carol", 5);
    std::vector<CallListRow> rows = CallListRows(index);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].sFile, "c.wav"); // unparsable dates sort first
    EXPECT_EQ(rows[1].sFile, "a.wav");
    EXPECT_EQ(rows[1].sLength, "01:01:40");
    EXPECT_EQ(rows[1].sDateTime, "11/30/26 10:00");
    EXPECT_EQ(rows[2].sKey, "20261206100000");
    rows = CallListRows(index, "AlIcE");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].sName, "ALICE");
}

} // namespace

namespace {

// An index written under other locales, exported through the tool: every
// call keeps its date and time.
TEST_F(XmlExportTest, DatesWrittenUnderOtherLocalesAreExportedInTheReadersForm) {
    const std::string folder = home.File("Recorded Calls/");
    std::filesystem::create_directories(folder);
    struct Case {
        const char* date;
        const char* time;
        const char* xmlDate; // the reader's short date and time
        const char* xmlTime;
    } cases[] = {
        {"12/1/2026", "8:00 AM", "12/01/26", "08:00"},
        {"02.12.2026", "14:30", "12/02/26", "14:30"},
        {"2026-12-03", "21:05:42", "12/03/26", "21:05"},
        {"25/12/2026", "11:59 PM", "12/25/26", "23:59"},
    };
    std::string index;
    for (const Case& c : cases)
        index += std::string(R"("rec.wav",")") + c.time + R"(",")" + c.date +
                 R"(","555","Ann","","","5","0","0","0")" + "\r\n";
    home.Write("Recorded Calls/index.dat", index);
    const std::string tool =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" /
         "vorella-tool")
            .string();
    ProgramResult exported = RunProgram({tool, "export-xml", folder, Out()});
    ASSERT_EQ(exported.status, 0) << exported.output;
    ExpectWellFormed();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string call = "/calls/call[" + std::to_string(i + 1) + "]/";
        EXPECT_EQ(XPath(call + "date"), cases[i].xmlDate) << cases[i].date;
        EXPECT_EQ(XPath(call + "time"), cases[i].xmlTime) << cases[i].time;
    }
    EXPECT_EQ(XPath("/calls/report/startdate"), "12/01/26");
    EXPECT_EQ(XPath("/calls/report/enddate"), "12/25/26");
}

// The whole path as a user takes it: three finished calls in a call folder,
// listed and exported by vorella-tool.
TEST_F(XmlExportTest, AFolderOfThreeCallsExportsThroughTheTool) {
    const std::string folder = home.File("Recorded Calls/");
    std::filesystem::create_directories(folder);
    CCallLog callLog;
    const char* names[] = {"Ann & Co", "Bob <b>", "Cy\x01"};
    for (int i = 0; i < 3; ++i) {
        std::string file = "rec" + std::to_string(i) + ".wav";
        home.Write("Recorded Calls/" + file, std::string(2000, 'w'));
        FinishedCall call;
        call.sRecordingPath = folder + file;
        call.sName = names[i];
        call.sMemo = "memo \"" + std::to_string(i) + "\",\r\n.";
        call.nLength = 60 * i + 5;
        ASSERT_TRUE(callLog.StoreFinishedCall(call));
    }
    // The test programs live in <build>/tests, the tools in <build>/bin.
    const std::string tool =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" /
         "vorella-tool")
            .string();
    ProgramResult list = RunProgram({tool, "index", folder});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find("Bob <b>"), std::string::npos);
    EXPECT_NE(list.output.find("Cy\\x01"), std::string::npos); // no raw control bytes
    EXPECT_NE(list.output.find("# calls: 3"), std::string::npos);
    EXPECT_EQ(RunProgram({tool, "index", home.File("nowhere")}).status, 1);

    ProgramResult exported = RunProgram({tool, "export-xml", folder, Out()});
    ASSERT_EQ(exported.status, 0) << exported.output;
    ExpectWellFormed();
    EXPECT_EQ(XPath("count(/calls/call)"), "3");
    EXPECT_EQ(XPath("/calls/report/totalcallen"), "03:15");
    ProgramResult html = RunProgram({"xsltproc", Out()});
    EXPECT_EQ(html.status, 0) << html.output;
    EXPECT_NE(html.output.find("Ann &amp; Co"), std::string::npos);

    ProgramResult failed = RunProgram({tool, "export-xml", folder, home.File("no/such/x.xml")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.output.find("XML Export Failed."), std::string::npos);
}

} // namespace
