// Rings, caller ID, dialling, the modem vanishing and the deliberately bad
// modems, seen from the host's side of the pty.
#include "SimFixture.h"

#include <gtest/gtest.h>

using modemsim::CallerId;
using modemsim::CallerIdForm;
using modemsim::Misbehaviour;
using modemsim::RingCadence;

namespace {

CallerId Caller() {
    CallerId id;
    id.date = "0321";
    id.time = "1405";
    id.number = "5551234";
    id.name = "JOHN DOE";
    return id;
}

size_t Count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(ModemSimLine, RingsCarryCallerIdInEachForm) {
    {
        SimWithPort s;
        s.sim.SetCallerId(Caller(), CallerIdForm::Formatted);
        s.sim.Ring(2, RingCadence::Fast());
        std::string got = s.port->ReadUntil("NAME = JOHN DOE\r\n\r\n\r\nRING\r\n", 10000);
        EXPECT_EQ(got, "\r\nRING\r\n\r\nDATE = 0321\r\nTIME = 1405\r\nNMBR = 5551234\r\n"
                       "NAME = JOHN DOE\r\n\r\n\r\nRING\r\n");
        EXPECT_EQ(s.port->ReadQuiet(400), ""); // two rings and no more
    }
    {
        SimWithPort s;
        s.sim.SetCallerId(Caller(), CallerIdForm::Unformatted);
        s.sim.Ring(1, RingCadence::Fast());
        std::string got = s.port->ReadUntil("MESG = ", 10000);
        if (got.find('\r', got.find("MESG = ")) == std::string::npos)
            got += s.port->ReadUntil("\r\n", 10000);
        size_t at = got.find("MESG = ");
        ASSERT_NE(at, std::string::npos) << got;
        std::string hex = got.substr(at + 7, got.find('\r', at) - at - 7);
        // Parameter 03 of 7 characters, each digit as "3" and the digit.
        ASSERT_EQ(hex.substr(0, 4), "0307");
        std::string digits;
        for (size_t i = 5; i < hex.size(); i += 2)
            digits += hex[i];
        EXPECT_EQ(digits, "5551234");
        EXPECT_EQ(Count(got, "NMBR"), 0u);
    }
    {
        SimWithPort s;
        s.sim.SetCallerId(Caller(), CallerIdForm::HardwareDigits);
        s.sim.Ring(1, RingCadence::Fast());
        EXPECT_EQ(s.port->ReadUntil("5551234\r\n", 10000), "\r\nRING\r\n\r\n5551234\r\n");
    }
    {
        SimWithPort s;
        s.sim.SetCallerId(Caller(), CallerIdForm::None);
        s.sim.Ring(1, RingCadence::Fast(), "RING3"); // a distinctive ring
        EXPECT_EQ(s.port->ReadUntil("RING3\r\n", 10000), "\r\nRING3\r\n");
        s.sim.Ring(1, RingCadence::Fast(), "\x10R"); // voice-mode style
        EXPECT_EQ(s.port->ReadBytes(2, 10000), "\x10R");
        EXPECT_EQ(s.port->ReadQuiet(300), "");
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

TEST(ModemSimLine, VanishingModemHangsUpThePort) {
    {
        SimWithPort s;
        EXPECT_EQ(s.port->Command("AT"), "AT\r\r\nOK\r\n");
        s.sim.Vanish();
        EXPECT_TRUE(s.sim.HasVanished());
        EXPECT_TRUE(s.port->WaitForHangUp(5000));
    }
    {
        // Mid-command: the line is read, never answered.
        SimWithPort s;
        s.sim.VanishOnCommand("+VRX");
        EXPECT_EQ(s.port->Command("ATE0+FCLASS=8"), "ATE0+FCLASS=8\r\r\nOK\r\n");
        ASSERT_TRUE(s.port->Send("AT+VRX\r"));
        EXPECT_TRUE(s.port->WaitForHangUp(5000));
        EXPECT_TRUE(s.sim.HasVanished());
    }
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

TEST(ModemSimLine, SlowModemAnswersAfterUnsolicitedText) {
    SimWithPort s;
    HostPort& p = *s.port;
    s.sim.SetReplyDelay(2000);
    ASSERT_TRUE(p.Send("ATE0\r"));
    ASSERT_TRUE(s.sim.WaitForCommand("E0", 5000));
    s.sim.SendRaw("X"); // sent now, while the answer is still held back
    EXPECT_EQ(p.ReadUntil("OK\r\n", 10000), "ATE0\rX\r\nOK\r\n");
    s.sim.SetReplyDelay(0);
    EXPECT_EQ(p.Command("AT"), "\r\nOK\r\n");
}

TEST(ModemSimLine, HostCanCloseAndReopenThePort) {
    SimWithPort s;
    EXPECT_EQ(s.port->Command("ATE0"), "ATE0\r\r\nOK\r\n");
    s.port.reset(); // the driver releases the modem ...
    s.port = std::make_unique<HostPort>(s.sim.SlavePath());
    ASSERT_TRUE(s.port->IsOpen()); // ... and opens it again
    EXPECT_EQ(s.port->Command("AT"), "\r\nOK\r\n");
    EXPECT_FALSE(s.sim.HasVanished());
}
