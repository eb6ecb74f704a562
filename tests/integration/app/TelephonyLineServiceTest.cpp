// vorellad on the simulated telephony line of the demonstration
// (VORELLA_TAPI=simulated): the caller rings, gives a caller ID, the
// machine answers at the second ring, the caller speaks and hangs up; the
// service logs the call and stores the message, which sox reads as sound.
#include "ServiceMessage.h"
#include "ServiceTest.h"

#include <cstdlib>

namespace {

class TelephonyLineServiceTest : public ServiceTest {
protected:
    void SetUp() override {
        home.CopyShipped("wave/greet.wav");
        WriteSettings("nTAPI=1\nnTAPILine=0\nnComPort=1\nnCIDType=2\nnAction=1\nnRings=2\n"
                      "bSilenceDetection=0\n");
        setenv("VORELLA_TAPI", "simulated", 1);
        setenv("VORELLA_AUDIO", "null", 0); // the caller speaks on the null backend
    }
    void TearDown() override {
        ServiceTest::TearDown();
        unsetenv("VORELLA_TAPI");
    }
};

TEST_F(TelephonyLineServiceTest, TheServiceLogsTheCallAndStoresTheMessage) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitUntil([&] { return Logged("telephony provider: simulated line"); })) << Log();
    // The first call comes two seconds after the line is open, rings every
    // four, and the caller speaks twelve seconds once answered.
    ASSERT_TRUE(WaitUntil([&] { return Logged("message stored ("); }, 120000)) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("ring 1"), std::string::npos) << log;
    EXPECT_NE(log.find("caller: name \"SIMULATED CALLER\""), std::string::npos) << log;
    EXPECT_NE(log.find("answered at ring 2"), std::string::npos) << log;
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); })) << Log();

    ExpectStoredMessage(home, log, "5550123", 5);
}

} // namespace
