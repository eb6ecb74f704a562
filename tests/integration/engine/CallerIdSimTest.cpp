// The caller-ID reader on the real modem driver, against the simulated modem
// on a pseudo-terminal: every form in which a modem reports the caller.
#include "TempHome.h"

#include "ModemSim.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/LoggingUiBridge.h"
#include "modem/CommDriver.h"
#include "platform/SerialPorts.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class CallerIdSimTest : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    void SetUp() override {
        modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For("v253");
        o.logFile = home.File("sim.log");
        sim = std::make_unique<modemsim::ModemSim>(o);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        ASSERT_TRUE(SetComPortDevice(kPort, sim->SlavePath()));
        drv.Profile().Load(".Custom");
        drv.SetDebugLevel(1);
        ASSERT_NE(drv.Open(kPort, 115200), CCommDriver::kInvalidHandle);
        drv.InitModem();
        ASSERT_TRUE(drv.m_bInitialized);
    }

    // One ring with the caller's data, read as the worker reads it.
    CNumber RingAndRead(const modemsim::CallerId& id, modemsim::CallerIdForm form,
                        CidReadSettings s) {
        drv.SetAmericanCID(form == modemsim::CallerIdForm::Unformatted ? 2 : 1);
        sim->SetCallerId(id, form);
        sim->Ring(1, modemsim::RingCadence::Fast());
        CNumber call;
        EXPECT_EQ(drv.WaitResult(20000, 65535), kResultRing);
        CCommDriverCidChannel channel(drv);
        CidReadHooks hooks;
        hooks.onReceived = [&](const CNumber& c) { early = c.m_sCidNumber; };
        ReadModemCallerId(channel, s, call, hooks);
        FinishCallerId(call, true, ui);
        return call;
    }

    static CidReadSettings Type(int type, uint32_t timeToGet = 3000) {
        CidReadSettings s;
        s.nCIDType = type;
        s.dwTimeToGet = timeToGet;
        return s;
    }

    std::string ModemLog() const { return home.Read("modem.log"); }

    TempHome home;
    std::unique_ptr<modemsim::ModemSim> sim;
    CCommDriver drv;
    CLoggingUiBridge ui;
    std::string early;
};

} // namespace

TEST_F(CallerIdSimTest, FormattedLines) {
    modemsim::CallerId id{"1206", "1530", "2125551234", "JOHN SMITH", ""};
    CNumber c = RingAndRead(id, modemsim::CallerIdForm::Formatted, Type(kCidFormatted));
    EXPECT_EQ(c.m_sDate, "1206");
    EXPECT_EQ(c.m_sTime, "1530");
    EXPECT_EQ(c.m_sNumber, "2125551234");
    EXPECT_EQ(c.m_sDisplayNumber, "212-555-1234");
    EXPECT_EQ(c.m_sName, "JOHN SMITH");
    EXPECT_EQ(early, "2125551234");
    EXPECT_NE(ModemLog().find("Result_CID_NMBR: "), std::string::npos);
}

TEST_F(CallerIdSimTest, NumberLineWithAMessageKeyword) {
    modemsim::CallerId id{"", "", "5551234 MESG 0715", "JOHN", ""};
    CNumber c = RingAndRead(id, modemsim::CallerIdForm::Formatted, Type(kCidFormattedLong));
    EXPECT_EQ(c.m_sCidNumber, "5551234 ");
    EXPECT_EQ(c.m_sCidMessage, " 0715");
    EXPECT_EQ(c.m_sName, "JOHN"); // type 3 listens on after the keyword
}

TEST_F(CallerIdSimTest, UnformattedHexadecimalText) {
    modemsim::CallerId seven{"", "", "5551234", "", ""};
    EXPECT_EQ(
        RingAndRead(seven, modemsim::CallerIdForm::Unformatted, Type(kCidUnformatted)).m_sNumber,
        "5551234");
    modemsim::CallerId ten{"", "", "2125551234", "", ""};
    EXPECT_EQ(
        RingAndRead(ten, modemsim::CallerIdForm::Unformatted, Type(kCidUnformatted)).m_sNumber,
        "2125551234");
}

TEST_F(CallerIdSimTest, HardwareDigits) {
    modemsim::CallerId id{"", "", "5551234", "", ""};
    CNumber c = RingAndRead(id, modemsim::CallerIdForm::HardwareDigits, Type(kCidHardware, 1500));
    EXPECT_EQ(c.m_sNumber, "5551234");
    EXPECT_EQ(c.m_sDisplayNumber, "555-1234");
}

