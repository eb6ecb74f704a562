#include "ScriptedModem.h"
#include "engine/CallerText.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

CidReadSettings Type(int nCIDType) {
    CidReadSettings s;
    s.nCIDType = nCIDType;
    return s;
}

struct Read {
    CNumber call;
    CidReadOutcome outcome;
    int ringsCounted = 0;
    int receivedCalls = 0;
    std::string firstReceivedNumber;
};

Read ReadCid(ScriptedModem& modem, const CidReadSettings& s) {
    Read r;
    CidReadHooks hooks;
    hooks.onRing = [&] { ++r.ringsCounted; };
    hooks.onReceived = [&](const CNumber& c) {
        if (r.receivedCalls++ == 0)
            r.firstReceivedNumber = c.m_sCidNumber;
    };
    r.outcome = ReadModemCallerId(modem, s, r.call, hooks);
    return r;
}

} // namespace

TEST(ModemCallerId, FormattedLinesFillEveryFieldAndLeaveTheNextRingAlone) {
    ScriptedModem modem({Date("1206"), Time("1530"), Nmbr("5551234"), Name("JOHN SMITH"),
                         Mesg("left over"), Ring(2000)});
    Read r = ReadCid(modem, Type(kCidFormatted));
    EXPECT_EQ(r.call.m_sDate, "1206");
    EXPECT_EQ(r.call.m_sTime, "1530");
    EXPECT_EQ(r.call.m_sCidNumber, "5551234");
    EXPECT_EQ(r.call.m_nCidNumber, 5551234);
    EXPECT_EQ(r.call.m_sNumber, "5551234");
    EXPECT_EQ(r.call.m_sDisplayNumber, "5551234");
    EXPECT_EQ(r.call.m_sName, "JOHN SMITH");
    EXPECT_TRUE(r.outcome.bCidSeen);
    EXPECT_EQ(r.firstReceivedNumber, "5551234");
    // The left-over message line is drained, the ring is not consumed.
    EXPECT_EQ(r.call.m_sCidMessage, "");
    EXPECT_EQ(modem.Left(), 1u);
    EXPECT_EQ(r.ringsCounted, 0);
    // The first wait is the whole reading time, later ones the field gap,
    // and the port gets its normal time-outs back at the end.
    EXPECT_EQ(modem.waits.front(), 3000u);
    EXPECT_EQ(modem.waits[1], 340u);
    EXPECT_EQ(modem.timeouts.back(), 'N');
}

// The unformatted message as the caller-ID story reads it; here its edges.
TEST(ModemCallerId, UnformattedHexMessageYieldsTheDigits) {
    EXPECT_EQ(DecodeHexNumberMessage("0407353535"), "");
    EXPECT_EQ(DecodeHexNumberMessage("0307"), "");
    EXPECT_EQ(DecodeHexNumberMessage("03"), "");
    // Other lengths, and characters that are not digits, decode the same way;
    // the length bounds what is taken, a broken pair ends it.
    EXPECT_EQ(DecodeHexNumberMessage("030A32313235353531323334"), "2125551234");
    EXPECT_EQ(DecodeHexNumberMessage("030150"), "P");
    EXPECT_EQ(DecodeHexNumberMessage("03023535353535"), "55");
    EXPECT_EQ(DecodeHexNumberMessage("030735G5"), "5");
    EXPECT_EQ(DecodeHexNumberMessage("03FF" + std::string(2000, '3')), std::string(255, '3'));
}

// ---- what the reader keeps of each script ----------------------------------

struct ReadCase {
    const char* label;
    int type;
    std::vector<ScriptedModem::Step> steps;
    const char* number;  // the caller-ID number
    const char* name;    // nullptr: not looked at
    const char* message; // nullptr: not looked at
    int rings = 0;       // counted while reading
    bool bNumberOnly = false;
    bool bZeroIsUnknown = false;
    const char* mesgWord = "MESG";
};

