// vorella-tool's configuration commands, run as the built program.
#include "ChildProcess.h"
#include "TempHome.h"
#include "config/SettingsStore.h"
#include "platform/FileUtil.h"
#include "platform/StringCatalogue.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

// Runs vorella-tool with an argument vector (no shell) and collects its output.
ProgramRun RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), BuiltProgram("vorella-tool"));
    return RunProgram(args);
}

TEST(VorellaTool, SettingsSeedsTheIniAndPrintsEveryKeyInTableOrder) {
    TempHome home;
    home.CopyShipped("vorella.def");
    ASSERT_FALSE(FileExists(home.File("vorella.ini")));
    const ProgramRun r = RunTool({"settings"});
    ASSERT_EQ(r.nExit, 0) << r.out;
    EXPECT_TRUE(FileExists(home.File("vorella.ini")));
    EXPECT_EQ(home.Read("vorella.ini"), home.Read("vorella.def"));

    size_t pos = 0;
    for (const SettingKey& k : SettingKeys()) {
        const std::string line = std::string(k.section) + "\t" + k.key + "\t";
        const size_t at = r.out.find("\n" + line, pos == 0 ? 0 : pos - 1);
        const bool first = pos == 0 && r.out.rfind(line, 0) == 0;
        ASSERT_TRUE(first || at != std::string::npos) << k.key << " missing or out of order";
        pos = (first ? 0 : at + 1) + line.size();
    }
    EXPECT_NE(r.out.find("\nOptions\tdwPopupTimer\t60000\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nOptions\tsFileContacts\t" + home.Path() + "minidb.dat\n"),
              std::string::npos);
}

TEST(VorellaTool, ModemTypeClassifiesNames) {
    TempHome home;
    const std::pair<const char*, const char*> cases[] = {
        {"Courier AVC", "25\n"}, {"Rockwell Voice", "30\n"}, {"$(touch pwned); `x`", "0\n"}};
    for (const auto& [name, expect] : cases) {
        const ProgramRun r = RunTool({"modem-type", name});
        EXPECT_EQ(r.nExit, 0);
        EXPECT_EQ(r.out, expect) << name;
    }
    EXPECT_EQ(RunTool({"modem-type"}).nExit, 2);
}

TEST(VorellaTool, ProfilePrintsEveryKeyAndTheTypeCode) {
    TempHome home;
    home.Write("modem.ini", "[Options]\nsSupportedModems=Rockwell Test\n"
                            "[Rockwell Test]\nCfg=rt.cfg\n");
    home.Write("cfg/rt.cfg", "[Options]\nsCmdAnswer=A7\n");
    const ProgramRun r = RunTool({"profile", "Rockwell Test"});
    ASSERT_EQ(r.nExit, 0);
    EXPECT_NE(r.out.find("\nnCompression\t4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nsCmdAnswer\tA7\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nsStatusMODEM_EOT1\t16\nsStatusMODEM_EOT2\t3\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n# type code: 30\n"), std::string::npos);
}

TEST(VorellaTool, StringsWritesATemplateThatReadsBackAsTheEnglishTable) {
    TempHome home;
    const ProgramRun r = RunTool({"strings"});
    ASSERT_EQ(r.nExit, 0) << r.err;
    home.Write("lang/vorella-xx.strings", r.out);
    const StringCatalogue cat = ReadStringCatalogue(home.File("lang/vorella-xx.strings"));
    EXPECT_TRUE(cat.problems.empty()) << cat.problems.front();
    size_t nTranslatable = 0;
    for (int id : StringIds()) {
        if (IsFixedStr(id)) {
            EXPECT_EQ(cat.texts.count(id), 0u) << id;
            continue;
        }
        ++nTranslatable;
        ASSERT_EQ(cat.texts.count(id), 1u) << id;
        EXPECT_EQ(cat.texts.at(id), LoadEnglishStr(id)) << id;
    }
    EXPECT_EQ(cat.texts.size(), nTranslatable);
}

// The contacts commands read numbers as the settings' country does.
constexpr const char* kGermanIni = "[Options]\nsCountry=DE\nAreaCode=030\n";

// The contacts file's list as the tool prints it.
std::string Listed() {
    return RunTool({"contacts", "list"}).out;
}

