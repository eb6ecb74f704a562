// SPDX-License-Identifier: GPL-3.0-or-later
// The SIP provider as the programs get it: a plugin, loaded into a process
// that does not link the SIP stack, only once the settings name an account;
// what the settings name decides the provider, and the log says which.
// A hostile caller's overlong display names are cut by the plugin's guard
// before the stack it brought parses them; a plugin that is missing, broken
// or built for another interface leaves the line unavailable with the
// reason, told once.
#include "../../unit/tapi/TapiTestSupport.h"
#include "RawSipCaller.h"
#include "TempHome.h"
#include "app/TelephonyLines.h"
#include "app/TelephonyProvider.h"
#include "platform/FileUtil.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"
#include "sip/SipAccounts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Whether a library whose file name holds name is mapped into this process.
bool Mapped(const std::string& name) {
    return ReadWholeFile("/proc/self/maps", 64 << 20).value_or("").find(name) != std::string::npos;
}

class SipPlugin : public ::testing::Test {
protected:
    void TearDown() override {
        ::setenv("VORELLA_SIP_PLUGIN", plugin.c_str(), 1);
        ::unsetenv("VORELLA_TAPI");
    }
    void WriteAccount(int nPort) {
        home.Write("vorella.ini", StrPrintf("[Options]\nnTAPI=1\n[SIP1]\nsName=Desk\n"
                                            "sUser=vorella\nsBindAddress=127.0.0.1\nnPort=%d\n",
                                            nPort));
    }
    // What this install said at once; later lines (from the providers it
    // makes) stay in told.
    std::vector<std::string> Install() {
        const size_t before = told.size();
        InstallTelephonyProvider(providers, [this](const std::string& l) { told.push_back(l); });
        return {told.begin() + static_cast<std::ptrdiff_t>(before), told.end()};
    }
    size_t Told(const std::string& start) const {
        return static_cast<size_t>(
            std::count_if(told.begin(), told.end(),
                          [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
    }
    TelephonyLineList Listed() const { return ListTelephonyLines(&providers); }

    const std::string plugin = std::getenv("VORELLA_SIP_PLUGIN");
    TempHome home;
    CTapiProviders providers;
    std::vector<std::string> told;
};

TEST_F(SipPlugin, LoadedForAnAccountItsGuardCutsAHostileCallersNames) {
    ASSERT_FALSE(Mapped("liblinphone")) << "the test program must not link the SIP stack";
    home.Write("vorella.ini", "[Options]\nnTAPI=1\n");
    Install();
    std::string why;
    EXPECT_EQ(providers.Make(&why), nullptr);
    EXPECT_EQ(why, kNoSipAccountText);
    EXPECT_FALSE(Mapped("libvorella-sip")) << "no account, no plugin";

    const int port = FreeUdpPort();
    WriteAccount(port);
    std::unique_ptr<ITapiProvider> provider = providers.Make(&why);
    ASSERT_NE(provider, nullptr) << why;
    EXPECT_TRUE(Mapped("libvorella-sip"));
    EXPECT_TRUE(Mapped("liblinphone"));

    CPostedMessages posted;
    CMyTapi tapi(*provider, posted.Link());
    ASSERT_TRUE(tapi.Start());
    ASSERT_TRUE(tapi.OpenLine(0));
    ::testing::internal::CaptureStderr();
    // 10 kB names in From and To: the stack would go down on them uncut.
    const std::string name(10000, 'N');
    {
        CRawCaller caller(port, false);
        ASSERT_TRUE(
            caller.Send(caller.Invite("plugin-long", "\"" + name + "\" <sip:0301234567@127.0.0.1>",
                                      "\"" + name + "\" <sip:vorella@127.0.0.1>")));
        ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("SIP: a display name of more than 512 characters from 127.0.0.1"),
              std::string::npos)
        << said;
    EXPECT_EQ(tapi.Line()->CallerData().sNumber, "0301234567");
    ASSERT_TRUE(DropAndWaitGone(*tapi.Line(), posted));
    tapi.Stop();
}

TEST_F(SipPlugin, TheSettingsAccountsChooseTheProviderAndTheLogSaysWhich) {
    // A state folder left open to others is closed.
    std::filesystem::create_directories(home.File("sip"));
    ::chmod(home.File("sip").c_str(), 0755);

    // A modem chosen: the provider is there, but not a word of SIP.
    EXPECT_EQ(Install(), std::vector<std::string>{});
    providers.Register(kSipTapiName, {}); // uninstalled

    // A telephony line chosen, no account yet: the provider is there, its
    // lines are not.
    home.Write("vorella.ini", "[Options]\nnTAPI=1\n");
    EXPECT_EQ(Install(), std::vector<std::string>{
                             "telephony provider: SIP, no line yet: the settings name no SIP "
                             "account (sections [SIP1] to [SIP8] with sUser)"});
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
    EXPECT_EQ(Told("SIP: no telephony line: "), 1u) << "the same reason is told once";
    EXPECT_EQ(std::filesystem::status(home.File("sip")).permissions(),
              std::filesystem::perms::owner_all);

    // An account set up later counts without installing again.
    WriteAccount(0);
    const TelephonyLineList list = Listed();
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0].sName, "Desk");
    EXPECT_EQ(list.sMessage, "");
    EXPECT_EQ(Install(), std::vector<std::string>{"telephony provider: SIP, lines: Desk"});

    // Another provider named: neither.
    providers.Register(kSipTapiName, {}); // uninstalled
    ::setenv("VORELLA_TAPI", "isdn", 1);
    EXPECT_EQ(Install(), std::vector<std::string>{
                             "VORELLA_TAPI=isdn: no such telephony provider (known: simulated, "
                             "sip); telephony lines are not available"});
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
}

TEST_F(SipPlugin, APluginThatCannotServeLeavesTheLineUnavailableToldOnce) {
    const std::string text = home.File("not-a-library.so");
    home.Write("not-a-library.so", "plain text");
    struct Case {
        std::string path;
        std::string why; // what the reason says after the plugin's path
    };
    const Case cases[] = {
        {home.File("missing.so"), "is not installed"},
        {text, "cannot be loaded: "},
        {VORELLA_TEST_WRONG_PLUGIN, "was built for plugin interface 2, this program needs 1"},
    };
    WriteAccount(0);
    for (const Case& c : cases) {
        ::setenv("VORELLA_SIP_PLUGIN", c.path.c_str(), 1);
        told.clear();
        Install();
        for (int i = 0; i < 2; ++i) {
            std::string why;
            EXPECT_EQ(providers.Make(&why), nullptr) << c.path;
            EXPECT_EQ(why.rfind("the plugin " + c.path + " " + c.why, 0), 0u) << why;
        }
        ASSERT_EQ(told.size(), 2u) << c.path; // the lines at start-up, and the reason once
        EXPECT_EQ(told[0], "telephony provider: SIP, lines: Desk");
        EXPECT_EQ(told[1].rfind("SIP: no telephony line: the plugin " + c.path + " " + c.why, 0),
                  0u)
            << told[1];
    }
}

} // namespace
