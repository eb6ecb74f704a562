// AT commands and their answers, against the simulated modem.
#include "SimFixture.h"

#include "platform/FileUtil.h"
#include "platform/Strings.h"

#include "platform/TickCount.h"

#include <atomic>
#include <regex>
#include <thread>

namespace {

class EngineCommand : public SimModemTest {};

TEST_F(EngineCommand, FastInitialisationSendsOneLineAndLogsIt) {
    auto& sim = Ready("v253");
    EXPECT_TRUE(drv.m_bInitialized);
    EXPECT_EQ(drv.DeviceFailure(), 0);
    EXPECT_EQ(sim.ReceivedLines(), std::vector<std::string>{"&FQ0V1E0"});
    std::string log = ModemLog();
    std::regex line(
        R"((^|\n)\d{4}\.\d{1,2}\.\d{1,2} \d{1,2}:\d{1,2}:\d{1,2}\.\d{1,3}\tCommOutS: AT&FQ0V1E0\n)");
    EXPECT_TRUE(std::regex_search(log, line)) << log;
    // The answer is logged as it came, echo and line breaks included.
    EXPECT_NE(log.find("\tResult_OK: AT&FQ0V1E0\r\r\nOK\n"), std::string::npos) << log;
}

// With the log off (level 0) nothing is written to it.
TEST_F(EngineCommand, PlainInitialisationSendsEachCommand) {
    auto& sim = StartSim("v253");
    drv.Profile().Load(".Custom");
    drv.SetDebugLevel(0);
    ASSERT_NE(drv.Open(kPort, kBaud), CCommDriver::kInvalidHandle);
    drv.Settings().bFasterModemInit = false;
    drv.Settings().bDisableModemInact = false;
    drv.Settings().dwInactiveTimer = 90000;
    drv.InitModem();
    EXPECT_TRUE(drv.m_bInitialized);
    // The inactivity command's example value is replaced, not appended to.
    EXPECT_EQ(sim.ReceivedLines(), (std::vector<std::string>{"&F", "Q0", "V1", "E0", "S30=90"}));
    drv.Close(true);
    EXPECT_FALSE(FileExists(home.File("modem.log")));
}

TEST_F(EngineCommand, CloseWithDeinitialisationResetsTheModem) {
    auto& sim = Ready("v253");
    EXPECT_TRUE(drv.Close(true));
    EXPECT_FALSE(drv.IsOpen());
    auto lines = sim.ReceivedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Z");
    // The reset goes out between two full purges.
    EXPECT_TRUE(std::regex_search(ModemLog(), std::regex("\tPurge\n[^\n]*\tCommOutS: ATZ\n[^\t]*\t"
                                                         "Result_OK: [^\n]*\n[^\n]*\tPurge\n")))
        << ModemLog();
    // Closing again, or closing a port that never opened, is harmless.
    EXPECT_TRUE(drv.Close(true));
    EXPECT_EQ(drv.Open(77, kBaud), CCommDriver::kInvalidHandle);
    EXPECT_TRUE(drv.Close(false));
}

TEST_F(EngineCommand, AnswersArriveAsTheModemSendsThem) {
    auto& sim = Ready("v253");
    struct Case {
        const char* raw;
        int type;
        int want;
    } cases[] = {
        {"\r\nRING1\r\n", 0, kResultRing},
        {"\r\nNMBR = 5551234\r\n", 0, kResultCidNmbr},
        {"\x10R", 0, kResultRing},
        {"\x10\x03\r\nOK\r\n", 100, kResultEndOfVoice},
        {"\x10\x03\r\nOK\r\n", 0, kResultOk}, // DLE ETX ends nothing for this type
        {"\r\nNOT OK\r\nERROR\r\n", 0, kResultError},
        {"\x10h", 0, kResultEndOfVoice},
    };
    for (const Case& c : cases) {
        drv.Profile().m_nModemType = c.type;
        sim.SendRaw(c.raw);
        EXPECT_EQ(drv.WaitResult(10000, 65535), c.want) << c.raw;
        // Take whatever the case left behind, up to a marker.
        drv.Profile().m_nModemType = 0;
        sim.SendRaw("\r\nBUSY\r\n");
        for (int i = 0; i < 5 && drv.WaitResult(10000, 65535) != kResultBusy; ++i) {
        }
    }
}

// (The caller ID that follows the ring: the engine's caller-ID story.)
TEST_F(EngineCommand, AnIdleWaitWakesOnARing) {
    auto& sim = Ready("v253");
    uint32_t mask = 0;
    sim.Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(drv.WaitCommEvent(&mask, 60000));
    EXPECT_EQ(mask, EV_RXCHAR);
    EXPECT_EQ(drv.WaitResult(10000, 65535), kResultRing);
}

TEST_F(EngineCommand, DialCleansTheNumberAndReportsTheLineState) {
    auto& sim = Ready("v253", false);
    EXPECT_EQ(drv.Dial("5551234", false), kResultError) << "dialled before initialisation";
    drv.InitModem();
    sim.SetDialResult("BUSY");
    EXPECT_EQ(drv.Dial("(555) 123-4567", false), kResultBusy);
    EXPECT_EQ(sim.DialledNumbers().back(), "T5551234567");
    EXPECT_NE(ModemLog().find("Dialed: ATDT5551234567"), std::string::npos);
    sim.SetDialResult("NO DIAL TONE");
    EXPECT_EQ(drv.Dial("1\r\nATZ", false), kResultNoDialTone);
    EXPECT_EQ(sim.DialledNumbers().back(), "T1ATZ") << "a line break in the number ended it";
    EXPECT_EQ(drv.Hangup(), kResultOk);
}

TEST_F(EngineCommand, StopRequestBreaksAWaitButOneAlreadyRaisedDoesNot) {
    auto& sim = Ready("v253", false);
    sim.SetDialResult("BUSY", 600000); // the answer would come in ten minutes
    drv.CommOutNoResult("DT5551234");
    ASSERT_TRUE(sim.WaitForCommand("DT", 60000));
    // Another thread keeps asking the engine to stop until the wait ends.
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        for (; !done; SleepMs(20))
            drv.SetStopRequest(true);
    });
    drv.SetStopRequest(false);
    int result = drv.WaitResult(120000, 65535);
    done = true;
    stopper.join();
    EXPECT_EQ(result, kResultNone);
    EXPECT_TRUE(drv.StopRequested());

    // Raised before the wait began: the wait still takes the answer.
    sim.SendRaw("\r\nOK\r\n");
    EXPECT_EQ(drv.WaitResult(10000, 65535), kResultOk);
}

