// vorellad finding and naming its modem on a simulated line: the port scan
// when no port is set, the type code its modem's name gives, and the
// diagnostics report fetched with vorellactl.
#include "ServiceTest.h"

namespace {

class ModemSetupService : public ServiceTest {
protected:
    void SetUp() override { home.CopyShipped("cfg/lt-winmodem.cfg"); }
};

TEST_F(ModemSetupService, WithNoPortSetScansThePortsAndWatchesTheLineItFinds) {
    UseModem("v253", "nComPort=0\n");
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

    CallerSpeaks("5551234", "JOHN DOE");
    sim->Ring(2, modemsim::RingCadence::Fast());
    EXPECT_TRUE(WaitUntil([&] { return Logged("ring 1") && Logged("JOHN DOE"); })) << Log();

    EXPECT_EQ(Quit(), 0) << Log();
    // The port found is kept, so the next start needs no scan.
    EXPECT_EQ(GetProfileIntFrom(home.File("vorella.ini"), "Options", "nComPort", -1), 9);
}

TEST_F(ModemSetupService, WithNoModemOnAnyPortSaysSoOnceAndKeepsTrying) {
    UseModem("v253", "nComPort=0\n");
    sim->SetMisbehaviour(modemsim::Misbehaviour::Silent);
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitUntil([&] { return Logged("could not find your modem"); }, 60000)) << Log();
    // Retries do not scan again: one question, one message.
    ASSERT_TRUE(WaitUntil([&] { return Logged("cannot open the modem port COM0"); })) << Log();
    SleepMs(3000); // a retry or two (dwTimeoutDefault apart)
    const std::string log = Log();
    EXPECT_EQ(Occurrences(log, "question: The program is about to scan"), 1u) << log;
    EXPECT_EQ(Occurrences(log, "message [error]: The program could not find your modem"), 1u)
        << log;
}

TEST_F(ModemSetupService, AWinModemIsToldItsLineOnlyOnceWhenTheCallIsTaken) {
    UseModem("v253", "nComPort=9\nsModem=LT Win Modem\n");
    StartService();
    sim->Ring(2, modemsim::RingCadence::Fast());
    ASSERT_TRUE(StatusBecomes("monitoring: on\ncall: active"));
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
    UseModem("v253", "nComPort=9\n");
    StartService();
    ProgramRun r = Ctl({"diagnose"});
    ASSERT_EQ(r.nExit, 0) << r.err << Log();
    EXPECT_EQ(r.out.rfind("Diagnostics for .Custom\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Transmitted: AT+VSM=?\nReceived:\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Transmitted: AT+VCID=?\nReceived:\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

    // The probes reset the modem; it is set up for calls again, caller ID and all.
    ASSERT_TRUE(sim->WaitForCommand("CID=", 30000)) << home.Read("modem.log");
    CallerSpeaks("5550100", "AFTER PROBES");
    sim->Ring(2, modemsim::RingCadence::Fast());
    EXPECT_TRUE(WaitUntil([&] { return Logged("AFTER PROBES"); })) << Log();

    // With monitoring off there is no modem to ask: said, not an empty report.
    ASSERT_TRUE(StatusBecomes("monitoring: on\ncall: none"));
    ASSERT_EQ(Ctl({"monitor", "off"}).nExit, 0);
    r = Ctl({"diagnose"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no open modem"), std::string::npos) << r.err;
}

} // namespace
