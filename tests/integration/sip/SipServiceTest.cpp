// SPDX-License-Identifier: GPL-3.0-or-later
// vorellad on a SIP line its settings set up ([SIP1] on 127.0.0.1), called
// by a far-end phone: the machine answers, records the far end's words and
// stores them with their index line, cut where the disk is full, exactly as
// on a modem; another program on the line's port is told. With a registrar (SIPp
// checking digest authentication on 127.0.0.2) the line follows its
// registration, says why it cannot register, and takes calls from the
// registrar only.
#include "ChildProcess.h"
#include "FarEnd.h"
#include "RawSipCaller.h"
#include "ServiceMessage.h"
#include "SmallDisk.h"
#include "TempHome.h"
#include "ToneFile.h"

#include "WaitUntil.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace {

class SipService : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"})
            home.CopyShipped(f);
        // A short greeting of its own: 1.5 s at 600 Hz.
        std::filesystem::create_directories(home.File("wave"));
        ASSERT_TRUE(WriteSound(home.File("wave/greet.wav"), Tones({{600, 1500}})));
        port = FreeUdpPort();
        unsetenv("VORELLA_TAPI");
    }
    // Starts the service on the line with the account's further lines.
    void Launch(const std::string& account = "") {
        WriteSettings(account);
        ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
        ASSERT_TRUE(WaitUntil([&] { return Logged("telephony line open"); })) << Log();
    }
    void WriteSettings(const std::string& account) {
        home.Write("vorella.ini",
                   StrPrintf("[Options]\nnTAPI=1\nnTAPILine=0\nnComPort=1\nnCIDType=2\n"
                             "nAction=1\nnRings=1\nbStartDisabled=0\nnDebugLevel=1\niPopup=0\n"
                             "bSoftAGC=0\nbSilenceDetection=0\n[Sounds]\nsWaveRingIn=\n"
                             "[SIP1]\nsName=Desk\nsUser=vorella\nsBindAddress=127.0.0.1\n"
                             "nPort=%d\n",
                             port) +
                       account);
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            EXPECT_EQ(service.Wait(30000), 0) << Log();
        }
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }

    TempHome home;
    BackgroundProgram service;
    int port = 0;
};

// A message longer than the disk holds, taken through the SIP line's sound,
// is cut where the disk is full and stored with the length it has, as on a
// modem; the caller is put back.
TEST_F(SipService, AFullDiskCutsTheMessageAndTheLogSaysSo) {
    const std::string data = home.File("small/");
    SmallDisk disk(data, 128 * 1024);
    WriteSettings("");
    const std::string ini = home.File("vorella.ini");
    WriteProfileIntTo(ini, "Options", "nMinFreeSeconds", 3);
    WriteProfileStringTo(ini, "Options", "sPath", data);
    ASSERT_TRUE(disk.Launch(service, {BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] { return Logged("telephony line open"); })) << Log();
    ASSERT_TRUE(WriteSound(home.File("far-says.wav"), Tones({{1000, 60000}})));
    CFarEnd far(home.File("far"), home.File("far-says.wav"), home.File("far-heard.wav"));
    ASSERT_TRUE(far.Call(StrPrintf("sip:vorella@127.0.0.1:%d", port), "<sip:5551234@127.0.0.1>"));
    ASSERT_TRUE(far.WaitConnected());
    EXPECT_TRUE(far.WaitEnded()) << "the machine puts the caller back\n" << Log();
    ASSERT_TRUE(WaitUntil([&] { return FindStoredMessage(Log()).has_value(); }, 90000)) << Log();
    ExpectMessageCutWhereTheDiskFilled(Log(), data + "Recorded Calls/index.dat", "1234");
}

// Another program on the line's port: the service says so, with the address
// and port, and opens the line once the port is free.
TEST_F(SipService, APortInUseIsToldWithItsAddressAndTheLineOpensWhenFree) {
    // (Not handed down to the service, which would keep the port.)
    const int taken = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    WriteSettings("");
    ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] {
        return Logged(StrPrintf("cannot open the telephony line: cannot listen on "
                                "127.0.0.1 port %d (in use by another program?); trying again",
                                port));
    })) << Log();
    close(taken);
    EXPECT_TRUE(WaitUntil([&] { return Logged("is back; waiting for calls"); }, 30000)) << Log();
}