TEST(VorellaTool, ContactsImportAllOrNothingAndListsInOneStep) {
    TempHome home;
    home.Write("vorella.ini", kGermanIni);
    home.Write("two.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\n"
                          "TEL;TYPE=CELL:+49 171 2345678\r\nTEL;TYPE=HOME:030 123456\r\n"
                          "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bob Lee\r\n"
                          "TEL;VALUE=uri:tel:+44-20-7946-0000\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:No Phone\r\nEND:VCARD\r\n");
    home.Write("hostile.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Eve\r\nTEL:030 666\r\n"
                              "END:VCARD\r\nBEGIN:VCARD\r\nFN:\xff\xfe\r\nTEL:1\r\nEND:VCARD\r\n");
    home.Write("rows.csv", "number,name,list\n0171 9876543,Carl,block\n,Nobody,\n");
    struct Step {
        std::vector<std::string> args;
        int nExit;
        const char* said;   // in its output or error
        const char* listed; // in the list afterwards
    };
    const Step steps[] = {
        {{"contacts", "list"}, 1, "does not exist", ""},
        {{"contacts", "import", home.File("two.vcf")},
         0,
         "skipped: card 3 (No Phone)",
         "Anna Berg\tnone\t0171 2345678 (cell), 030 123456 (home)\nBob Lee\tnone\t+44 20 7946 "
         "0000"},
        {{"contacts", "import", home.File("hostile.vcf")}, 1, "not UTF-8", "# contacts: 2\n"},
        {{"contacts", "import", home.File("missing.vcf")}, 1, "No such file", "# contacts: 2\n"},
        {{"contacts", "import", home.File("rows.csv")},
         0,
         "skipped: row 3: no number",
         "Carl\tblock\t0171 9876543\n"},
        {{"contacts", "block", "+49 (30) 123-456"}, 0, "block: Anna Berg\n", "Anna Berg\tblock"},
        {{"contacts", "permit", "0049", "30", "555"},
         0,
         "(a new contact)",
         "030 555\tpermit\t030 555\n"},
        {{"contacts", "block", "Anonymous"}, 1, "is no telephone number", "# contacts: 4\n"},
        {{"contacts", "frob", "x"}, 2, "usage:", "# contacts: 4\n"},
    };
    for (const Step& step : steps) {
        const ProgramRun r = RunTool(step.args);
        EXPECT_EQ(r.nExit, step.nExit) << step.args[1] << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(step.said), std::string::npos) << r.out << r.err;
        EXPECT_NE(Listed().find(step.listed), std::string::npos) << step.args[1] << Listed();
    }

    // What is exported imports again as the same contacts, and is exported the same.
    const std::string before = Listed();
    for (const std::string file : {"out.vcf", "out.csv"}) {
        ASSERT_EQ(RunTool({"contacts", "export", home.File(file)}).nExit, 0) << file;
        home.Write("vorella.ini", kGermanIni + ("sFileContacts=" + home.File(file + ".db")));
        EXPECT_EQ(RunTool({"contacts", "import", home.File(file)}).nExit, 0) << file;
        if (file == "out.vcf") {
            EXPECT_EQ(Listed(), before); // CSV keeps no number types
        }
        ASSERT_EQ(RunTool({"contacts", "export", home.File("again-" + file)}).nExit, 0);
        EXPECT_EQ(home.Read("again-" + file), home.Read(file));
        home.Write("vorella.ini", kGermanIni);
    }
}

TEST(VorellaTool, HistoryListsNewestFirstInTheUsersFormAndADamagedFileIsSaidSo) {
    TempHome home;
    home.Write("vorella.ini", kGermanIni);
    {
        const CPhoneNumbers numbers("DE", "030");
        CContactStore store(numbers);
        ASSERT_TRUE(store.Open(home.File("minidb.dat"))) << store.Error();
        const int64_t anna = store.AddContact({0, "Anna Berg", {{"030 222222", ""}}, {}, "", ""});
        const auto call = [&](int64_t t, const char* number, CallOutcome outcome) {
            HistoryEntry e;
            e.tTime = 1800000000 + t;
            e.sNumber = number;
            e.sNormalised = numbers.Normalise(number);
            e.nContactId = t == 120 ? anna : 0;
            e.outcome = outcome;
            ASSERT_NE(store.AppendCall(e), 0);
        };
        call(0, "+4930111111", CallOutcome::Missed);
        call(120, "+4930222222", CallOutcome::Blocked);
        call(60, "00442079460000", CallOutcome::Answered);
    }
    const std::pair<Args, std::vector<const char*>> cases[] = {
        {{"history"},
         {"\t030 222222\t\tAnna Berg\tblocked", "\t+44 20 7946 0000\t", "\t030 111111\t"}},
        {{"history", "--missed"}, {"\t030 111111\t\t\tmissed"}},
        {{"history", "--blocked"}, {"\t030 222222\t"}},
    };
    for (const auto& [args, rows] : cases) {
        const ProgramRun r = RunTool(args);
        ASSERT_EQ(r.nExit, 0) << r.err;
        size_t at = 0;
        for (const char* row : rows) {
            at = r.out.find(row, at);
            ASSERT_NE(at, std::string::npos) << args.back() << ": " << row << " in order\n"
                                             << r.out;
        }
        EXPECT_NE(r.out.find(StrPrintf("%zu calls, newest first", rows.size())), std::string::npos);
    }

    const std::string damaged(5000, 'x');
    home.Write("minidb.dat", damaged);
    for (const Args& args :
         {Args{"history"}, Args{"contacts", "list"},
          Args{"contacts", "export", home.File("out.vcf")}, Args{"contacts", "block", "030 1"}}) {
        const ProgramRun r = RunTool(args);
        EXPECT_EQ(r.nExit, 1) << args[0];
        EXPECT_NE(r.err.find("The contacts file " + home.File("minidb.dat") +
                             " cannot be opened: file is not a database"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(home.Read("minidb.dat"), damaged);
}

} // namespace
