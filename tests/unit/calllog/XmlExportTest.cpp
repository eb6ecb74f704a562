// The call list exported as XML with its stylesheet, and as the HTML page
// rendered from it, read back by independent parsers (xmllint, xsltproc);
// and the same through vorella-tool from a folder of calls.
#include "calllog/CallList.h"
#include "calllog/HtmlExport.h"
#include "calllog/XmlExport.h"

#include "ChildProcess.h"
#include "ScopedEnv.h"
#include "TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

class XmlExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home.File("xml/styles"));
        std::filesystem::copy_file(ShippedDataFolder() + "styles/inbox.xsl", Style());
    }
    ScopedEnv lcAll{"LC_ALL", nullptr}, lcTime{"LC_TIME", "C.UTF-8"};
    std::string Out() const { return home.File("xml/Call List.xml"); }
    std::string Page() const { return home.File("xml/Call List.html"); }
    std::string Style() const { return home.File("xml/styles/inbox.xsl"); }
    // One value of the document (or of the page), read back by a real parser.
    static std::string XPath(const std::string& expr, const std::string& file,
                             bool bHtml = false) {
        std::vector<std::string> args = {"xmllint", "--xpath", "string(" + expr + ")", file};
        if (bHtml)
            args.insert(args.begin() + 1, "--html");
        ProgramRun r = RunProgram(args);
        EXPECT_EQ(r.nExit, 0) << r.err;
        if (!r.out.empty() && r.out.back() == '\n')
            r.out.pop_back(); // xmllint ends what it prints with a line feed
        return r.out;
    }
    std::string XPath(const std::string& expr) const { return XPath(expr, Out()); }
    std::string PageXPath(const std::string& expr) const { return XPath(expr, Page(), true); }
    static void ExpectWellFormed(const std::string& file, bool bHtml = false) {
        ProgramRun r = bHtml ? RunProgram({"xmllint", "--html", "--noout", file})
                             : RunProgram({"xmllint", "--noout", file});
        EXPECT_EQ(r.nExit, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
    }
    ProgramRun Render() const { return RunProgram({"xsltproc", Style(), Out()}); }
    static ProgramRun Tool(std::vector<std::string> args) {
        args.insert(args.begin(), BuiltProgram("vorella-tool"));
        return RunProgram(args);
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

// A stranger's name or memo (control bytes, broken UTF-8, markup, a script)
// never breaks the document or the page, and shows as the text it was.
TEST_F(XmlExportTest, AStrangersTextGivesAWellFormedDocumentAndPage) {
    const std::string nasty =
        "Evil\x01\x08\x1b[31m\x7f\xff\xfe\xc3(\xed\xa0\x80\xef\xbf\xbe]]>&#0;";
    const std::string script = "</td></tr></table><script>alert(1)</script>";
    std::vector<CallListRow> rows = {
        Row("20261206210500", "O'Neil \"Bob\" <b>", "555-0100", "R&D <test> &amp;", "01:30"),
        Row("20261201080000", "Bad\xff\xfe UTF-8 \xc3(", "555-0101", script, "01:00:10"),
        Row("-001-01-01-01-01-01", nasty, nasty, nasty, "junk"),
    };
    ASSERT_TRUE(ExportCallListXml(rows, Out()));
    ExpectWellFormed(Out());
    EXPECT_EQ(home.Read("xml/Call List.xml")
                  .rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<!-- Quillon 4.0 Call List -->\n"
                         "<?xml-stylesheet type=\"text/xsl\" href=\"styles/inbox.xsl\" ?>\n"
                         "<calls>\n<report>\n",
                         0),
              0u);
    EXPECT_EQ(XPath("/calls/report/totalcallen"), "61:40");
    EXPECT_EQ(XPath("/calls/call[1]/time"), "21:05");
    EXPECT_EQ(XPath("/calls/call[2]/length"), "60:10"); // an hour shows as minutes
    EXPECT_EQ(XPath("/calls/call[3]/date"), ""); // unparsable key: no date
    EXPECT_NE(XPath("/calls/call[3]/name").find("Evil"), std::string::npos);
    EXPECT_NE(XPath("/calls/call[3]/name").find("]]>&#0;"), std::string::npos);
    EXPECT_EQ(Render().nExit, 0);

    std::string error;
    ASSERT_TRUE(ExportCallsHtml(Out(), Style(), Page(), &error)) << error;
    ExpectWellFormed(Page(), true);
    EXPECT_EQ(PageXPath("count(//table[@id='calls']/tbody/tr)"), "3");
    EXPECT_EQ(PageXPath("count(//script)"), "1"); // only the page's own sorting script
    EXPECT_EQ(PageXPath("//tbody/tr[1]/td[3]"), "O'Neil \"Bob\" <b>");
    EXPECT_EQ(PageXPath("//tbody/tr[1]/td[6]"), "R&D <test> &amp;");
    EXPECT_EQ(PageXPath("//tbody/tr[2]/td[3]"),
              "Bad\xEF\xBF\xBD\xEF\xBF\xBD UTF-8 \xEF\xBF\xBD(");
    EXPECT_EQ(PageXPath("//tbody/tr[2]/td[6]"), script);
    EXPECT_EQ(PageXPath("//tbody/tr[1]/td[1]"), "12/06/26");
    // A call of an hour shows its length in minutes.
    EXPECT_EQ(PageXPath("//tbody/tr[2]/td[5]"), "60:10");
    EXPECT_EQ(PageXPath("//tbody/tr[1]/td[5]"), "01:30");
    EXPECT_NE(PageXPath("//div[@class='summary']").find("Total length: 61:40"),
              std::string::npos);
}

TEST_F(XmlExportTest, AnEmptyListStillGivesTheReport) {
    ASSERT_TRUE(ExportCallListXml({}, Out()));
    ExpectWellFormed(Out());
    EXPECT_EQ(XPath("/calls/report/totalcallen"), "00:00");
    EXPECT_EQ(XPath("/calls/report/startdate"), "");
    EXPECT_EQ(XPath("count(/calls/call)"), "0");
    ProgramRun html = Render();
    EXPECT_EQ(html.nExit, 0) << html.err;
    EXPECT_NE(html.out.find("No calls."), std::string::npos);
}

// A failed export says what it could not write or read and leaves no part
// of a file, and a file the user made read-only as it was.
TEST_F(XmlExportTest, FailuresAreReportedAndChangeNothing) {
    std::string error;
    EXPECT_FALSE(ExportCallListXml({}, home.File("missing/Call List.xml"), &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    ASSERT_TRUE(ExportCallListXml({Row("20261201080000", "A", "1", "", "00:10")}, Out()));

    std::filesystem::create_directories(home.File("xml/taken.html"));
    std::set<std::string> before;
    for (const auto& e : std::filesystem::directory_iterator(home.File("xml")))
        before.insert(e.path().filename().string());
    home.Write("xml/broken.xml", "<calls><call>");
    const struct {
        const char* name;
        std::string xml, xsl, page;
        const char* said;
    } cases[] = {
        {"the page is a folder", Out(), Style(), home.File("xml/taken.html"), "taken.html"},
        {"the folder is missing", Out(), Style(), home.File("gone/page.html"), "gone/page.html"},
        {"a malformed document", home.File("xml/broken.xml"), Style(), Page(), "broken.xml"},
        {"a malformed stylesheet", Out(), home.File("xml/broken.xml"), Page(), "broken.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ExportCallsHtml(c.xml, c.xsl, c.page, &error));
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }
    before.insert("broken.xml");
    std::set<std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(home.File("xml")))
        after.insert(e.path().filename().string());
    EXPECT_EQ(after, before);
    EXPECT_FALSE(std::filesystem::exists(home.File("gone")));

    if (::geteuid() != 0) {
        home.Write("xml/Call List.xml", "mine");
        home.Write("xml/Call List.html", "mine");
        ::chmod(Out().c_str(), 0444);
        ::chmod(Page().c_str(), 0444);
        EXPECT_FALSE(ExportCallListXml({}, Out()));
        EXPECT_FALSE(ExportCallsHtml(Out(), Style(), Page(), &error));
        EXPECT_EQ(home.Read("xml/Call List.xml"), "mine");
        EXPECT_EQ(home.Read("xml/Call List.html"), "mine");
    }
}

TEST_F(XmlExportTest, ThePreparedPathHasItsStylesheetAndThePageLiesBesideIt) {
    std::filesystem::remove_all(home.File("xml"));
    home.CopyShipped("styles/inbox.xsl");
    EXPECT_EQ(PrepareCallListXmlPath(), Out());
    EXPECT_TRUE(std::filesystem::exists(Style()));
    EXPECT_EQ(CallListHtmlPath(Out()), Page());
    EXPECT_EQ(CallListHtmlPath("/p.d/list"), "/p.d/list.html");
}

TEST(CallListTest, RowsAreFilteredAndSortedAsTheListShowsThem) {
    ScopedEnv lcAll("LC_ALL", nullptr), lcTime("LC_TIME", "C.UTF-8");
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

    // A list kept for searching finds the rows the window's list finds, in
    // the same order.
    add("d.wav", "12/06/26", "J\xC3\xBCrgen M\xC3\x9CLLER", 61);
    const CSearchableCallList kept(index);
    for (const char* search : {"", "AlIcE", "m\xC3\xBCller", "00:01:01", "20261206", "x"}) {
        std::vector<std::string> listed;
        std::vector<std::string> found;
        for (const CallListRow& row : CallListRows(index, search))
            listed.push_back(row.sFile);
        for (size_t i : kept.Matching(search))
            found.push_back(kept.Rows()[i].sFile);
        EXPECT_EQ(found, listed) << search;
    }
}

// An index an earlier version wrote under other locales and in Windows-1252,
// listed and exported by the tool: every call keeps its date and time, the
// names come out as the text they were (not U+FFFD), a control byte is
// neither listed nor exported raw, and the index itself stays as it was.
TEST_F(XmlExportTest, AnIndexFromEarlierVersionsIsListedAndExportedAsItsText) {
    const std::string folder = home.File("Recorded Calls/");
    struct Case {
        const char* date;
        const char* time;
        const char* name; // as stored
        const char* xmlDate; // the reader's short date and time
        const char* xmlTime;
        const char* xmlName;
    } cases[] = {
        {"12/1/2026", "8:00 AM", "Jos\xe9 M\xfcller", "12/01/26", "08:00", "Jos\u00e9 M\u00fcller"},
        {"02.12.2026", "14:30", "Zo\xc3\xab", "12/02/26", "14:30", "Zo\u00eb"},
        {"2026-12-03", "21:05:42", "Caf\xe9 \x80 5", "12/03/26", "21:05", "Caf\u00e9 \u20ac 5"},
        {"25/12/2026", "11:59 PM", "Ann", "12/25/26", "23:59", "Ann"},
    };
    std::string index;
    for (const Case& c : cases)
        index += std::string(R"("rec.wav",")") + c.time + R"(",")" + c.date + R"(","555",")" +
                 c.name + R"(","","","5","0","0","0")" + "\r\n";
    index += R"("last.wav","10:00","12/31/26","","Cy)" "\x01" R"( & Co","two\r\nlines","","5")"
             "\r\n";
    home.Write("Recorded Calls/index.dat", index);

    ProgramRun list = Tool({"index", folder});
    ASSERT_EQ(list.nExit, 0) << list.err;
    EXPECT_NE(list.out.find("\tJos\u00e9 M\u00fcller\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\tZo\u00eb\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Cy\\x01 & Co"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("# calls: 5"), std::string::npos) << list.out;
    EXPECT_EQ(Tool({"index", home.File("nowhere")}).nExit, 1);
    ProgramRun exported = Tool({"export-xml", folder, Out()});
    ASSERT_EQ(exported.nExit, 0) << exported.err;
    ExpectWellFormed(Out());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].date);
        const std::string call = "/calls/call[" + std::to_string(i + 1) + "]/";
        EXPECT_EQ(XPath(call + "date"), cases[i].xmlDate);
        EXPECT_EQ(XPath(call + "time"), cases[i].xmlTime);
        EXPECT_EQ(XPath(call + "name"), cases[i].xmlName);
    }
    EXPECT_EQ(XPath("/calls/report/startdate"), "12/01/26");
    EXPECT_EQ(XPath("/calls/report/enddate"), "12/31/26");
    EXPECT_EQ(XPath("/calls/call[5]/name"), "Cy\uFFFD & Co") << "no control byte in the XML";
    EXPECT_EQ(XPath("/calls/call[5]/memo"), "two\r\nlines");
    ProgramRun html = RunProgram({"xsltproc", Out()}); // the stylesheet the document names
    EXPECT_EQ(html.nExit, 0) << html.err;
    EXPECT_NE(html.out.find(" &amp; Co"), std::string::npos) << html.out;
    EXPECT_EQ(home.Read("Recorded Calls/index.dat"), index);

    ProgramRun failed = Tool({"export-xml", folder, home.File("no/such/x.xml")});
    EXPECT_EQ(failed.nExit, 1);
    EXPECT_NE((failed.out + failed.err).find("XML Export Failed."), std::string::npos);
}

} // namespace
