#include "ScriptedModem.h"
#include "engine/CallState.h"
#include "engine/CallerIdSources.h"
#include "engine/LoggingUiBridge.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr std::time_t kEvening = 1199318340; // 2008-01-02 23:59:00 UTC

// Remembers what the main window would read when the caller fields first
// change with the received flag up.
class PeekingUi : public CLoggingUiBridge {
public:
    explicit PeekingUi(const CCallStateData& state) : state(state) {}
    void CallerChanged(const CallerDisplay& c) override {
        if (!bPeeked && state.bCidReceived) {
            early = state.curCall.Get();
            bPeeked = true;
        }
        CLoggingUiBridge::CallerChanged(c);
    }
    const CCallStateData& state;
    bool bPeeked = false;
    CNumber early;
};

class ReadCallerIdTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    CallerIdFill Read(ICallerIdSource& source) {
        CallerIdContext ctx{ui, state, true, [this](const std::string& s) { log += s; },
                            [this] { ++stopCleared; }};
        return ReadCallerId(source, ctx, kEvening);
    }

    CCallState callState;
    CCallStateData& state = callState.EngineState();
    PeekingUi ui{state};
    std::string log;
    int stopCleared = 0;
};

} // namespace

TEST_F(ReadCallerIdTest, SerialModemShowsTheNumberBeforeTheNameArrives) {
    // The machine was asked to answer at this ring; reading must not undo it.
    callState.RequestAction(kActionAnswer);
    ScriptedModem modem({Date("0102"), Time("1159"), Nmbr("2125551234"), Name("JOHN SMITH")});
    int rings = 0;
    CModemCallerIdSource source(modem, CidReadSettings{}, [&] { ++rings; });
    CallerIdFill fill = Read(source);

    EXPECT_TRUE(fill.bReceived);
    EXPECT_TRUE(fill.bCidSeen);
    EXPECT_TRUE(state.bCidReceived);
    EXPECT_TRUE(state.bActionPending);
    EXPECT_EQ(state.nAction, kActionAnswer);
    EXPECT_EQ(stopCleared, 1);
    EXPECT_EQ(log, "AmericanCID:\n");
    CNumber c = state.curCall.Get();
    EXPECT_EQ(c.m_sNumber, "2125551234");
    EXPECT_EQ(c.m_sDisplayNumber, "212-555-1234");
    EXPECT_EQ(c.m_sName, "JOHN SMITH");
    EXPECT_EQ(c.m_nKind, 1);
    // The modem's date and time are replaced by this computer's, on a 24-hour clock.
    EXPECT_EQ(c.m_sDate, "01022008");
    EXPECT_EQ(c.m_sTime, "2359");

    auto lines = ui.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "caller: name=\"\" number=\"212-555-1234\" memo=\"\"");
    EXPECT_EQ(lines.back(), "caller: name=\"JOHN SMITH\" number=\"212-555-1234\" memo=\"\"");
    // The early data is complete enough to show: stored and display number, time.
    ASSERT_TRUE(ui.bPeeked);
    EXPECT_EQ(ui.early.m_sNumber, "2125551234");
    EXPECT_EQ(ui.early.m_sDisplayNumber, "212-555-1234");
    EXPECT_EQ(ui.early.m_sTime, "2359");
}

// A line call without caller data (the line with data: the telephony line
// story) leaves nothing of the last call behind.
TEST_F(ReadCallerIdTest, TelephonyLineWithoutCallerData) {
    CNumber old;
    old.m_sMemo = "from the last call";
    state.curCall.Set(old);
    CLineCallerIdSource without([] { return LineCallerData{}; });
    Read(without);
    EXPECT_TRUE(state.bCidReceived);
    EXPECT_EQ(state.curCall.Get().m_sMemo, "");
    EXPECT_EQ(state.curCall.Get().m_sNumber, "NA");
}

// A message the adapter story cannot send: too short to hold a field.
TEST_F(ReadCallerIdTest, AnAdapterMessageTooShortForAFieldGivesNoNumber) {
    CRawCallerIdSource tooShort(std::string(12, '\x02'));
    Read(tooShort);
    EXPECT_EQ(state.curCall.Get().m_sNumber, "NA");
    EXPECT_TRUE(state.bCidReceived);
}
