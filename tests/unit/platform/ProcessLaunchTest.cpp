// Starting programs: words from settings stay words, nothing goes near a shell.
#include "TempHome.h"

#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "WaitUntil.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <set>

namespace {

using Words = std::vector<std::string>;

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.insert(e->d_name);
        ::closedir(d);
    }
    return names;
}

TEST(SplitArguments, SplitsLikeAShellWithoutDoingWhatAShellDoes) {
    struct Case {
        const char* text;
        Words words;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"-a -b", {"-a", "-b"}},
        {"  spaced   out  ", {"spaced", "out"}},
        {"\"two words\" 'and more'", {"two words", "and more"}},
        {"pre\"mid dle\"post", {"premid dlepost"}},
        {"''", {""}},
        {"\"\"", {""}},
        {R"("say \"hi\" \\ \$HOME")", {R"(say "hi" \ $HOME)"}},
        {R"("C:\path")", {R"(C:\path)"}}, // other backslashes stay in double quotes
        {R"('it''s')", {"its"}},
        {R"(a\ b)", {"a b"}},
        {"x; rm -rf ~", {"x;", "rm", "-rf", "~"}},
        {"$(reboot) `id` *.wav | cat > out &",
         {"$(reboot)", "`id`", "*.wav", "|", "cat", ">", "out", "&"}},
    };
    for (const Case& c : cases) {
        auto words = SplitArguments(c.text);
        ASSERT_TRUE(words) << c.text;
        EXPECT_EQ(*words, c.words) << c.text;
    }
    for (const char* bad : {"\"open", "'open", "trailing\\", "a \"b 'c\" 'd"}) {
        std::string error;
        EXPECT_FALSE(SplitArguments(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    auto cmd = BuildCommand("/opt/fax/bin/fax", "-d /dev/ttyS0 \"--name=My Fax\"");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(*cmd, (Words{"/opt/fax/bin/fax", "-d", "/dev/ttyS0", "--name=My Fax"}));
}

TEST(LaunchProcess, ArgumentsArriveLiterally) {
    TempHome home;
    const std::string folder = home.File("out");
    ASSERT_TRUE(MakeDirectories(folder));
    // Each argument becomes a file of exactly that name; a shell would have
    // run the commands instead.
    auto argv = BuildCommand("touch", "'a; touch pwned' \"$(touch pwned2)\" '`touch pwned3`' '*'");
    ASSERT_TRUE(argv);
    LaunchOptions wait;
    wait.bWait = true;
    wait.nTimeoutMs = 60000;
    wait.sWorkDir = folder;
    LaunchResult r = LaunchProcess(*argv, wait);
    ASSERT_EQ(r.status, LaunchStatus::Exited) << r.error;
    EXPECT_EQ(r.nExitCode, 0);
    EXPECT_EQ(FilesIn(folder),
              (std::set<std::string>{"a; touch pwned", "$(touch pwned2)", "`touch pwned3`", "*"}));
}

TEST(LaunchProcess, ReportsExitCodesMissingProgramsAndDeadlines) {
    TempHome home;
    LaunchOptions wait;
    wait.bWait = true;
    LaunchResult r = LaunchProcess({"false"}, wait);
    EXPECT_EQ(r.status, LaunchStatus::Exited);
    EXPECT_EQ(r.nExitCode, 1);

    r = LaunchProcess({home.File("no-such-program")}, wait);
    EXPECT_EQ(r.status, LaunchStatus::NotFound);
    EXPECT_FALSE(r.error.empty());
    r = LaunchProcess({"vorella-no-such-program-anywhere"});
    EXPECT_EQ(r.status, LaunchStatus::NotFound);
    home.Write("not-executable", "#!/bin/sh\n");
    r = LaunchProcess({home.File("not-executable")}, wait);
    EXPECT_EQ(r.status, LaunchStatus::NotFound);
    EXPECT_EQ(LaunchProcess({}).status, LaunchStatus::Failed);

    LaunchOptions bad = wait;
    bad.sWorkDir = home.File("no-such-folder");
    r = LaunchProcess({"true"}, bad);
    EXPECT_EQ(r.status, LaunchStatus::Failed);
    EXPECT_NE(r.error.find("start folder"), std::string::npos) << r.error;

    // Past its deadline a program is ended, not left behind.
    LaunchOptions brief = wait;
    brief.nTimeoutMs = 200;
    r = LaunchProcess({"sleep", "60"}, brief);
    EXPECT_EQ(r.status, LaunchStatus::TimedOut);
    EXPECT_EQ(r.nExitCode, 128 + 15);
}

TEST(LaunchProcess, DetachedProgramsRunOnTheirOwn) {
    TempHome home;
    const std::string marker = home.File("detached-ran");
    LaunchResult r = LaunchProcess({"touch", marker});
    ASSERT_EQ(r.status, LaunchStatus::Started) << r.error;
    EXPECT_GT(r.pid, 0);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(marker); }));
    EXPECT_FALSE(GetExecutablePath().empty());
    EXPECT_EQ(GetExecutablePath()[0], '/');
}

} // namespace
