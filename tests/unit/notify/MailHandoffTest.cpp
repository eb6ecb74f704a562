// The hand-off to the user's mail program through a stand-in xdg-email on
// PATH: the private copy of a recording is kept while the mail program may
// still read it and removed after that.
#include "notify/CallMail.h"
#include "notify/MailHandoff.h"
#include "platform/FileUtil.h"

#include "ScopedEnv.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class MailHandoffTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home.File("bin"));
        std::filesystem::create_directories(home.File("tmp"));
    }
    // A stand-in for xdg-email: it writes its arguments to "args", one per
    // line, says it runs, waits for the file "go" when asked to, then copies
    // the attachment it was given to "got".
    void FakeXdgEmail(bool waitForGo) {
        const std::string dir = home.Path();
        home.Write("bin/xdg-email",
                   "#!/bin/sh\n"
                   "printf '%s\\n--\\n' \"$@\" > '" + dir + "args'\n"
                   "while [ $# -gt 0 ] && [ \"$1\" != --attach ]; do shift; done\n"
                   ": > '" + dir + "started'\n" +
                       (waitForGo ? "while [ ! -e '" + dir + "go' ]; do sleep 0.02; done\n" : "") +
                       "cat \"$2\" > '" + dir + "got.$$' && mv '" + dir + "got.$$' '" + dir +
                       "got'\n");
        ::chmod(home.File("bin/xdg-email").c_str(), 0755);
    }
    // A private copy of a recording, as a notice makes one.
    std::string MakeCopy(const std::string& folderName) {
        const std::string folder = home.File("tmp/" + folderName + "/");
        std::filesystem::create_directories(folder);
        ::chmod(folder.c_str(), 0700);
        home.Write("tmp/" + folderName + "/Message.wav", "RIFF-copy-of-" + folderName);
        return folder;
    }
    std::vector<std::string> TempFolders() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(home.File("tmp")))
            names.push_back(e.path().filename().string());
        return names;
    }

    TempHome home;
    ScopedEnv path{"PATH", (home.File("bin") + ":" + std::getenv("PATH")).c_str()};
    ScopedEnv tmpdir{"TMPDIR", home.File("tmp").c_str()};
};

TEST_F(MailHandoffTest, TheCopyIsRemovedOnlyAfterXdgEmailHasEnded) {
    FakeXdgEmail(true);
    const std::string folder = MakeCopy("vorella-mail-a1");
    HandoffMessage m{"subject", "body", {"a@x.org"}, folder + "Message.wav", folder};
    m.nKeepSeconds = 0;
    std::string error;
    ASSERT_TRUE(HandOffMail(m, &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(home.File("started")); }));
    // xdg-email still runs: the copy is still there for it.
    EXPECT_TRUE(std::filesystem::exists(folder + "Message.wav"));
    home.Write("go", "");
    EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(folder); })) << "the copy was never removed";
    EXPECT_EQ(home.Read("got"), "RIFF-copy-of-vorella-mail-a1");
}

TEST_F(MailHandoffTest, WhatIsNotOursIsNeverRemoved) {
    FakeXdgEmail(false);
    struct Case {
        const char* name;
        bool extraFile;   // something else lies in the folder
        bool attachOther; // the attachment is not inside the folder
    } cases[] = {
        {"vorella-mail-b1", true, false},
        {"vorella-mail-b2", false, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(home.File("got"));
        const std::string folder = MakeCopy(c.name);
        if (c.attachOther)
            std::filesystem::remove(folder + "Message.wav");
        if (c.extraFile)
            home.Write(std::string("tmp/") + c.name + "/user-file", "mine");
        home.Write("rec.wav", "RIFF-original");
        HandoffMessage m{"s", "b", {"a@x.org"},
                         c.attachOther ? home.File("rec.wav") : folder + "Message.wav", folder};
        m.nKeepSeconds = 0;
        ASSERT_TRUE(HandOffMail(m)) << c.name;
        ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(home.File("got")); })) << c.name;
        if (c.extraFile) {
            // The copy goes; the folder and what else is in it stay.
            EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(folder + "Message.wav"); })) << c.name;
            EXPECT_EQ(home.Read(std::string("tmp/") + c.name + "/user-file"), "mine");
        } else {
            // The handed file lies elsewhere: only the empty folder goes.
            EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(folder); })) << c.name;
            EXPECT_EQ(home.Read("rec.wav"), "RIFF-original");
        }
    }
}

