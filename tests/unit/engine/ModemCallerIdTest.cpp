#include "ScriptedModem.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CallerText.h"
#include "engine/LoggingUiBridge.h"

#include <cstdint>
#include <gtest/gtest.h>

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

TEST(ModemCallerId, UnformattedHexMessageYieldsTheDigits) {
    ScriptedModem modem({Mesg("030735353531323334")});
    Read r = ReadCid(modem, Type(kCidUnformatted));
    EXPECT_EQ(r.call.m_sCidNumber, "5551234");
    EXPECT_EQ(r.call.m_sCidMessage, "030735353531323334");
    EXPECT_TRUE(r.outcome.bReceived);
    EXPECT_EQ(r.outcome.nFound, 4);

    // A number line that came first is not replaced by the message's digits.
    ScriptedModem modem2({Nmbr("777"), Mesg("03073939")});
    EXPECT_EQ(ReadCid(modem2, Type(kCidUnformatted)).call.m_sCidNumber, "777");
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

TEST(ModemCallerId, HardwareDigitsArriveAsAnUnmatchedLine) {
    ScriptedModem modem({Unmatched("\r\n  5551234 \r\n")});
    Read r = ReadCid(modem, Type(kCidHardware));
    EXPECT_EQ(r.call.m_sCidNumber, "5551234");
    EXPECT_EQ(r.call.m_nCidNumber, 5551234);
    EXPECT_EQ(r.receivedCalls, 1);

    // A second digit line replaces the first and ends the reading; noise
    // that is not a digit line ends it too, once a field is in.
    ScriptedModem modem2({Unmatched("\r\n5551234\r\n"), Unmatched("\r\n9999\r\n")});
    Read r2 = ReadCid(modem2, Type(kCidHardware));
    EXPECT_EQ(r2.call.m_sCidNumber, "9999");
    EXPECT_EQ(r2.outcome.nExtra, 2);
    ScriptedModem modem3(
        {Unmatched("\r\n5551234\r\n"), Unmatched("\r\nGARBAGE\r\n"), Unmatched("\r\n9999\r\n")});
    EXPECT_EQ(ReadCid(modem3, Type(kCidHardware)).call.m_sCidNumber, "5551234");
}

TEST(ModemCallerId, MessageKeywordInsideANumberLine) {
    // Other types stop at once: the following name is drained, not taken.
    ScriptedModem modem({Nmbr("5551234 MESG 0715"), Name("JOHN")});
    Read r = ReadCid(modem, Type(kCidFormatted));
    EXPECT_EQ(r.call.m_sCidNumber, "5551234 "); // trailing blank kept
    EXPECT_EQ(r.call.m_sCidMessage, " 0715");
    EXPECT_EQ(r.call.m_sCidName, "");
    EXPECT_EQ(r.call.m_sName, "");

    // Type 3 keeps listening and takes the name too.
    ScriptedModem modem3({Nmbr("5551234 MESG 0715"), Name("JOHN")});
    Read r3 = ReadCid(modem3, Type(kCidFormattedLong));
    EXPECT_EQ(r3.call.m_sCidNumber, "5551234 ");
    EXPECT_EQ(r3.call.m_sName, "JOHN");

    // A profile keyword of its own is honoured.
    CidReadSettings s = Type(kCidFormatted);
    s.sStatusMESG = "MSG:";
    ScriptedModem modem4({Nmbr("123MSG:hello")});
    EXPECT_EQ(ReadCid(modem4, s).call.m_sCidMessage, "hello");
}

TEST(ModemCallerId, RingsWhileReading) {
    // Type 3 tolerates two rings before the data.
    ScriptedModem modem({Ring(), Ring(), Nmbr("5551234"), Name("JOHN")});
    Read r = ReadCid(modem, Type(kCidFormattedLong));
    EXPECT_EQ(r.call.m_sCidNumber, "5551234");
    EXPECT_EQ(r.ringsCounted, 2);
    EXPECT_EQ(r.outcome.nRingsSeen, 2);

    // A third ring ends it.
    ScriptedModem modem3({Ring(), Ring(), Ring(), Nmbr("5551234")});
    Read r3 = ReadCid(modem3, Type(kCidFormattedLong));
    EXPECT_EQ(r3.call.m_sCidNumber, "");
    EXPECT_EQ(r3.ringsCounted, 3);

    // Any other type ends at the first ring, and a ring after the number too.
    for (int type : {kCidNone, kCidFormatted, kCidUnformatted, kCidFormattedAny, kCidOther}) {
        ScriptedModem m({Ring(), Nmbr("5551234")});
        Read rr = ReadCid(m, Type(type));
        EXPECT_EQ(rr.call.m_sCidNumber, "") << type;
        EXPECT_EQ(rr.ringsCounted, 1) << type;
    }
    ScriptedModem modem4({Nmbr("5551234"), Ring(), Name("JOHN")});
    Read r4 = ReadCid(modem4, Type(kCidFormattedLong));
    EXPECT_EQ(r4.call.m_sName, "");
}

TEST(ModemCallerId, NumberOnlyAndZeroNumberSettings) {
    CidReadSettings s = Type(kCidFormatted);
    s.bNumberOnlyCID = true;
    ScriptedModem modem({Nmbr("5551234"), Name("JOHN")});
    Read r = ReadCid(modem, s);
    EXPECT_EQ(r.call.m_sCidNumber, "5551234");
    EXPECT_EQ(r.call.m_sName, "");

    // A number of zeros only is unknown: it takes the name, and without a name
    // it is empty (and shows "NA" once displayed).
    s = Type(kCidFormatted);
    s.bTreatZeroNumberAsUnknown = true;
    ScriptedModem modem2({Nmbr("0000"), Name("JOHN")});
    EXPECT_EQ(ReadCid(modem2, s).call.m_sCidNumber, "JOHN");
    ScriptedModem modem3({Nmbr("000"), Mesg("x")});
    EXPECT_EQ(ReadCid(modem3, s).call.m_sCidNumber, "");
    // Without the setting the zeros stay; with it, a number with a zero in it stays.
    ScriptedModem modem4({Nmbr("0000"), Name("JOHN")});
    EXPECT_EQ(ReadCid(modem4, Type(kCidFormatted)).call.m_sCidNumber, "0000");
    ScriptedModem modem5({Nmbr("5550"), Name("JOHN")});
    EXPECT_EQ(ReadCid(modem5, s).call.m_sCidNumber, "5550");
}

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

    // Displayed, an empty number is the name; without one, "NA".
    CLoggingUiBridge ui;
    FinishCallerId(r.call, true, ui);
    EXPECT_EQ(r.call.m_sNumber, "NA");
    EXPECT_EQ(r.call.m_sDisplayNumber, "NA");
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

TEST(ModemCallerId, WithheldAndOutOfAreaWordsAreKept) {
    for (const char* word : {"P", "O", "PRIVATE", "OUT OF AREA", "BLOCKED", "WITHHELD"}) {
        ScriptedModem modem({Nmbr(word), Name(word)});
        Read r = ReadCid(modem, Type(kCidFormatted));
        CLoggingUiBridge ui;
        FinishCallerId(r.call, true, ui);
        EXPECT_EQ(r.call.m_sNumber, word);
        EXPECT_EQ(r.call.m_sDisplayNumber, word);
        EXPECT_EQ(r.call.m_sName, word);
    }
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
