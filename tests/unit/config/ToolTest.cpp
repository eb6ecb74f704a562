// vorella-tool's configuration commands, run as the built program.
#include "TempHome.h"
#include "config/SettingsStore.h"
#include "platform/FileUtil.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ToolResult {
    int exitCode = -1;
    std::string out;
};

// Runs vorella-tool with an argument vector (no shell) and collects stdout.
ToolResult RunTool(const std::vector<std::string>& args) {
    const char* bin = std::getenv("VORELLA_BIN_DIR");
    std::string path = std::string(bin && *bin ? bin : VORELLA_BIN_DIR_FALLBACK) + "/vorella-tool";
    std::vector<char*> argv{path.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    ToolResult r;
    char buf[4096];
    ssize_t n;
    while (rc == 0 && (n = ::read(fds[0], buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (rc == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    return r;
}

TEST(VorellaTool, SettingsSeedsTheIniAndPrintsEveryKeyInTableOrder) {
    TempHome home;
    home.CopyShipped("vorella.def");
    ASSERT_FALSE(FileExists(home.File("vorella.ini")));
    const ToolResult r = RunTool({"settings"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
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
        {"Courier U.S.R", "20\n"},      {"Courier AVC", "25\n"},    {"Rockwell Voice", "30\n"},
        {"Rockwell V.92", "100\n"},     {"Windows modem", "100\n"}, {"unknown thing", "0\n"},
        {"$(touch pwned); `x`", "0\n"},
    };
    for (const auto& [name, expect] : cases) {
        const ToolResult r = RunTool({"modem-type", name});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, expect) << name;
    }
    EXPECT_EQ(RunTool({"modem-type"}).exitCode, 2);
}

TEST(VorellaTool, ProfilePrintsEveryKeyAndTheTypeCode) {
    TempHome home;
    home.Write("modem.ini", "[Options]\nsSupportedModems=Rockwell Test\n"
                            "[Rockwell Test]\nCfg=rt.cfg\n");
    home.Write("cfg/rt.cfg", "[Options]\nsCmdAnswer=A7\n");
    const ToolResult r = RunTool({"profile", "Rockwell Test"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("\nnCompression\t4\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nsCmdAnswer\tA7\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nsStatusMODEM_EOT1\t16\nsStatusMODEM_EOT2\t3\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n# type code: 30\n"), std::string::npos);
}

} // namespace