TEST_F(MailHandoffTest, AStartThatFailsLeavesTheCopyToTheCaller) {
    home.Write("bin/xdg-email", "#!/nonexistent/interpreter\n");
    ::chmod(home.File("bin/xdg-email").c_str(), 0755);
    const std::string folder = MakeCopy("vorella-mail-c1");
    HandoffMessage m{"s", "b", {"a@x.org"}, folder + "Message.wav", folder};
    m.nKeepSeconds = 0;
    std::string error;
    EXPECT_FALSE(HandOffMail(m, &error));
    EXPECT_NE(error.find("cannot start xdg-email"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::exists(folder + "Message.wav"));
}

// Words from a caller and the settings arrive as arguments, never through
// a shell, and an address cannot pass for an option.
TEST_F(MailHandoffTest, TheMessageGoesToXdgEmailAsArguments) {
    FakeXdgEmail(false);
    EXPECT_EQ(FindMailHandoffTool(), home.File("bin/xdg-email"));
    home.Write("rec.wav", "RIFF");
    HandoffMessage m{"Bob; rm -rf ~, #555",
                     "Call from $(reboot)\n`x`",
                     {"a@x.org", "--attach=/etc/passwd", "b@y.org"},
                     home.File("rec.wav")};
    std::string error;
    ASSERT_TRUE(HandOffMail(m, &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(home.File("got")); }));
    EXPECT_EQ(home.Read("args"), "--utf8\n--\n--subject\n--\nBob; rm -rf ~, #555\n--\n--body\n--\n"
                                 "Call from $(reboot)\n`x`\n--\n--attach\n--\n" +
                                     home.File("rec.wav") + "\n--\na@x.org\n--\nb@y.org\n--\n");
}

TEST_F(MailHandoffTest, WithoutXdgEmailTheHandoffSaysItIsUnavailable) {
    ::setenv("PATH", home.File("bin").c_str(), 1);
    EXPECT_EQ(FindMailHandoffTool(), "");
    std::string error;
    EXPECT_FALSE(HandOffMail(HandoffMessage{"s", "b", {"a@x.org"}, ""}, &error));
    EXPECT_NE(error.find("xdg-email"), std::string::npos);
}

// Notices handed off one after another leave no folders behind once the
// mail program has had their copies.
TEST_F(MailHandoffTest, HandedOffNoticesLeaveNoTemporaryFolders) {
    FakeXdgEmail(false);
    home.Write("rec.wav", std::string(3000, 'r'));
    MailSettings s;
    s.bEMailCID = 1;
    s.bEAttachVoice = true;
    s.bEMailCompress = true;
    s.m_sRecipsAdderss = "alice@example.com";
    CallForMail call;
    call.sRecordingPath = home.File("rec.wav");
    MailHooks hooks;
    hooks.convertToGsm = [](const std::string& from, const std::string& to) {
        return CopyFileTo(from, to);
    };
    std::vector<HandoffMessage> handed;
    hooks.handOff = [&](const HandoffMessage& m, std::string* error) {
        handed.push_back(m);
        HandoffMessage quick = m;
        quick.nKeepSeconds = 0; // no grace to wait out here
        return HandOffMail(quick, error);
    };
    NotifyOutcome out = SendCallNotifications(s, {call, call, call}, nullptr, hooks);
    EXPECT_EQ(out.nHandedOff, 3);
    ASSERT_EQ(handed.size(), 3u);
    for (const HandoffMessage& m : handed) {
        EXPECT_FALSE(m.sTempFolder.empty());
        EXPECT_EQ(m.sAttachment.rfind(m.sTempFolder, 0), 0u) << m.sAttachment;
    }
    EXPECT_TRUE(WaitUntil([&] { return TempFolders().empty(); }))
        << "left behind: " << TempFolders().size();
    EXPECT_EQ(home.Read("got"), std::string(3000, 'r'));
}

} // namespace
