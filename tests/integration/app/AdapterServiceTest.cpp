// vorellad on the USB adapter: the service's log names the adapter as what
// it is, whether it opens (on the simulated adapter) or cannot be found
// (no sound card chosen), with the reason; a message the full disk cuts.
#include "../notify/ServerProcess.h"
#include "ChildProcess.h"
#include "ServiceMessage.h"
#include "SmallDisk.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
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

// A message longer than the disk holds, taken through the adapter's sound
// device, is cut where the disk is full, as on the modem, and the mail
// notice of the call says so.
TEST_F(AdapterServiceTest, AFullDiskCutsTheMessageAndSaysSo) {
    const std::string data = home.File("small/");
    SmallDisk disk(data, 128 * 1024);
    const std::string inbox = home.File("inbox/");
    std::filesystem::create_directories(inbox);
    ServerProcess server({"/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"),
                          "--folder", inbox});
    const std::string ini = home.File("vorella.ini");
    WriteProfileIntTo(ini, "Options", "bEMailCID", 2);
    WriteProfileStringTo(ini, "Options", "m_sSmtp", "127.0.0.1");
    WriteProfileIntTo(ini, "Options", "m_nSmtpPort", server.Port());
    WriteProfileStringTo(ini, "Options", "m_sRecipsAdderss", "owner@example.com");
    WriteProfileIntTo(ini, "Options", "nAction", 1);
    WriteProfileIntTo(ini, "Options", "nRings", 2);
    WriteProfileIntTo(ini, "Options", "nMinFreeSeconds", 3);
    WriteProfileStringTo(ini, "Options", "sPath", data);
    // A minute of the caller's tone, more than the disk holds; the call
    // ends when the machine puts the line back.
    const std::string tone = home.File("tone.wav");
    const ProgramRun made = RunProgram({"/usr/bin/sox", "-n", "-r", "8000", "-b", "16", "-c", "1",
                                        tone, "synth", "60", "sine", "1000", "vol", "0.2"});
    ASSERT_EQ(made.nExit, 0) << made.err;
    home.Write("call.txt", "wait open\nring\n"
                           "caller-id 80 0e 02 07 35 35 35 31 32 33 34 07 03 41 6e 6e d9\n"
                           "ring\nwait off-hook\nsound " +
                               tone + "\nwait on-hook\n");
    BackgroundProgram sim;
    const std::string socket = home.File("adapter.sock");
    std::string first;
    ASSERT_TRUE(sim.Start({BuiltProgram("adaptersim"), "--socket", socket, "--script",
                           home.File("call.txt"), "--pace", "0", "--stay"},
                          &first));
    ::setenv("VORELLA_ADAPTER_SOCKET", socket.c_str(), 1);
    ASSERT_TRUE(disk.Launch(service, {BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] { return FindStoredMessage(Log()).has_value(); }, 90000)) << Log();
    ExpectMessageCutWhereTheDiskFilled(Log(), data + "Recorded Calls/index.dat", "1234");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(inbox + "msg1.eml"); }, 60000)) << Log();
    EXPECT_NE(home.Read("inbox/msg1.eml").find("the disk is full: the recording was cut after "),
              std::string::npos)
        << home.Read("inbox/msg1.eml");
}

} // namespace
