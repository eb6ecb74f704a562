// The runtime folder that holds the control socket must be private.
#include "TempHome.h"

#include "platform/RuntimeFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

TEST(RuntimeFolder, IsMadePrivateUnderTheSessionRuntimeFolder) {
    TempHome home;
    std::string error;
    std::string folder = GetRuntimeFolder(&error);
    ASSERT_EQ(folder, home.Path() + "run/vorella/") << error;
    EXPECT_EQ(ModeOf(folder), 0700u);
    // A second call accepts the folder it made.
    EXPECT_EQ(GetRuntimeFolder(&error), folder);
    EXPECT_EQ(ControlSocketPath(folder), folder + "CommDllVorellaCallback0001");
}

TEST(RuntimeFolder, RefusesFoldersOthersCanReachOrOwn) {
    TempHome home;
    std::string error;
    const std::string loose = home.File("loose");
    ASSERT_EQ(::mkdir(loose.c_str(), 0755), 0);
    ::chmod(loose.c_str(), 0755);
    EXPECT_FALSE(EnsurePrivateFolder(loose, &error));
    EXPECT_NE(error.find("open to other users"), std::string::npos) << error;

    // A link to a private folder is not the folder: somebody could re-point it.
    const std::string real = home.File("real");
    ASSERT_EQ(::mkdir(real.c_str(), 0700), 0);
    const std::string link = home.File("link");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    EXPECT_FALSE(EnsurePrivateFolder(link, &error));

    home.Write("plain", "x");
    EXPECT_FALSE(EnsurePrivateFolder(home.File("plain"), &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

    // Runtime folder under XDG_RUNTIME_DIR with loose permissions: refused.
    ASSERT_EQ(::mkdir(home.File("run/vorella").c_str(), 0777), 0);
    ::chmod(home.File("run/vorella").c_str(), 0777);
    EXPECT_EQ(GetRuntimeFolder(&error), "");

    // Nor a folder that belongs to another user.
    std::string foreign;
    if (::geteuid() == 0) {
        foreign = home.File("foreign");
        ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    } else {
        foreign = "/"; // owned by root
    }
    EXPECT_FALSE(EnsurePrivateFolder(foreign, &error));
    EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
}

TEST(RuntimeFolder, BlockNamesFollowTheFolder) {
    const unsigned uid = ::geteuid();
    const std::string standard = "/run/user/" + std::to_string(uid) + "/vorella/";
    EXPECT_EQ(ControlBlockName(standard), "/VorellaSharedMemorySection." + std::to_string(uid));
    std::string a = ControlBlockName("/tmp/a/vorella/");
    std::string b = ControlBlockName("/tmp/b/vorella/");
    EXPECT_NE(a, b);
    EXPECT_EQ(a, ControlBlockName("/tmp/a/vorella")); // trailing "/" does not matter
    EXPECT_EQ(a.rfind("/VorellaSharedMemorySection." + std::to_string(uid) + ".", 0), 0u);
    EXPECT_EQ(a.find('/', 1), std::string::npos); // one name, no folders
}

} // namespace
