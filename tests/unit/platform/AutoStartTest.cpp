// The autostart entry under a private configuration folder.
#include "TempHome.h"

#include "platform/AutoStart.h"
#include "platform/FileUtil.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class AutoStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            m_old = old;
        ::setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    }
    void TearDown() override {
        if (m_old.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
    }
    TempHome home;
    std::string m_old;
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
    ::unsetenv("XDG_CONFIG_HOME");
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.File("h").c_str(), 1);
    EXPECT_EQ(AutoStartEntryPath(), home.File("h/.config/autostart/vorella.desktop"));
    EXPECT_TRUE(SetAutoStart(true, "/usr/bin/vorella"));
    EXPECT_TRUE(FileExists(home.File("h/.config/autostart/vorella.desktop")));
    ::setenv("HOME", oldHome.c_str(), 1);
}

} // namespace
