// The SIP line as the programs set it up: the provider installed from the
// settings' accounts, with what it says in the log; the lines listed while
// the worker's line is open, on the port the settings fix, without a second
// stack and without disturbing the line; the call's sound sockets bound
// where the settings say.
#include "FarEnd.h"
#include "RawSipCaller.h"

#include "../../unit/tapi/TapiTestSupport.h"
#include "TempHome.h"
#include "app/TelephonyLines.h"
#include "app/TelephonyProvider.h"
#include "engine/Phone.h"
#include "engine/TelephonyLineDevice.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

struct UdpSocket {
    std::string sAddress; // hex, as the kernel lists it ("0100007F")
    int nPort = 0;
};

// The UDP sockets of this process, from the kernel's tables.
std::vector<UdpSocket> OwnUdpSockets() {
    std::set<std::string> inodes;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (!ec && target.rfind("socket:[", 0) == 0)
            inodes.insert(target.substr(8, target.size() - 9));
    }
    std::vector<UdpSocket> found;
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
        std::ifstream f(table);
        std::string line;
        std::getline(f, line); // the heading
        while (std::getline(f, line)) {
            std::istringstream in(line);
            std::string field[10];
            for (std::string& s : field)
                in >> s;
            const std::string& local = field[1];
            const size_t colon = local.rfind(':');
            if (colon != std::string::npos && inodes.count(field[9]))
                found.push_back(
                    {local.substr(0, colon), std::stoi(local.substr(colon + 1), nullptr, 16)});
        }
    }
    return found;
}

class SipLine : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("VORELLA_TAPI"); }
    void WriteAccount(int nPort) {
        home.Write("vorella.ini", StrPrintf("[Options]\nnTAPI=1\n[SIP1]\nsName=Desk\n"
                                            "sUser=vorella\nsBindAddress=127.0.0.1\nnPort=%d\n",
                                            nPort));
    }
    // What this install said at once; later lines (from the providers it
    // makes) stay in told.
    std::vector<std::string> Install() {
        const size_t before = told.size();
        InstallTelephonyProvider(providers,
                                 [this](const std::string& line) { told.push_back(line); });
        return {told.begin() + static_cast<std::ptrdiff_t>(before), told.end()};
    }
    size_t Told(const std::string& start) const {
        return std::count_if(told.begin(), told.end(),
                             [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    }

    void Uninstall() { providers.Register(kSipTapiName, {}); }
    TelephonyLineList Listed() const { return ListTelephonyLines(&providers); }

    std::vector<std::string> told;
    CTapiProviders providers;

    TempHome home;
};

TEST_F(SipLine, TheSettingsAccountsChooseTheProviderAndTheLogSaysWhich) {
    // A state folder left open to others is closed.
    std::filesystem::create_directories(home.File("sip"));
    ::chmod(home.File("sip").c_str(), 0755);

    // A modem chosen: the provider is there, but not a word of SIP.
    EXPECT_EQ(Install(), std::vector<std::string>{});
    Uninstall();

    // A telephony line chosen, no account yet: the provider is there, its
    // lines are not.
    home.Write("vorella.ini", "[Options]\nnTAPI=1\n");
    std::vector<std::string> log = Install();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "telephony provider: SIP, no line yet: the settings name no SIP account "
                      "(sections [SIP1] to [SIP8] with sUser)");
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
    EXPECT_EQ(Told("SIP: no telephony line: "), 1u) << "the same reason is told once";
    struct stat st {};
    ASSERT_EQ(::stat(home.File("sip").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // An account set up later counts without installing again.
    WriteAccount(0);
    TelephonyLineList list = Listed();
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0].sName, "Desk");
    EXPECT_EQ(list.sMessage, "");
    EXPECT_EQ(Install(), std::vector<std::string>{"telephony provider: SIP, lines: Desk"});

    // Another provider named: neither.
    Uninstall();
    setenv("VORELLA_TAPI", "isdn", 1);
    log = Install();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "VORELLA_TAPI=isdn: no such telephony provider (known: simulated, sip); "
                      "telephony lines are not available");
    EXPECT_EQ(Listed().sMessage, LoadStr(57974));
}

TEST_F(SipLine, ListingWhileTheLineIsOpenNeitherFailsNorDisturbsIt) {
    const int port = FreeUdpPort();
    ASSERT_GT(port, 0);
    WriteAccount(port);
    std::atomic<int> nMade{0};
    CTapiProviders installed;
    ASSERT_TRUE(InstallTelephonyProvider(installed, [](const std::string&) {}));
    providers.Register("counted", [&](std::string* pWhy) {
        ++nMade;
        return installed.Make(pWhy);
    });
    providers.Choose("counted");
    CPhone phone;
    phone.DeviceFactories().Register(DeviceKind::TelephonyLine, [this](IDeviceHost& host) {
        return MakeTelephonyLineDevice(host, providers);
    });
    phone.nTAPI = 1;
    phone.nTAPILine = 0;
    phone.ChooseDevice();
    CPostedMessages posted;
    phone.SetDeviceEventSink(posted.Link().post);
    ITelephoneDevice& device = phone.Device();
    ASSERT_TRUE(device.Open()) << device.OpenError();

    // Listed from the line in use: no second provider, no second stack.
    for (int i = 0; i < 2; ++i) {
        const TelephonyLineList list = Listed();
        ASSERT_EQ(list.lines.size(), 1u) << list.sMessage;
        EXPECT_EQ(list.lines[0].sName, "Desk");
    }
    EXPECT_EQ(nMade, 1);
    EXPECT_TRUE(device.IsOpen());

    // The line still takes calls on its port.
    CFarEnd far(home.File("sip-far"), "", "");
    ASSERT_TRUE(
        far.Call(StrPrintf("sip:vorella@127.0.0.1:%d", port), "\"Ida\" <sip:123@127.0.0.1>"));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    EXPECT_EQ(device.CallerData().sName, "Ida");
    ASSERT_TRUE(device.GoOffHook());
    ASSERT_TRUE(far.WaitConnected());

    // While the call's sound flows, every socket (the line's SIP and RTP,
    // the far end's) is on 127.0.0.1, none on every interface.
    const std::vector<UdpSocket> sockets = OwnUdpSockets();
    EXPECT_GE(sockets.size(), 3u); // SIP, and RTP with RTCP, of each side
    for (const UdpSocket& s : sockets)
        EXPECT_EQ(s.sAddress, "0100007F") << "port " << s.nPort;

    far.HangUp();
    ASSERT_TRUE(far.WaitEnded());
    EXPECT_TRUE(device.HangUp());
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    device.Shutdown();
    EXPECT_EQ(Listed().lines.size(), 1u); // from a provider of its own again
    EXPECT_EQ(nMade, 2);
}

} // namespace
