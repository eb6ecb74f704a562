// The call list page: the exported XML through the shipped stylesheet with
// libxslt, checked with xmllint's HTML parser as an independent reader.
#include "calllog/HtmlExport.h"
#include "calllog/XmlExport.h"

#include "RunProgram.h"
#include "TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

class HtmlExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("LC_ALL");
        ::setenv("LC_TIME", "C.UTF-8", 1);
        std::filesystem::create_directories(home.File("xml"));
    }
    std::string Xml() const { return home.File("xml/Call List.xml"); }
    std::string Page() const { return home.File("xml/Call List.html"); }
    std::string Style() const { return ShippedDataFolder() + "styles/inbox.xsl"; }
    // A value of the page as an HTML parser reads it.
    std::string XPath(const std::string& expr) const {
        ProgramResult r =
            RunProgram({"xmllint", "--html", "--xpath", "string(" + expr + ")", Page()});
        EXPECT_EQ(r.status, 0) << r.output;
        if (!r.output.empty() && r.output.back() == '\n')
            r.output.pop_back();
        return r.output;
    }
    std::set<std::string> Entries(const std::string& folder) const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
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

TEST_F(HtmlExportTest, AStrangersTextGivesAWellFormedPageShowingEveryRow) {
    const std::string script = "</td></tr></table><script>alert(1)</script>";
    std::vector<CallListRow> rows = {
        Row("20261206210500", "O'Neil \"Bob\" <b>", "555-0100", "R&D <test> &amp;", "01:30"),
        Row("20261201080000", "Bad\xff\xfe UTF-8 \xc3(", "555-0101", script, "01:00:10"),
        Row("20261210235900", "Zoe", "", "", "00:05"),
    };
    ASSERT_TRUE(ExportCallListXml(rows, Xml()));
    std::string error;
    ASSERT_TRUE(ExportCallsHtml(Xml(), Style(), Page(), &error)) << error;

    ProgramResult lint = RunProgram({"xmllint", "--html", "--noout", Page()});
    EXPECT_EQ(lint.status, 0) << lint.output;
    EXPECT_EQ(lint.output, "") << lint.output;

    EXPECT_EQ(XPath("count(//table[@id='calls']/tbody/tr)"), "3");
    EXPECT_EQ(XPath("count(//script)"), "1"); // only the page's own sorting script
    EXPECT_EQ(XPath("//tbody/tr[1]/td[3]"), "O'Neil \"Bob\" <b>");
    EXPECT_EQ(XPath("//tbody/tr[1]/td[6]"), "R&D <test> &amp;");
    EXPECT_EQ(XPath("//tbody/tr[2]/td[3]"), "Bad\xEF\xBF\xBD\xEF\xBF\xBD UTF-8 \xEF\xBF\xBD(");
    EXPECT_EQ(XPath("//tbody/tr[2]/td[6]"), script);
    EXPECT_EQ(XPath("//tbody/tr[3]/td[1]"), "12/10/26");
}

TEST_F(HtmlExportTest, ACallOfAnHourShowsItsLengthInMinutes) {
    std::vector<CallListRow> rows = {
        Row("20261201080000", "Long", "1", "", "01:00:10"),
        Row("20261202080000", "Short", "2", "", "01:30"),
    };
    ASSERT_TRUE(ExportCallListXml(rows, Xml()));
    std::string error;
    ASSERT_TRUE(ExportCallsHtml(Xml(), Style(), Page(), &error)) << error;
    EXPECT_EQ(XPath("//tbody/tr[1]/td[5]"), "60:10");
    EXPECT_EQ(XPath("//tbody/tr[2]/td[5]"), "01:30");
    EXPECT_NE(XPath("//div[@class='summary']").find("Total length: 61:40"), std::string::npos);
}

TEST_F(HtmlExportTest, FailuresAreClearAndLeaveNoPartOfAPage) {
    ASSERT_TRUE(ExportCallListXml({Row("20261201080000", "A", "1", "", "00:10")}, Xml()));
    std::string error;

    // The target is a folder.
    std::filesystem::create_directories(home.File("xml/taken.html"));
    const std::set<std::string> before = Entries(home.File("xml"));
    EXPECT_FALSE(ExportCallsHtml(Xml(), Style(), home.File("xml/taken.html"), &error));
    EXPECT_NE(error.find("taken.html"), std::string::npos) << error;
    EXPECT_EQ(Entries(home.File("xml")), before);

    // The folder is missing.
    EXPECT_FALSE(ExportCallsHtml(Xml(), Style(), home.File("gone/page.html"), &error));
    EXPECT_NE(error.find("gone/page.html"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(home.File("gone")));

    // A malformed document or stylesheet: the reader's own message, no page.
    home.Write("xml/broken.xml", "<calls><call>");
    EXPECT_FALSE(ExportCallsHtml(home.File("xml/broken.xml"), Style(), Page(), &error));
    EXPECT_NE(error.find("broken.xml"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(Page()));
    EXPECT_FALSE(ExportCallsHtml(Xml(), home.File("xml/broken.xml"), Page(), &error));
    EXPECT_NE(error.find("broken.xml"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(Page()));

    // A page the user made read-only stays as it is.
    if (::geteuid() != 0) {
        home.Write("xml/Call List.html", "mine");
        ::chmod(Page().c_str(), 0444);
        EXPECT_FALSE(ExportCallsHtml(Xml(), Style(), Page(), &error));
        EXPECT_EQ(home.Read("xml/Call List.html"), "mine");
    }
}

TEST(CallListHtmlPathTest, ThePageLiesBesideTheXml) {
    EXPECT_EQ(CallListHtmlPath("/p/xml/Call List.xml"), "/p/xml/Call List.html");
    EXPECT_EQ(CallListHtmlPath("/p.d/list"), "/p.d/list.html");
}

} // namespace