// The registrar: SIPp on 127.0.0.2, where the line (on 127.0.0.1) tells
// it from every other sender; it wants user "vorella" with kPassword.
class SipServiceWithRegistrar : public SipService {
protected:
    static constexpr const char* kPassword = "s3cret";

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SipService::SetUp());
        if (!FileExists(kSipp))
            GTEST_SKIP() << "SIPp is not installed (Debian: sip-tester); no registrar";
        registrarPort = FreeUdpPort();
        ASSERT_TRUE(registrar.Launch({kSipp, "-sf", SourceFile("tests/data/sip/registrar.xml"),
                                      "-i", "127.0.0.2", "-p", std::to_string(registrarPort),
                                      "-key", "password", kPassword, "-t", "u1", "-nostdin"},
                                     home.File("registrar.log")));
    }
    std::string Registrar() const { return "127.0.0.2:" + std::to_string(registrarPort); }
    std::string Account(const std::string& password) const {
        return "sRegistrar=" + Registrar() + "\nsPassword=" + password + "\n";
    }

    static constexpr const char* kSipp = "/usr/bin/sipp";
    BackgroundProgram registrar;
    int registrarPort = 0;
};

TEST_F(SipServiceWithRegistrar, TheRightPasswordRegistersAndOnlyTheRegistrarsCallsRing) {
    ASSERT_NO_FATAL_FAILURE(Launch(Account(kPassword)));
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("SIP: the line Desk: registered with " + Registrar() + " for 600 s");
    })) << Log();

    // A scanner's INVITEs: from elsewhere, and from elsewhere naming the
    // registrar in its Via. Both are refused, counted, and never ring.
    struct Stranger {
        const char* sVia;
        const char* sCallId;
    };
    for (const Stranger& s : {Stranger{"127.0.0.1", "scan-1"}, Stranger{"127.0.0.2", "scan-2"}}) {
        CRawCaller caller(port, false, "127.0.0.1", s.sVia);
        ASSERT_TRUE(caller.Send(caller.Invite(s.sCallId, "<sip:100@127.0.0.1>")));
        const auto finals = caller.WaitFinal(1);
        ASSERT_EQ(finals.size(), 1u) << s.sVia << "\n" << Log();
        EXPECT_EQ(finals.begin()->second, 403) << s.sVia;
    }
    EXPECT_TRUE(Logged("SIP: the line Desk: refused 1 call not sent by the registrar (last from "
                       "127.0.0.1; 1 since start)"))
        << Log();
    EXPECT_FALSE(Logged("ring 1")) << Log();

    // The registrar's own call rings.
    CRawCaller fromRegistrar(port, false, "127.0.0.2");
    ASSERT_TRUE(fromRegistrar.Send(
        fromRegistrar.Invite("via-registrar", "\"Anna\" <sip:4930123456@127.0.0.2>")));
    EXPECT_TRUE(WaitUntil([&] { return Logged("ring 1"); })) << Log();
}

TEST_F(SipServiceWithRegistrar, AWrongPasswordMakesTheLineUnavailableWithTheReason) {
    const std::string failed =
        "registration with " + Registrar() + " failed: 403 Forbidden (wrong user name or password)";
    // The tool tries the line before the service has it.
    WriteSettings(Account("typo"));
    const ProgramRun lines = RunProgram({BuiltProgram("vorella-tool"), "lines"});
    EXPECT_EQ(lines.nExit, 0) << lines.err;
    EXPECT_EQ(lines.out, "0\tDesk\tunavailable\tLine unavailable: " + failed + "\n") << lines.err;

    ASSERT_NO_FATAL_FAILURE(Launch(Account("typo")));
    ASSERT_TRUE(WaitUntil([&] {
        return Logged("SIP: the line Desk: " + failed + "; trying again in 30 s");
    })) << Log();
    EXPECT_TRUE(WaitUntil([&] { return Logged("telephony line: Line unavailable: " + failed); }))
        << Log();
    const ProgramRun status = RunProgram({BuiltProgram("vorellactl"), "status"});
    EXPECT_EQ(status.nExit, 0) << status.err;
    EXPECT_EQ(status.out, "monitoring: on\ncall: none\nline: Line unavailable: " + failed + "\n");
}

} // namespace
