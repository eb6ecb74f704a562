#include "platform/ProgramFolder.h"
#include "TempHome.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>
#include <unistd.h>

// The installed share/vorella/ fills a fresh program folder; the user's own
// files stay, and a seeding cut short is finished by the next one.
TEST(ProgramFolder, SeedingFromTheInstalledFolderCompletesOrIsDoneAgain) {
    TempHome home;
    const std::string shipped = home.File("share/vorella/");
    const std::string folder = home.File("data/vorella/");
    home.Write("share/vorella/vorella.def", "[Options]\nnRings=4\n");
    home.Write("share/vorella/modem.ini", "[Options]\n");
    home.Write("share/vorella/cfg/custom.cfg", "shipped profile");
    home.Write("data/vorella/modem.ini", "user's catalogue");
    // A shipped file that cannot be read, as on a disk that fails.
    ASSERT_EQ(::symlink("/nonexistent/greet.wav", (shipped + "greet.wav").c_str()), 0);

    EXPECT_FALSE(SeedProgramFolder(shipped, folder));
    EXPECT_FALSE(FileExists(folder + "vorella.def")) << "the folder must not count as seeded";
    EXPECT_EQ(home.Read("data/vorella/cfg/custom.cfg"), "shipped profile");

    ASSERT_EQ(::unlink((shipped + "greet.wav").c_str()), 0);
    home.Write("share/vorella/greet.wav", "RIFF");
    EXPECT_TRUE(SeedProgramFolder(shipped, folder));
    EXPECT_EQ(home.Read("data/vorella/greet.wav"), "RIFF");
    EXPECT_EQ(home.Read("data/vorella/vorella.def"), "[Options]\nnRings=4\n");
    EXPECT_EQ(home.Read("data/vorella/modem.ini"), "user's catalogue");
}
