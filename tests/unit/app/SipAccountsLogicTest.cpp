// The SIP accounts dialog's logic: what is refused, with which line, and
// the accounts saved into the settings beside the other settings.
#include "app/SipAccountsLogic.h"

#include "TempHome.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SipAccount Good() {
    SipAccount a;
    a.sName = "Office";
    a.sRegistrar = "sip.example.net:5061";
    a.sUser = "+49-30.123";
    a.sPassword = "p@ss word";
    a.sBindAddress = "192.0.2.7";
    return a;
}

TEST(SipAccountsLogic, EachBadFieldIsOneClearProblem) {
    EXPECT_TRUE(CheckSipAccount(Good()).empty());
    SipAccount v6 = Good();
    v6.sBindAddress = "::1";
    v6.sRegistrar = "[2001:db8::1]:5060";
    v6.nPort = 0;
    EXPECT_TRUE(CheckSipAccount(v6).empty());

    struct Case {
        void (*change)(SipAccount&);
        const char* problem;
    };
    const Case cases[] = {
        {[](SipAccount& a) { a.sUser.clear(); }, "the user name is missing"},
        {[](SipAccount& a) { a.sUser = "anna@home"; }, "the user name may not contain '@'"},
        {[](SipAccount& a) { a.sUser = "anna smith"; }, "the user name may not contain ' '"},
        {[](SipAccount& a) { a.sUser = "x>y"; }, "the user name may not contain '>'"},
        {[](SipAccount& a) { a.sPassword = "line\nbreak"; },
         "control characters (a tab, a line break) are not allowed"},
        {[](SipAccount& a) { a.sRegistrar = "sip.example.net/x"; },
         "the registrar must be a host name or address, with :port if needed"},
        {[](SipAccount& a) { a.sBindAddress = "eth0"; },
         "the listen address must be an IP address of this computer, or empty for all"},
        {[](SipAccount& a) { a.nPort = 70000; }, "the port must be 0 (any free port) to 65535"},
    };
    for (const Case& c : cases) {
        SipAccount a = Good();
        c.change(a);
        EXPECT_EQ(CheckSipAccount(a), std::vector<std::string>{c.problem}) << c.problem;
    }

    // Across the list, the limit of the sections; the account's place in
    // the problem: SipAccountsDlgTest.
    EXPECT_EQ(CheckSipAccounts(std::vector<SipAccount>(9, Good())),
              std::vector<std::string>{"At most 8 SIP accounts can be set up."});
}

TEST(SipAccountsLogic, SavedBesideTheOtherSettingsInAPrivateFile) {
    TempHome home;
    home.Write("vorella.ini", "[Options]\nnRings=3\n");
    std::string error;
    ASSERT_TRUE(SaveSipAccounts({Good()}, &error)) << error;
    const std::vector<SipAccount> read = LoadSipAccounts();
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].sPassword, "p@ss word");
    EXPECT_EQ(ProfileFile(home.File("vorella.ini")).GetInt("Options", "nRings", 0), 3);
    struct stat st {};
    ASSERT_EQ(::stat(home.File("vorella.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A settings file that cannot be replaced (a folder in its place, which
    // stops even root): said, with the file's name.
    ::unlink(home.File("vorella.ini").c_str());
    ASSERT_EQ(::mkdir(home.File("vorella.ini").c_str(), 0700), 0);
    EXPECT_FALSE(SaveSipAccounts({Good()}, &error));
    EXPECT_EQ(error, "The SIP accounts could not be saved in " + home.File("vorella.ini") + ".");
}

} // namespace
