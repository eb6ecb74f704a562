// The simulator's command mode, driven over a real pty the way the modem
// driver drives a serial port. (How each family answers the probes of modem
// detection is checked through the detection itself, in the driver's tests.)
#include "Personality.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

using Sim = SimWithPort;

TEST(ModemSimAt, EchoResultsAndSettingsBehaveLikeAHayesModem) {
    Sim s;
    HostPort& p = *s.port;
    // Echo is on after power-up; the echo of ATE0 itself still comes back.
    EXPECT_EQ(p.Command("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(p.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT"), "\r\nOK\r\n");
    EXPECT_EQ(p.Command("at&f e0 v1 q0"), "\r\nOK\r\n"); // lower case, blanks
    // Several basic and extended commands on one line, one result for the line.
    EXPECT_EQ(p.Command("AT+FCLASS=8;+VLS=1"), "\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT+FCLASS?"), "\r\n8\r\n\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT+FCLASS=?"), "\r\n0,1,1.0,2,8\r\n\r\nOK\r\n");
    EXPECT_NE(p.Command("AT+GMI").find("Generic"), std::string::npos);
    EXPECT_EQ(p.Command("ATS7=45S0=2"), "\r\nOK\r\n");
    EXPECT_EQ(p.Command("ATS7?"), "\r\n045\r\n\r\nOK\r\n");
    EXPECT_EQ(p.Command("ATS7=300"), "\r\nERROR\r\n");
    // A command this modem does not know fails the whole line.
    EXPECT_EQ(p.Command("ATE0#CLS=8"), "\r\nERROR\r\n");
    EXPECT_EQ(p.Command("AT+FCLASS=8;+BOGUS=1"), "\r\nERROR\r\n");
    EXPECT_EQ(p.Command("ATE0="), "\r\nERROR\r\n");
    EXPECT_EQ(p.Command("AT+"), "\r\nERROR\r\n");
    // Control characters inside a line are ignored, as on real modems.
    EXPECT_EQ(p.Command("AT\x01"
                        "E0"),
              "\r\nOK\r\n");
    // Numeric results with V0, none with Q1; &F brings back the defaults (and echo).
    ASSERT_TRUE(p.Send("ATV0\r"));
    EXPECT_EQ(p.ReadBytes(2, 5000), "0\r");
    ASSERT_TRUE(p.Send("AT*X\r"));
    EXPECT_EQ(p.ReadBytes(2, 5000), "4\r");
    ASSERT_TRUE(p.Send("ATQ1\r"));
    EXPECT_EQ(p.ReadQuiet(200), "");
    EXPECT_EQ(p.Command("AT&F"), "\r\nOK\r\n");
    EXPECT_EQ(p.Command("ATE0"), "ATE0\r\r\nOK\r\n");

    auto commands = s.sim.ReceivedCommands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "+VLS=1"), commands.end());
    auto lines = s.sim.ReceivedLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "+FCLASS=8;+VLS=1"), lines.end());
}

TEST(ModemSimAt, LineEditingRepeatAndOverlongLines) {
    Sim s;
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    // Noise before the AT prefix is skipped; backspace edits the line.
    EXPECT_EQ(p.Command("xyzATI3x\b"), "\r\nV.92 Data/Fax/Voice Modem\r\n\r\nOK\r\n");
    ASSERT_TRUE(p.Send("A/"));
    EXPECT_EQ(p.ReadUntil("OK\r\n", 5000), "\r\nV.92 Data/Fax/Voice Modem\r\n\r\nOK\r\n");
    // A line longer than the modem's buffer is refused, and the modem recovers.
    EXPECT_EQ(p.Command("AT" + std::string(5000, 'E')), "\r\nERROR\r\n");
    EXPECT_EQ(p.Command("AT"), "\r\nOK\r\n");
    EXPECT_TRUE(s.sim.WaitForCommand("I3", 1000));
    EXPECT_TRUE(s.sim.WaitForCommand("I3", 1000)); // the repeat ran it again
    EXPECT_FALSE(s.sim.WaitForCommand("I3", 50));
}

// Every personality answers every probe of the diagnostics run with a final
// OK or ERROR, "#" probes are refused by the "+" families and the other way
// round, and the modem is still in command mode afterwards.
TEST(ModemSimAt, EveryPersonalityAnswersTheDiagnosticsProbes) {
    const char* probes[] = {"&FE1",      "#CLS=8", "#CID=?", "#VCI?",   "#VCL=1",
                            "#VSM=?",    "#VBS=?", "#VSR=?", "&F",      "+FCLASS=8",
                            "+FCLASS=?", "+VSM=?", "+VLS=?", "+VCID=?", "I0",
                            "I3",        "+GMI",   "+GMM",   "+GMR"};
    for (const std::string& name : modemsim::PersonalityNames()) {
        SCOPED_TRACE(name);
        Sim s(name);
        const modemsim::Personality* p = modemsim::FindPersonality(name);
        for (const char* probe : probes) {
            std::string answer = s.port->Command(std::string("AT") + probe);
            const bool ok = answer.ends_with("\r\nOK\r\n");
            EXPECT_TRUE(ok || answer.ends_with("\r\nERROR\r\n")) << probe << " gave " << answer;
            if (probe[0] == '+' && probe[1] == 'V') {
                EXPECT_EQ(ok, p->plusV) << probe;
            }
            if (std::string(probe) == "#VSM=?" || std::string(probe) == "#VBS=?") {
                EXPECT_EQ(ok, p->hash) << probe;
            }
        }
        EXPECT_NE(s.port->Command("AT").find("\r\nOK\r\n"), std::string::npos);
    }
}

// A mobile-network modem takes a text message only in text mode, up to Ctrl-Z,
// drops it on Esc, and refuses what is too long or what it is told to refuse.
TEST(ModemSimAt, TextMessagesInTextMode) {
    Sim s("gsm");
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    ASSERT_TRUE(p.Send("AT+CMGS=\"+4930123\"\r")); // PDU mode
    EXPECT_EQ(p.ReadUntil("304\r\n", 5000), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(p.Command("AT+CMGF=1"), "\r\nOK\r\n");
    s.sim.RefuseMessages(500, 1);
    const struct {
        std::string number, text, answer;
    } cases[] = {
        {"+4930123", "first", "\r\n+CMS ERROR: 500\r\n"},
        {"+4930123", "two\rlines", "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
        {"555", std::string(80, '['), "\r\n+CMGS: 2\r\n\r\nOK\r\n"},
        {"555", std::string(81, '['), "\r\n+CMS ERROR: 305\r\n"},
        {"555", "dropped\x1b", "\r\nOK\r\n"},
        {"5;5", "", "\r\n+CMS ERROR: 305\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number + " " + c.text);
        ASSERT_TRUE(p.Send("AT+CMGS=\"" + c.number + "\"\r"));
        if (!c.text.empty()) {
            EXPECT_EQ(p.ReadUntil("> ", 5000), "\r\n> ");
            ASSERT_TRUE(p.Send(c.text.back() == '\x1b' ? c.text : c.text + "\x1a"));
        }
        EXPECT_TRUE(p.ReadUntil(c.answer, 5000).ends_with(c.answer));
    }
    ASSERT_EQ(s.sim.SentMessages().size(), 2u);
    EXPECT_EQ(s.sim.SentMessages()[0].text, "two\nlines");
    EXPECT_EQ(s.sim.SentMessages()[1].number, "555");
    EXPECT_EQ(s.sim.RefusedMessages(), 2);
    EXPECT_EQ(s.sim.CancelledMessages(), 1);
}
