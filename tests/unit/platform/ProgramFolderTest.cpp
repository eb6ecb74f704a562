#include "platform/ProgramFolder.h"
#include "TempHome.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

TEST(ProgramFolder, HomeVariableChoosesTheFolder) {
    TempHome home;
    EXPECT_EQ(GetProgramFolder(), home.Path());
    EXPECT_EQ(GetSettingsPath(), home.Path() + "vorella.ini");
}

TEST(ProgramFolder, SeedingCopiesTheDefaultsButNeverOverwritesTheIni) {
    TempHome home;
    EXPECT_FALSE(SeedSettingsFile());
    home.Write("vorella.def", "[Options]\nnRings=4\n");
    ASSERT_TRUE(SeedSettingsFile());
    EXPECT_EQ(GetProfileIntFrom(GetSettingsPath(), "Options", "nRings", 0), 4);

    ASSERT_TRUE(WriteProfileIntTo(GetSettingsPath(), "Options", "nRings", 7));
    home.Write("vorella.def", "[Options]\nnRings=9\n");
    ASSERT_TRUE(SeedSettingsFile());
    EXPECT_EQ(GetProfileIntFrom(GetSettingsPath(), "Options", "nRings", 0), 7);
}
