// vorella-tool's configuration commands, run as the built program.
#include "ChildProcess.h"
#include "TempHome.h"
#include "config/SettingsStore.h"
#include "platform/FileUtil.h"
#include "platform/StringCatalogue.h"
#include "platform/Strings.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
