// Modems that misbehave: the engine gives up by its deadline, raises its
// failure flags where the modem is gone, and never hangs or crashes.
#include "SimFixture.h"

#include "platform/Strings.h"

namespace {

class BadModem : public SimModemTest {
protected:
    void SetUp() override {
        // Short waits keep the suite quick; nothing here depends on them.
        drv.Settings().dwTimeoutDefault = 800;
    }
    // How often the message was shown.
    long Shown(int id) {
        std::lock_guard l(ui.m);
        return std::count(ui.messages.begin(), ui.messages.end(), LoadStr(id));
    }
};

// A silent modem fails initialisation; the worker retries it, and the user is
// told once, and again only after the modem answered in between.
TEST_F(BadModem, ASilentModemFailsAndIsToldOnceUntilItAnswersAgain) {
    auto& sim = Ready("v253", false);
    sim.SetMisbehaviour(modemsim::Misbehaviour::Silent);
    drv.InitModem();
    EXPECT_FALSE(drv.m_bInitialized);
    EXPECT_NE(drv.DeviceFailure(), 0);
    for (int i = 0; i < 2; ++i)
        drv.InitModem();
    EXPECT_EQ(Shown(57677), 1);
    EXPECT_NE(ModemLog().find("Initialization failed. (again)"), std::string::npos);

    sim.SetMisbehaviour(modemsim::Misbehaviour::None);
    drv.Purge(kPurgeAll);
    drv.InitModem();
    ASSERT_TRUE(drv.m_bInitialized);
    sim.SetMisbehaviour(modemsim::Misbehaviour::Silent);
    drv.InitModem();
    EXPECT_EQ(Shown(57677), 2);
}

TEST_F(BadModem, ByteByByteTransmissionStopsAtTheFirstRefusal) {
    Ready("v253", false);
    drv.Settings().bUseAltCmdTransmit = false;
    drv.Profile().sCmdEchoOff = "E0#XYZ"; // a command this modem refuses
    drv.InitModem();
    EXPECT_FALSE(drv.m_bInitialized);
    EXPECT_EQ(Shown(57677), 1);
    // Each byte went out on its own, and the log names the line.
    EXPECT_NE(ModemLog().find("CommOut: AT&FQ0V1E0#XYZ"), std::string::npos);
}

TEST_F(BadModem, WithLineTransmissionARefusalDoesNotStopInitialisation) {
    auto& sim = Ready("v253", false);
    drv.Profile().sCmdDevSpecificInit = "#XYZ";
    drv.InitModem();
    EXPECT_TRUE(drv.m_bInitialized);
    EXPECT_EQ(drv.DeviceFailure(), 0);
    EXPECT_EQ(sim.ReceivedLines().back(), "#XYZ");
}

TEST_F(BadModem, GarbageNeverBecomesAnAnswer) {
    const modemsim::Misbehaviour modes[] = {modemsim::Misbehaviour::Babble,
                                            modemsim::Misbehaviour::DleStorm,
                                            modemsim::Misbehaviour::LongLine};
    auto& sim = Ready("v253", false);
    for (auto mode : modes) {
        sim.SetMisbehaviour(mode);
        // DLE codes may still report a ring or a handset event, as they
        // would from a real modem; what must never come out is success.
        int r = drv.CommOut("I0", kModeResult);
        EXPECT_TRUE(r != kResultOk && r != kResultVcon && r != kResultConnect)
            << static_cast<int>(mode) << " gave " << r;
        EXPECT_LE(drv.LineBuffer().size(), 65535u);
        sim.SetMisbehaviour(modemsim::Misbehaviour::None);
        drv.Purge(kPurgeAll);
    }
    EXPECT_EQ(drv.DeviceFailure(), 0) << "a noisy modem is not a missing one";
}

TEST_F(BadModem, AModemThatVanishesBeforeACommandIsShutDown) {
    auto& sim = Ready("v253", false);
    sim.Vanish();
    ASSERT_TRUE(sim.HasVanished());
    drv.InitModem();
    EXPECT_FALSE(drv.m_bInitialized);
    EXPECT_NE(drv.DeviceFailure(), 0);
    EXPECT_TRUE(drv.StopRequested());
    EXPECT_EQ(Shown(57708), 1);
    EXPECT_FALSE(drv.IsOpen()) << "a write failure shuts the modem down";
}

TEST_F(BadModem, AModemThatVanishesInTheMiddleOfACommand) {
    auto& sim = Ready("v253");
    ASSERT_TRUE(drv.m_bInitialized);
    sim.VanishOnCommand("I3");
    EXPECT_EQ(drv.CommOut("I3", kModeResult), kResultNone);
    EXPECT_NE(drv.DeviceFailure(), 0);
    EXPECT_TRUE(drv.StopRequested());
    // Everything after it returns at once.
    EXPECT_EQ(drv.CommOut("I0", kModeResult), kResultNone);
    EXPECT_EQ(drv.Hangup(), kResultNone);
    drv.Shutdown();
    EXPECT_FALSE(drv.IsOpen());
}

TEST_F(BadModem, OperationsWithoutAPortDoNothing) {
    EXPECT_EQ(drv.CommOut("I0", kModeResult), kResultNone);
    EXPECT_THROW(drv.CommOut("I0", kModeRaise), ModemCommandFailure);
    EXPECT_EQ(drv.CommOut("", kModeResult), kResultNone);
    EXPECT_EQ(drv.CommOutNoResult("I0"), -1);
    EXPECT_EQ(drv.WaitResult(100, 10), kResultNone);
    unsigned char buf[16];
    EXPECT_EQ(drv.ReceiveVoice(buf, sizeof buf, 100, true, buf), 0);
    EXPECT_EQ(drv.TransmitVoice(buf, sizeof buf, true), 0);
    drv.InitModem();
    EXPECT_FALSE(drv.m_bInitialized);
    EXPECT_TRUE(ui.messages.empty()) << "no port: nothing to report";
}

} // namespace