TEST_F(CallerIdSimTest, WithheldOutOfAreaAndSilentCallers) {
    modemsim::CallerId withheld{"1206", "1530", "P", "PRIVATE", ""};
    CNumber c = RingAndRead(withheld, modemsim::CallerIdForm::Formatted, Type(kCidFormatted));
    EXPECT_EQ(c.m_sDisplayNumber, "P");
    EXPECT_EQ(c.m_sName, "PRIVATE");

    modemsim::CallerId outside{"1206", "1530", "O", "OUT OF AREA", ""};
    c = RingAndRead(outside, modemsim::CallerIdForm::Formatted, Type(kCidFormatted));
    EXPECT_EQ(c.m_sDisplayNumber, "O");
    EXPECT_EQ(c.m_sName, "OUT OF AREA");

    c = RingAndRead({}, modemsim::CallerIdForm::None, Type(kCidFormatted, 1000));
    EXPECT_EQ(c.m_sDisplayNumber, "NA");
    EXPECT_EQ(c.m_sName, "");
}

// ---- the layouts real modems and exchanges send ------------------------------

namespace {

struct Layout {
    const char* label;
    int type;
    const char* text; // what the modem sends after the first ring
    const char* number;
    const char* name;
    const char* date;
    const char* time;
};

const Layout kLayouts[] = {
    {"SpacesAroundEquals", kCidFormatted,
     "\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = 5071234567\r\nNAME = ARCHER L\r\n\r\n",
     "5071234567", "ARCHER L", "1207", "1405"},
    {"NoSpaces", kCidFormatted,
     "\r\nDATE=1207\r\nTIME=1405\r\nNMBR=5071234567\r\nNAME=ARCHER L\r\n\r\n", "5071234567",
     "ARCHER L", "1207", "1405"},
    {"DialledNumberField", kCidFormatted,
     "\r\nDATE = 1207\r\nTIME = 1405\r\nDDN_NMBR = 5071234567\r\nNAME = ARCHER L\r\n\r\n",
     "5071234567", "ARCHER L", "1207", "1405"},
    {"SixDigitDate", kCidFormatted,
     "\r\nDATE = 120726\r\nTIME = 1405\r\nNMBR = 5551234\r\nNAME = JOHN\r\n\r\n", "5551234",
     "JOHN", "120726", "1405"},
    {"OutOfArea", kCidFormatted, "\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = O\r\nNAME = O\r\n\r\n",
     "O", "O", "1207", "1405"},
    {"Private", kCidFormatted, "\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = P\r\nNAME = P\r\n\r\n",
     "P", "P", "1207", "1405"},
    // A message-type line ahead of the fields: it carries no number, so the
    // fields after it are read, not drained away.
    {"MessageLineFirst", kCidFormatted,
     "\r\nMESG = 110101\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = 5071234567\r\nNAME = ARCHER "
     "L\r\n\r\n",
     "5071234567", "ARCHER L", "1207", "1405"},
    // Name and number on one line.
    {"TwoFieldsOnALine", kCidFormatted,
     "\r\nDATE = 1207\r\nTIME = 1405\r\nNAME=ARCHER L       NMBR=5071234567\r\n\r\n",
     "5071234567", "ARCHER L", "1207", "1405"},
    {"TwoFieldsWithDialledNumber", kCidFormatted,
     "\r\nTIME = 1405\r\nNAME = ARCHER L   DDN_NMBR = 5071234567\r\n\r\n", "5071234567",
     "ARCHER L", "", "1405"},
    {"UnformattedHex", kCidUnformatted, "\r\nMESG = 030735353531323334\r\n\r\n", "5551234", "",
     "", ""},
};

class CallerIdLayoutTest : public CallerIdSimTest, public ::testing::WithParamInterface<Layout> {};

} // namespace

TEST_P(CallerIdLayoutTest, EveryFieldIsKept) {
    const Layout& l = GetParam();
    modemsim::CallerId id;
    id.message = l.text;
    CNumber c = RingAndRead(id, modemsim::CallerIdForm::Raw, Type(l.type));
    EXPECT_EQ(c.m_sNumber, l.number);
    EXPECT_EQ(c.m_sName, l.name);
    EXPECT_EQ(c.m_sDate, l.date);
    EXPECT_EQ(c.m_sTime, l.time);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CallerIdLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& i) { return std::string(i.param.label); });
