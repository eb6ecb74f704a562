// SPDX-License-Identifier: GPL-3.0-or-later
// vorellad on a SIP line its settings set up ([SIP1] on 127.0.0.1), called
// by a far-end phone: the caller shows in the log, the machine answers with
// the greeting the far end hears, records the far end's words and stores
// them with their index line, exactly as on a modem. A stranger's overlong
// display name does not take the service down.
#include "ChildProcess.h"
#include "FarEnd.h"
#include "RawSipCaller.h"
#include "ServerProcess.h"
#include "ServiceMessage.h"
#include "TempHome.h"
#include "ToneFile.h"

#include "WaitUntil.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace {

class SipService : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        // A short greeting of its own: 1.5 s at 600 Hz.
        std::filesystem::create_directories(home.File("wave"));
        ASSERT_TRUE(WriteToneFile(home.File("wave/greet.wav"), 600, 1.5));
        port = FreeUdpPort();
        ASSERT_GT(port, 0);
        // Messages are mailed to a real SMTP server, as on a modem.
        std::filesystem::create_directories(inbox);
        server = std::make_unique<ServerProcess>(std::vector<std::string>{
            "/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"), "--folder",
            inbox, "--mode", "plain"});
        home.Write("vorella.ini", StrPrintf("[Options]\n"
                                            "nTAPI=1\n"
                                            "nTAPILine=0\n"
                                            "nComPort=1\n"
                                            "nCIDType=2\n"
                                            "nAction=1\n"
                                            "nRings=1\n"
                                            "bStartDisabled=0\n"
                                            "nDebugLevel=1\n"
                                            "iPopup=0\n"
                                            "bSoftAGC=0\n"
                                            "bEMailCID=%d\n"
                                            "m_sSmtp=127.0.0.1\n"
                                            "m_nSmtpPort=%d\n"
                                            "m_nSmtpSecurity=0\n"
                                            "m_sRecipsAdderss=owner@example.com\n"
                                            "m_sOriginatorAddress=vorella@example.com\n"
                                            "bEAttachVoice=1\n"
                                            "bSilenceDetection=0\n"
                                            "[Sounds]\n"
                                            "sWaveRingIn=\n"
                                            "[SIP1]\n"
                                            "sName=Desk\n"
                                            "sUser=vorella\n"
                                            "sBindAddress=127.0.0.1\n"
                                            "nPort=%d\n",
                                            server ? 2 : 0, server ? server->Port() : 25, port));
        unsetenv("VORELLA_TAPI");
        ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
        ASSERT_TRUE(WaitUntil([&] { return Logged("telephony line open"); })) << Log();
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            EXPECT_EQ(service.Wait(30000), 0) << Log();
        }
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
    std::string LineUri() const {
        return "sip:vorella@127.0.0.1:" + std::to_string(port) + ";transport=udp";
    }

    TempHome home;
    const std::string inbox = home.File("inbox/");
    std::unique_ptr<ServerProcess> server;
    BackgroundProgram service;
    int port = 0;
};

TEST_F(SipService, AnswersWithTheGreetingAndStoresTheCallersMessage) {
    ASSERT_TRUE(WriteToneFile(home.File("far-says.wav"), 1000, 30));
    CFarEnd far(home.File("far"), home.File("far-says.wav"), home.File("far-heard.wav"));
    ASSERT_TRUE(far.Call(LineUri(), "\"Anna Schmidt\" <sip:4930123456@127.0.0.1>"));
    ASSERT_TRUE(WaitUntil([&] { return Logged("answered at ring 1"); })) << Log();
    EXPECT_TRUE(Logged("caller: name \"Anna Schmidt\", number \"493-012-3456\"")) << Log();
    ASSERT_TRUE(far.WaitConnected());
    // The caller speaks after the greeting and the tone, then hangs up.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    far.HangUp();
    ASSERT_TRUE(far.WaitEnded());
    ASSERT_TRUE(WaitUntil([&] { return Logged("call ended"); })) << Log();

    const std::string log = Log();
    ExpectStoredMessage(home, log, "4930123456", 2);

    // Its notice, with the caller and the recording.
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(inbox + "msg1.eml"); }, 60000))
        << Log();
    const std::string parsed = home.File("parsed/");
    std::filesystem::create_directories(parsed);
    const ProgramRun check =
        RunProgram({"/usr/bin/python3", SourceFile("tests/integration/notify/check_mail.py"),
                    inbox + "msg1.eml", parsed});
    ASSERT_EQ(check.nExit, 0) << check.out << check.err;
    EXPECT_NE(home.Read("parsed/body").find("Anna Schmidt"), std::string::npos);
    const std::string file = FindStoredMessage(log)->sFile;
    const std::string name = file.substr(file.rfind('/') + 1);
    EXPECT_EQ(home.Read("parsed/attachments/" + name), home.Read("Recorded Calls/" + name));
}

TEST_F(SipService, AStrangersOverlongNameIsCutAndTheServiceLivesOn) {
    CRawCaller caller(port, false);
    ASSERT_TRUE(caller.Connected());
    const std::string name(10000, 'N');
    ASSERT_TRUE(
        caller.Send(caller.Invite("long-1", "\"" + name + "\" <sip:0301234567@127.0.0.1>")));
    ASSERT_TRUE(WaitUntil([&] { return Logged("caller: name \"NNNN"); })) << Log();
    EXPECT_TRUE(Logged("SIP: a display name of more than 512 characters from 127.0.0.1")) << Log();
    EXPECT_TRUE(Logged("number \"030-123-4567\"")) << Log();
}

} // namespace
