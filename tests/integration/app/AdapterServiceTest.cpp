// vorellad on the USB adapter: the service's log names the adapter as what
// it is, whether it opens (on the simulated adapter) or cannot be found
// (no sound card chosen), with the reason.
#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class AdapterServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        home.Write("vorella.ini", "[Options]\n"
                                  "nTAPI=1\n"
                                  "fUseHiPhone=1\n"
                                  "nComPort=1\n"
                                  "bStartDisabled=0\n"
                                  "dwTimeoutQuant=10\n"
                                  "dwTimeoutDefault=2000\n"
                                  "iPopup=0\n"
                                  "bEMailCID=0\n"
                                  "sAdapterSoundCard=\n"
                                  "[Sounds]\n"
                                  "sWaveRingIn=\n");
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            service.Wait(30000);
        }
        ::unsetenv("VORELLA_ADAPTER_SOCKET");
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }

    TempHome home;
    BackgroundProgram service;
};

TEST_F(AdapterServiceTest, TheSimulatedAdapterIsLoggedOpenByItsName) {
    BackgroundProgram sim;
    const std::string socket = home.File("adapter.sock");
    std::string first;
    ASSERT_TRUE(sim.Start({BuiltProgram("adaptersim"), "--socket", socket, "--stay"}, &first));
    ASSERT_EQ(first, socket);
    ::setenv("VORELLA_ADAPTER_SOCKET", socket.c_str(), 1);
    ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
    EXPECT_TRUE(WaitUntil([&] { return Logged("USB telephone adapter open; waiting for calls"); }))
        << Log();
    EXPECT_FALSE(Logged("modem port")) << Log();
}

TEST_F(AdapterServiceTest, AnAdapterWithoutASoundCardIsNotFoundAndTheLogSaysWhy) {
    ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
    EXPECT_TRUE(WaitUntil([&] {
        return Logged("cannot open the USB telephone adapter: no sound card is chosen for it "
                      "(sAdapterSoundCard)");
    })) << Log();
    EXPECT_FALSE(Logged("trying again")) << "monitoring pauses until resumed\n" << Log();
}

} // namespace
