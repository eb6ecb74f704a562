// Rings, caller ID, dialling and the deliberately bad modems, seen from the
// host's side of the pty. (A modem that vanishes is seen through the driver;
// a slow one whose ring overtakes its answers, in the engine's line story.)
#include "SimFixture.h"

#include <gtest/gtest.h>

using modemsim::CallerId;
using modemsim::CallerIdForm;
using modemsim::Misbehaviour;
using modemsim::RingCadence;

TEST(ModemSimLine, RingsCarryCallerIdInEachForm) {
    struct Row {
        CallerIdForm form;
        int rings;
        const char* word;
        std::string want; // all the host reads
    } rows[] = {
        {CallerIdForm::Formatted, 2, "RING",
         "\r\nRING\r\n\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = 5551234\r\nNAME = JOHN DOE\r\n"
         "\r\n\r\nRING\r\n"},
        // Parameter 03 of 7 characters, in hexadecimal.
        {CallerIdForm::Unformatted, 1, "RING", "\r\nRING\r\n\r\nMESG = 030735353531323334\r\n\r\n"},
        {CallerIdForm::HardwareDigits, 1, "RING", "\r\nRING\r\n\r\n5551234\r\n"},
        {CallerIdForm::None, 1, "RING3", "\r\nRING3\r\n"}, // a distinctive ring
        {CallerIdForm::None, 1, "\x10R", "\x10R"},         // voice-mode style
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.want);
        SimWithPort s;
        s.sim.SetCallerId({"0321", "1405", "5551234", "JOHN DOE", ""}, row.form);
        s.sim.Ring(row.rings, RingCadence::Fast(), row.word);
        EXPECT_EQ(s.port->ReadBytes(row.want.size(), 10000), row.want);
        EXPECT_EQ(s.port->ReadQuiet(400), ""); // and no more
    }
}

TEST(ModemSimLine, AnsweringStopsTheRinging) {
    SimWithPort s;
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0+FCLASS=8"), "ATE0+FCLASS=8\r\r\nOK\r\n");
    s.sim.Ring(10, {200, 50});
    EXPECT_EQ(p.ReadUntil("RING\r\n", 10000), "\r\nRING\r\n");
    EXPECT_EQ(p.Command("ATA"), "\r\nOK\r\n"); // V.253 answers a voice call with OK
    EXPECT_TRUE(s.sim.IsOffHook());
    EXPECT_EQ(p.ReadQuiet(600), "");
    EXPECT_EQ(p.Command("ATH"), "\r\nOK\r\n");
    EXPECT_FALSE(s.sim.IsOffHook());
}

TEST(ModemSimLine, DialGivesTheScriptedResult) {
    SimWithPort s("usr");
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0#CLS=8"), "ATE0#CLS=8\r\r\nOK\r\n");
    // Without a script a voice dial connects with the family's word.
    EXPECT_EQ(p.Command("ATDT5551234"), "\r\nVCON\r\n");
    EXPECT_TRUE(s.sim.IsOffHook());
    for (const char* word : {"BUSY", "NO ANSWER", "NO CARRIER", "NO DIAL TONE", "CONNECT"}) {
        s.sim.SetDialResult(word, 30);
        ASSERT_TRUE(p.Send("ATD(555) 123-4567\r"));
        std::string expect = std::string("\r\n") + word + "\r\n";
        EXPECT_EQ(p.ReadUntil(expect, 5000), expect);
    }
    // The LF of a CR LF line end is not a key press; anything else is.
    s.sim.SetDialResult("BUSY", 300);
    ASSERT_TRUE(p.Send("ATDT1\r\n"));
    EXPECT_EQ(p.ReadUntil("BUSY\r\n", 5000), "\r\nBUSY\r\n");
    // A key pressed while the modem dials aborts the dial.
    s.sim.SetDialResult("VCON", 60000);
    ASSERT_TRUE(p.Send("ATDP1\r"));
    ASSERT_TRUE(s.sim.WaitForCommand("DP1", 5000));
    ASSERT_TRUE(p.Send("x"));
    EXPECT_EQ(p.ReadUntil("NO CARRIER\r\n", 5000), "\r\nNO CARRIER\r\n");
    auto dialled = s.sim.DialledNumbers();
    ASSERT_EQ(dialled.size(), 8u);
    EXPECT_EQ(dialled[0], "T5551234");
    EXPECT_EQ(dialled[1], "(555)123-4567");
}

TEST(ModemSimLine, MisbehavingModesStayBadUntilTurnedOff) {
    SimWithPort s;
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0"), "ATE0\r\r\nOK\r\n");

    s.sim.SetMisbehaviour(Misbehaviour::Silent);
    ASSERT_TRUE(p.Send("AT\r"));
    EXPECT_EQ(p.ReadQuiet(300), "");

    s.sim.SetMisbehaviour(Misbehaviour::LongLine);
    ASSERT_TRUE(p.Send("AT\r"));
    std::string line = p.ReadBytes(100 * 1024, 20000);
    EXPECT_EQ(line.size(), 100u * 1024);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(p.ReadQuiet(200), ""); // and then nothing

    s.sim.SetMisbehaviour(Misbehaviour::DleStorm);
    ASSERT_TRUE(p.Send("AT\r"));
    std::string storm = p.ReadBytes(20000, 20000);
    ASSERT_GE(storm.size(), 20000u);
    for (size_t i = 0; i + 1 < 20000; i += 2)
        ASSERT_EQ(storm[i], '\x10') << "at " << i;
    s.sim.SetMisbehaviour(Misbehaviour::Babble);
    p.ReadQuiet(200);
    ASSERT_TRUE(p.Send("AT\r"));
    std::string babble = p.ReadQuiet(300);
    EXPECT_GE(babble.size(), 64u);
    EXPECT_EQ(babble.find("OK"), std::string::npos);

    s.sim.SetMisbehaviour(Misbehaviour::None);
    EXPECT_EQ(p.Command("AT"), "\r\nOK\r\n");
}
