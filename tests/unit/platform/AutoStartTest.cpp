// The autostart entry under a private configuration folder.
#include "ScopedEnv.h"
#include "TempHome.h"

#include "platform/AutoStart.h"
#include "platform/FileUtil.h"

#include <gtest/gtest.h>

namespace {

class AutoStartTest : public ::testing::Test {
protected:
    TempHome home;
    ScopedEnv config{"XDG_CONFIG_HOME", home.File("config").c_str()};
};

TEST_F(AutoStartTest, EntryIsWrittenAndRemoved) {
    const std::string entry = home.File("config/autostart/vorella.desktop");
    EXPECT_EQ(AutoStartEntryPath(), entry);
    EXPECT_FALSE(IsAutoStart());
    EXPECT_TRUE(SetAutoStart(false, "/usr/bin/vorella")) << "switching off what is off is fine";

    ASSERT_TRUE(SetAutoStart(true, "/opt/my apps/100% \"best\"/$HOME\\vorella"));
    EXPECT_TRUE(IsAutoStart());
    std::string text = home.Read("config/autostart/vorella.desktop");
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=Vorella\n"), std::string::npos);
    // Quoted and escaped for the Exec key (argument level, then string level).
    EXPECT_NE(
        text.find("\nExec=\"/opt/my apps/100%% \\\\\"best\\\\\"/\\\\$HOME\\\\\\\\vorella\"\n"),
        std::string::npos)
        << text;

    // The user switched it off in the desktop's settings.
    home.Write("config/autostart/vorella.desktop", "[Desktop Entry]\nExec=x\nHidden=true\n");
    EXPECT_FALSE(IsAutoStart());

    ASSERT_TRUE(SetAutoStart(true, "/usr/bin/vorella"));
    EXPECT_TRUE(IsAutoStart());
    ASSERT_TRUE(SetAutoStart(false, "/usr/bin/vorella"));
    EXPECT_FALSE(IsAutoStart());
    EXPECT_FALSE(FileExists(entry));
}

TEST_F(AutoStartTest, FallsBackToTheHomeConfigFolder) {
    ScopedEnv noConfig("XDG_CONFIG_HOME", nullptr), userHome("HOME", home.File("h").c_str());
    EXPECT_EQ(AutoStartEntryPath(), home.File("h/.config/autostart/vorella.desktop"));
    EXPECT_TRUE(SetAutoStart(true, "/usr/bin/vorella"));
    EXPECT_TRUE(FileExists(home.File("h/.config/autostart/vorella.desktop")));
}

} // namespace
