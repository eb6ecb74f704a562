// SPDX-License-Identifier: GPL-3.0-or-later
// The SIP provider as the programs get it: a plugin, loaded into a process
// that does not link the SIP stack, only once the settings name an account.
// A hostile caller's overlong display names are cut by the plugin's guard
// before the stack it brought parses them; a plugin that is missing, broken
// or built for another interface leaves the line unavailable with the
// reason, told once.
#include "../../unit/tapi/TapiTestSupport.h"
#include "RawSipCaller.h"
#include "TempHome.h"
#include "app/TelephonyProvider.h"
#include "platform/TextUtil.h"
#include "sip/SipAccounts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Whether a library whose file name holds name is mapped into this process.
bool Mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(name) != std::string::npos)
            return true;
    return false;
}

class SipPlugin : public ::testing::Test {
protected:
    void TearDown() override { ::setenv("VORELLA_SIP_PLUGIN", plugin.c_str(), 1); }
    void WriteAccount(int nPort) {
        home.Write("vorella.ini", StrPrintf("[Options]\nnTAPI=1\n[SIP1]\nsName=Desk\n"
                                            "sUser=vorella\nsBindAddress=127.0.0.1\nnPort=%d\n",
                                            nPort));
    }
    void Install() {
        ASSERT_TRUE(InstallTelephonyProvider(
            providers, [this](const std::string& line) { told.push_back(line); }));
    }
    size_t Told(const std::string& text) const {
        return static_cast<size_t>(std::count(told.begin(), told.end(), text));
    }

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
    ASSERT_GT(port, 0);
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
        ASSERT_TRUE(caller.Connected());
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
    const size_t gone = posted.Count(kTapiMsgDeallocated);
    tapi.Line()->Drop();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated, gone + 1));
    tapi.Stop();
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