TEST_F(EngineCommand, TextAnswersAreCollectedLineByLine) {
    auto& sim = Ready("v253", false);
    sim.SendRaw("\r\nNAME = JOHN DOE\r\nNMBR = 5551234\r\n");
    std::string text;
    EXPECT_EQ(drv.RcvString(text, 200, 10000, false, false), 15);
    EXPECT_EQ(text, "NAME = JOHN DOE");
    EXPECT_EQ(drv.RcvString(text, 5, 10000, false, false), 5);
    EXPECT_EQ(text, "NMBR ");
    EXPECT_NE(ModemLog().find("RcvString: NAME = JOHN DOE"), std::string::npos);
}

TEST_F(EngineCommand, VoiceFormatCommandsFollowTheProfile) {
    auto& sim = Ready("hash");
    EXPECT_EQ(drv.SetCompression(7), 0);
    EXPECT_EQ(drv.Profile().nCompression, 4);
    drv.Profile().sVoiceCompressPCM8U = "#VSM=128,%d";
    drv.Profile().nCompressionSampleRate = 7200;
    EXPECT_EQ(drv.SetCompression(8), 8);
    EXPECT_EQ(drv.SetVoiceBaud(115200), kResultOk);
    drv.Profile().sVoiceAGC = "#VGR=";
    EXPECT_EQ(drv.SetAGC(0), kResultNone);
    drv.SetAGC(3);
    auto lines = sim.ReceivedLines();
    std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"#VSM=128,7200", "#BDR=48", "#VGR=3"}));
}

TEST_F(EngineCommand, ToneGenerationTakesTheDigitsOnlyWhereTheFormatSaysSo) {
    auto& sim = Ready("hash");
    drv.Dial("12", true);
    EXPECT_EQ(sim.ReceivedLines().back(), "#VTS=");
    drv.Profile().sVoiceVTS = "#VTS=%s";
    drv.Dial("1 2#", true);
    EXPECT_EQ(sim.ReceivedLines().back(), "#VTS=1,2,#");
    EXPECT_NE(ModemLog().find("Generated tone: AT#VTS=1,2,#"), std::string::npos);
}

TEST_F(EngineCommand, FileEmulationReplacesThePort) {
    home.Write("fFrom", "\r\nOK\r\n");
    drv.SetDebugLevel(4);
    EXPECT_EQ(drv.Open(3, kBaud), 1);
    EXPECT_EQ(drv.CommOut("I0", kModeResult), kResultOk);
    EXPECT_EQ(home.Read("fTo"), "ATI0\r");
    unsigned char b;
    EXPECT_EQ(drv.Read(&b, 100), 0) << "read past the end of fFrom";
    EXPECT_TRUE(drv.Close(true));
}

} // namespace