// clang-format off
const ReadCase kReads[] = {
    // A number line that came first is not replaced by the message's digits.
    {"NumberLineBeforeTheHexMessage", kCidUnformatted, {Nmbr("777"), Mesg("03073939")}, "777", nullptr, nullptr},
    // The hardware type's digits come as a line no result word matches (the
    // caller-ID story); a second digit line replaces the first, noise once a
    // field is in ends it.
    {"HardwareSecondLineReplacesTheFirst", kCidHardware, {Unmatched("\r\n5551234\r\n"), Unmatched("\r\n9999\r\n")}, "9999", nullptr, nullptr},
    {"HardwareNoiseEndsTheReading", kCidHardware, {Unmatched("\r\n5551234\r\n"), Unmatched("\r\nGARBAGE\r\n"), Unmatched("\r\n9999\r\n")}, "5551234", nullptr, nullptr},
    // A message keyword inside the number line: the trailing blank is kept;
    // the formatted type stops at once (the name is drained, not taken); type 3
    // listens on (the caller-ID story).
    {"KeywordInTheNumberStops", kCidFormatted, {Nmbr("5551234 MESG 0715"), Name("JOHN")}, "5551234 ", "", " 0715"},
    {"KeywordOfTheProfile", kCidFormatted, {Nmbr("123MSG:hello")}, nullptr, nullptr, "hello", 0, false, false, "MSG:"},
    // Type 3 tolerates two rings before the data; a third ends it, and so
    // does a ring after the number. Every other type ends at the first ring.
    {"LongListeningTwoRings", kCidFormattedLong, {Ring(), Ring(), Nmbr("5551234"), Name("JOHN")}, "5551234", nullptr, nullptr, 2},
    {"LongListeningThirdRing", kCidFormattedLong, {Ring(), Ring(), Ring(), Nmbr("5551234")}, "", nullptr, nullptr, 3},
    {"LongListeningRingAfterTheNumber", kCidFormattedLong, {Nmbr("5551234"), Ring(), Name("JOHN")}, nullptr, "", nullptr, 1},
    {"FormattedFirstRing", kCidFormatted, {Ring(), Nmbr("5551234")}, "", nullptr, nullptr, 1},
    {"OtherFirstRing", kCidOther, {Ring(), Nmbr("5551234")}, "", nullptr, nullptr, 1},
    {"NumberOnly", kCidFormatted, {Nmbr("5551234"), Name("JOHN")}, "5551234", "", nullptr, 0, true},
    // A number of zeros only is unknown: it takes the name, and without a
    // name it is empty; without the setting the zeros stay, and with it a
    // number with a zero in it stays.
    {"ZerosTakeTheName", kCidFormatted, {Nmbr("0000"), Name("JOHN")}, "JOHN", nullptr, nullptr, 0, false, true},
    {"ZerosWithoutAName", kCidFormatted, {Nmbr("000"), Mesg("x")}, "", nullptr, nullptr, 0, false, true},
    {"ZerosWithoutTheSetting", kCidFormatted, {Nmbr("0000"), Name("JOHN")}, "0000", nullptr, nullptr},
    {"AZeroInANumber", kCidFormatted, {Nmbr("5550"), Name("JOHN")}, "5550", nullptr, nullptr, 0, false, true},
};
// clang-format on

class ModemCallerIdRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ModemCallerIdRead, KeepsWhatTheRulesSay) {
    const ReadCase& c = GetParam();
    CidReadSettings s = Type(c.type);
    s.bNumberOnlyCID = c.bNumberOnly;
    s.bTreatZeroNumberAsUnknown = c.bZeroIsUnknown;
    s.sStatusMESG = c.mesgWord;
    ScriptedModem modem(c.steps);
    Read r = ReadCid(modem, s);
    if (c.number) {
        EXPECT_EQ(r.call.m_sCidNumber, c.number);
    }
    if (c.name) {
        EXPECT_EQ(r.call.m_sName, c.name);
    }
    if (c.message) {
        EXPECT_EQ(r.call.m_sCidMessage, c.message);
    }
    EXPECT_EQ(r.ringsCounted, c.rings);
    EXPECT_EQ(r.outcome.nRingsSeen, c.rings);
    if (c.type == kCidHardware) {
        EXPECT_GE(r.receivedCalls, 1) << "the worker is told of a digit line at once";
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ModemCallerIdRead, ::testing::ValuesIn(kReads),
                         [](const auto& i) { return std::string(i.param.label); });

TEST(ModemCallerId, CallerWhoSendsNothingEndsAtTheDeadline) {
    ScriptedModem modem;
    uint32_t start = modem.Now();
    Read r = ReadCid(modem, Type(kCidFormatted));
    EXPECT_EQ(r.call.m_sCidNumber, "");
    EXPECT_FALSE(r.outcome.bCidSeen);
    EXPECT_EQ(r.receivedCalls, 0);
    EXPECT_EQ(modem.waits.front(), 3000u);
    // One wait of the whole reading time (across the tick wrap), one drain wait.
    EXPECT_EQ(modem.Now() - start, 3000u + 30u);
}

TEST(ModemCallerId, LateDataStillHonoursTheFixedDeadline) {
    // Fields arriving every 300 ms: the reading stops 3000 ms after its start
    // even though each field came within the field gap.
    std::vector<ScriptedModem::Step> steps;
    for (int i = 0; i < 20; ++i)
        steps.push_back({kResultCidDate, "", " = 1206", 300});
    ScriptedModem modem(steps);
    uint32_t start = modem.Now();
    ReadCid(modem, Type(kCidFormatted));
    EXPECT_GE(modem.Now() - start, 3000u);
    EXPECT_LT(modem.Now() - start, 3000u + 300u + 16 * 30u);
}

TEST(ModemCallerId, HostileLinesAreBoundedAndCleaned) {
    std::string huge(100 * 1024, '9');
    ScriptedModem modem(
        {Field(kResultCidName, std::string("EVIL\0\x1b[2J\r\nSubject: x", 21) + huge),
         Field(kResultCidNmbr, huge)});
    Read r = ReadCid(modem, Type(kCidFormatted));
    EXPECT_LE(r.call.m_sCidName.size(), kMaxCallerField);
    EXPECT_EQ(r.call.m_sCidName.substr(0, 17), "EVIL[2JSubject: x");
    EXPECT_EQ(r.call.m_sCidName.find_first_of(std::string("\0\r\n\x1b", 4)), std::string::npos);
    EXPECT_LE(r.call.m_sCidNumber.size(), kMaxCallerField);
    EXPECT_EQ(r.call.m_nCidNumber, INT32_MAX); // saturated, not overflowed

    // A hardware "number" of 100 kB of digits from the line buffer.
    ScriptedModem modem2({Unmatched(huge)});
    EXPECT_LE(ReadCid(modem2, Type(kCidHardware)).call.m_sCidNumber.size(), kMaxCallerField);

    // A modem that keeps sending caller-ID lines after the fields cannot hold
    // the worker: the drain gives up.
    std::vector<ScriptedModem::Step> flood{Nmbr("1"), Name("A")};
    for (int i = 0; i < 5000; ++i)
        flood.push_back(Mesg("again"));
    ScriptedModem modem3(flood);
    ReadCid(modem3, Type(kCidFormatted));
    EXPECT_GT(modem3.Left(), 4900u);
    EXPECT_EQ(modem3.timeouts.back(), 'N');

    // Invalid UTF-8 cannot reach the XML and mail writers.
    ScriptedModem modem4({Name("M\xFC"
                               "LLER \xE2\x82"),
                          Nmbr("1")});
    EXPECT_EQ(ReadCid(modem4, Type(kCidFormatted)).call.m_sName, "M?LLER ??");
}

TEST(ModemCallerId, DigitLineReadTogetherWithTheNextRing) {
    EXPECT_EQ(DigitLineBeforeRing("\r\n2125551234\r\n\r\nRING\r\n"), "2125551234");
    EXPECT_EQ(DigitLineBeforeRing("  5551234 \r\nRING"), "5551234");
    EXPECT_EQ(DigitLineBeforeRing("\r\nRING\r\n"), "");
    EXPECT_EQ(DigitLineBeforeRing("RING\r\n5551234\r\n"), ""); // the next call's, not this one's
    EXPECT_EQ(DigitLineBeforeRing("NMBR = 5551234\r\nRING"), "");
    EXPECT_EQ(DigitLineBeforeRing(""), "");
    EXPECT_EQ(DigitLineBeforeRing(std::string(1000, '7') + "\r\nRING").size(), 255u);
}
