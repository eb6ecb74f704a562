// The SIP line as the programs set it up from the settings: the lines listed
// while the worker's line is open, on the port the settings fix, without a
// second stack and without disturbing the line; the call's sound sockets
// bound where the settings say.
#include "FarEnd.h"
#include "OwnSockets.h"
#include "RawSipCaller.h"

#include "../../unit/tapi/TapiTestSupport.h"
#include "TempHome.h"
#include "app/TelephonyLines.h"
#include "app/TelephonyProvider.h"
#include "engine/Phone.h"
#include "engine/TelephonyLineDevice.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(SipLine, ListingWhileTheLineIsOpenNeitherFailsNorDisturbsIt) {
    TempHome home;
    const int port = FreeUdpPort();
    home.Write("vorella.ini", StrPrintf("[Options]\nnTAPI=1\n[SIP1]\nsName=Desk\n"
                                        "sUser=vorella\nsBindAddress=127.0.0.1\nnPort=%d\n",
                                        port));
    std::atomic<int> nMade{0};
    CTapiProviders installed, providers;
    ASSERT_TRUE(InstallTelephonyProvider(installed, [](const std::string&) {}));
    providers.Register("counted", [&](std::string* pWhy) {
        ++nMade;
        return installed.Make(pWhy);
    });
    providers.Choose("counted");
    CPhone phone;
    phone.DeviceFactories().Register(DeviceKind::TelephonyLine, [&](IDeviceHost& host) {
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
        const TelephonyLineList list = ListTelephonyLines(&providers);
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

    // While the call's sound flows, every socket of the line (SIP, RTP and
    // RTCP) is on 127.0.0.1, none on every interface.
    std::vector<std::string> sockets;
    for (const std::string& s : OwnSockets())
        if (s.starts_with("udp "))
            sockets.push_back(s.substr(s.rfind(' ') + 1, s.rfind(':') - s.rfind(' ')));
    EXPECT_GE(sockets.size(), 3u); // SIP, and RTP with RTCP
    EXPECT_EQ(sockets, std::vector<std::string>(sockets.size(), "127.0.0.1:"));

    far.HangUp();
    ASSERT_TRUE(far.WaitEnded());
    EXPECT_TRUE(device.HangUp());
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    device.Shutdown();
    EXPECT_EQ(ListTelephonyLines(&providers).lines.size(), 1u); // from a provider of its own again
    EXPECT_EQ(nMade, 2);
}

} // namespace
