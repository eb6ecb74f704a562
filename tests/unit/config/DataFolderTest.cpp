#include "config/DataFolder.h"
#include "TempHome.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

TEST(DataFolder, EmptyPathMeansTheProgramFolderAndTrailingSlashesCollapseToOne) {
    TempHome home;
    EXPECT_EQ(DataFolderFromPath("/srv/calls//"), "/srv/calls/");
    EXPECT_EQ(DataFolderFromPath("/srv/calls"), "/srv/calls/");
    EXPECT_EQ(DataFolderFromPath("/"), "/");
    EXPECT_EQ(GetDataFolder(), home.Path());
    ASSERT_TRUE(
        WriteProfileStringTo(GetSettingsPath(), "Options", "sPath", home.Path() + "data//"));
    EXPECT_EQ(GetDataFolder(), home.Path() + "data/");
}
