// vorellad finding and naming its modem on a simulated line: the port scan
// when no port is set, the type code its modem's name gives, and the
// diagnostics report fetched with vorellactl.
#include "ChildProcess.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include "ModemSim.h"
#include "platform/ProfileFile.h"
#include "platform/TickCount.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

class ModemSetupService : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f :
             {"vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg", "cfg/lt-winmodem.cfg"})
            home.CopyShipped(f);
    }
    void TearDown() override {
        if (service.Pid() > 0) {
            service.Signal(SIGTERM);
            service.Wait(30000);
        }
    }

    // A simulated modem, and the settings: options lines for [Options],
    // the simulator's pty as COM9 of [Ports].
    void Prepare(const std::string& personality, const std::string& options) {
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For(personality);
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        // Short timings and a quiet line: the service must not wait for a
        // real one, and a test machine has no sound card to ring.
        home.Write("vorella.ini", "[Options]\n" + options +
                                      "bStartDisabled=0\n"
                                      "nDebugLevel=1\n"
                                      "dwTimeoutQuant=10\n"
                                      "dwTimeoutDefault=2000\n"
                                      "iPopup=0\n"
                                      "bSoftAGC=0\n"
                                      "bEMailCID=0\n"
                                      "[Sounds]\n"
                                      "sWaveRingIn=\n"
                                      "[Ports]\n"
                                      "COM9=" +
                                      sim->SlavePath() + "\n");
    }
    void StartService() {
        ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
        ASSERT_TRUE(WaitUntil([&] { return Ctl({"status"}).nExit == 0; })) << Log();
        ASSERT_TRUE(sim->WaitForCommand("CID=", 60000)) << Log() << home.Read("modem.log");
    }
    ProgramRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), BuiltProgram("vorellactl"));
        return RunProgram(args);
    }
    std::string Log() { return home.Read("vorellad.log"); }
    bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    BackgroundProgram service;
};

TEST_F(ModemSetupService, WithNoPortSetScansThePortsAndWatchesTheLineItFinds) {
    Prepare("v253", "nComPort=0\n");
    StartService();
    // Told once the modem is set up, just after its caller-ID command.
    const std::string opened = "modem port COM9 (" + sim->SlavePath() + ") open";
    ASSERT_TRUE(WaitUntil([&] { return Logged(opened); })) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("question: The program is about to scan all available serial ports"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("status: Scanning COM9..."), std::string::npos) << log;
    EXPECT_NE(log.find("port scan finished"), std::string::npos) << log;
    EXPECT_EQ(log.find("could not find your modem"), std::string::npos) << log;

    modemsim::CallerId id;
    id.number = "5551234";
    id.name = "JOHN DOE";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->Ring(2, modemsim::RingCadence::Fast());
    EXPECT_TRUE(WaitUntil([&] { return Logged("ring 1") && Logged("JOHN DOE"); })) << Log();

    ASSERT_EQ(Ctl({"quit"}).nExit, 0);
    EXPECT_EQ(service.Wait(30000), 0) << Log();
    // The port found is kept, so the next start needs no scan.
    EXPECT_EQ(GetProfileIntFrom(home.File("vorella.ini"), "Options", "nComPort", -1), 9);
}

TEST_F(ModemSetupService, WithNoModemOnAnyPortSaysSoOnceAndKeepsTrying) {
    Prepare("v253", "nComPort=0\n");
    sim->SetMisbehaviour(modemsim::Misbehaviour::Silent);
    ASSERT_TRUE(service.Launch({BuiltProgram("vorellad")}, home.File("vorellad.log")));
    ASSERT_TRUE(WaitUntil([&] { return Logged("could not find your modem"); }, 60000)) << Log();
    // Retries do not scan again: one question, one message.
    ASSERT_TRUE(WaitUntil([&] { return Logged("cannot open the modem port COM0"); })) << Log();
    SleepMs(3000); // a retry or two (dwTimeoutDefault apart)
    const std::string log = Log();
    auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("question: The program is about to scan"), 1u) << log;
    EXPECT_EQ(count("message [error]: The program could not find your modem"), 1u) << log;
}

TEST_F(ModemSetupService, AWinModemIsToldItsLineOnlyOnceWhenTheCallIsTaken) {
    Prepare("v253", "nComPort=9\nsModem=LT Win Modem\n");
    StartService();
    sim->Ring(2, modemsim::RingCadence::Fast());
    ASSERT_TRUE(
        WaitUntil([&] { return Ctl({"status"}).out.find("call: active") != std::string::npos; }));
    ASSERT_EQ(Ctl({"record"}).nExit, 0);
    ASSERT_TRUE(sim->WaitForCommand("+VRX", 30000)) << Log();

    // Soft modems take the line with the answer command itself; a second
    // line selection after it is one they refuse (type code 100).
    std::vector<std::string> commands = sim->ReceivedCommands();
    auto answer = std::find(commands.rbegin(), commands.rend(), "A");
    ASSERT_NE(answer, commands.rend());
    std::vector<std::string> after(commands.rbegin(), answer);
    std::string seen;
    for (auto it = after.rbegin(); it != after.rend(); ++it)
        seen += *it + " ";
    EXPECT_EQ(seen.find("+VLS"), std::string::npos) << "after the answer: " << seen;
    EXPECT_EQ(Ctl({"stop"}).nExit, 0);
}

TEST_F(ModemSetupService, HandsOutTheDiagnosticsReportAndWatchesTheLineAgainAfterIt) {
    Prepare("v253", "nComPort=9\n");
    StartService();
    ProgramRun r = Ctl({"diagnose"});
    ASSERT_EQ(r.nExit, 0) << r.err << Log();
    EXPECT_EQ(r.out.rfind("Diagnostics for .Custom\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Transmitted: AT+VSM=?\nReceived:\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Transmitted: AT+VCID=?\nReceived:\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

    // The probes reset the modem; it is set up for calls again, caller ID and all.
    ASSERT_TRUE(sim->WaitForCommand("CID=", 30000)) << home.Read("modem.log");
    modemsim::CallerId id;
    id.number = "5550100";
    id.name = "AFTER PROBES";
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->Ring(2, modemsim::RingCadence::Fast());
    EXPECT_TRUE(WaitUntil([&] { return Logged("AFTER PROBES"); })) << Log();

    // With monitoring off there is no modem to ask: said, not an empty report.
    ASSERT_TRUE(
        WaitUntil([&] { return Ctl({"status"}).out.find("call: none") != std::string::npos; }));
    ASSERT_EQ(Ctl({"monitor", "off"}).nExit, 0);
    r = Ctl({"diagnose"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no open modem"), std::string::npos) << r.err;
}

} // namespace
