// The SIP accounts dialog's logic: what is refused, with which line, and
// a settings file the accounts cannot be saved in.
#include "app/SipAccountsLogic.h"

#include "TempHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

// A settings file that cannot be replaced (a folder in its place, which
// stops even root) is said, with the file's name.
TEST(SipAccountsLogic, ASettingsFileThatCannotBeSavedIsSaidByName) {
    TempHome home;
    ASSERT_EQ(::mkdir(home.File("vorella.ini").c_str(), 0700), 0);
    std::string error;
    EXPECT_FALSE(SaveSipAccounts({Good()}, &error));
    EXPECT_EQ(error, "The SIP accounts could not be saved in " + home.File("vorella.ini") + ".");
}

} // namespace
