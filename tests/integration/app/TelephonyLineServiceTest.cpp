// vorellad on the simulated telephony line of the demonstration
// (VORELLA_TAPI=simulated): the caller rings, gives a caller ID, the
// machine answers at the second ring, the caller speaks and hangs up; the
// service logs the call and stores the message, which sox reads as sound.
#include "ChildProcess.h"
#include "ServiceMessage.h"
#include "TempHome.h"

#include "platform/TickCount.h"

#include <csignal>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

bool WaitUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    const uint32_t start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class TelephonyLineServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f :
             {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg", "wave/greet.wav"})
            home.CopyShipped(f);
        home.Write("vorella.ini", "[Options]\n"
                                  "nTAPI=1\n"
                                  "nTAPILine=0\n"
                                  "nComPort=1\n"
                                  "nCIDType=2\n"
                                  "nAction=1\n"
                                  "nRings=2\n"
                                  "bStartDisabled=0\n"
                                  "nDebugLevel=1\n"
                                  "iPopup=0\n"
                                  "bSoftAGC=0\n"
                                  "bEMailCID=0\n"
                                  "bSilenceDetection=0\n"
                                  "[Sounds]\n"
                                  "sWaveRingIn=\n");
        setenv("VORELLA_TAPI", "simulated", 1);
        setenv("VORELLA_AUDIO", "null", 0); // the caller speaks on the null backend
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            service.Wait(30000);
        }
        unsetenv("VORELLA_TAPI");
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }

    TempHome home;
    BackgroundProgram service;
};

TEST_F(TelephonyLineServiceTest, TheServiceLogsTheCallAndStoresTheMessage) {
    ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] { return Logged("telephony provider: simulated line"); }, 30000))
        << Log();
    // The first call comes two seconds after the line is open, rings every
    // four, and the caller speaks twelve seconds once answered.
    ASSERT_TRUE(WaitUntil([&] { return Logged("message stored ("); }, 120000)) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("ring 1"), std::string::npos) << log;
    EXPECT_NE(log.find("caller: name \"SIMULATED CALLER\""), std::string::npos) << log;
    EXPECT_NE(log.find("answered at ring 2"), std::string::npos) << log;
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); }, 30000)) << Log();

    ExpectStoredMessage(home, log, "5550123", 5);
}

} // namespace
