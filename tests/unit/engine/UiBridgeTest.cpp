#include "engine/CallerIdDisplay.h"
#include "engine/LoggingUiBridge.h"
#include "engine/Phone.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A front end whose user answers later, on another thread, or never.
// Keeps the answer callback for the test to call later. The question may
// come from another thread: m_bAsked says, once set, that m_onAnswer is there.
class SlowUser : public CLoggingUiBridge {
public:
    void AskYesNo(int, bool, std::function<void(bool)> onAnswer) override {
        Keep(std::move(onAnswer));
    }
    void AskYesNoText(const std::string&, bool, std::function<void(bool)> onAnswer) override {
        Keep(std::move(onAnswer));
    }
    std::function<void(bool)> m_onAnswer;
    std::atomic<bool> m_bAsked{false};

private:
    void Keep(std::function<void(bool)> onAnswer) {
        m_onAnswer = std::move(onAnswer);
        m_bAsked = true;
    }
};

} // namespace

TEST(UiBridge, LoggingBridgeTakesTheDefaultAndEscapesStrangersText) {
    std::vector<std::string> sink;
    CLoggingUiBridge ui([&](const std::string& line) { sink.push_back(line); });
    bool answer = false;
    ui.AskYesNo(57688, true, [&](bool yes) { answer = yes; });
    EXPECT_TRUE(answer);
    EXPECT_FALSE(AskYesNoAndWait(ui, 57688, false, 60000));
    ui.CallerChanged({"EVIL\nmessage 1 [error]: forged", "555", ""});
    ui.ShowMessage(57708, MessageIcon::Error);
    ASSERT_EQ(sink.size(), 4u);
    EXPECT_EQ(sink[0], "question 57688: Your modem does not support Hardware Caller "
                       "ID.\\x0AWould you like to set an appropriate Caller ID type now? -> "
                       "Yes (default)");
    EXPECT_EQ(sink[2],
              "caller: name=\"EVIL\\x0Amessage 1 [error]: forged\" number=\"555\" memo=\"\"");
    EXPECT_EQ(sink[3], "message 57708 [error]: Could not write data to the port.");
    EXPECT_EQ(ui.Lines(), sink);
}

TEST(UiBridge, WaitingForAnAnswerIsBounded) {
    SlowUser never;
    EXPECT_TRUE(AskYesNoAndWait(never, 57688, true, 10)); // nobody answers: the default
    never.m_onAnswer(false);                              // a late answer harms nothing

    SlowUser later;
    std::thread user;
    bool yes = true;
    std::thread worker([&] { yes = AskYesNoAndWait(later, 57688, true, 60000); });
    while (!later.m_bAsked)
        std::this_thread::yield();
    user = std::thread([&] { later.m_onAnswer(false); });
    worker.join();
    user.join();
    EXPECT_FALSE(yes);
}

TEST(UiBridge, FinishingCallerIdTellsTheFrontEnd) {
    CLoggingUiBridge ui;
    CNumber c;
    c.m_sCidNumber = "2125551234";
    c.m_sName = "JOHN";
    FinishCallerId(c, true, ui);
    EXPECT_EQ(c.m_sNumber, "2125551234");
    EXPECT_EQ(c.m_sDisplayNumber, "212-555-1234");
    // The filter and the tooltip get the number as stored, the caller fields
    // the display form.
    EXPECT_EQ(ui.Lines(), (std::vector<std::string>{
                              "filter: \"2125551234\"", "tooltip: 2125551234",
                              "caller: name=\"JOHN\" number=\"212-555-1234\" memo=\"\""}));
    EXPECT_EQ(CallWindowTitle(c), "JOHN - [212-555-1234] - Vorella");
    // Not displayed, no number is still told as "NA".
    CLoggingUiBridge ui2;
    CNumber none;
    FinishCallerId(none, false, ui2);
    EXPECT_EQ(ui2.Lines().front(), "tooltip: NA");
}

TEST(UiBridge, ModemMessagesAndQuestionsReachTheUser) {
    // The modem layer's message is a message box as well as the status
    // line, and its question waits for the user's answer.
    SlowUser user;
    CPhone phone;
    phone.SetUi(&user);
    IModemUi& modemUi = phone.ModemDriver()->Ui();
    modemUi.ShowMessage("Could not write data to the port.", MsgIcon::Error);
    EXPECT_EQ(user.Lines(),
              (std::vector<std::string>{"status: Could not write data to the port.",
                                        "message [error]: Could not write data to the port."}));

    bool bYes = true;
    std::thread worker([&] { bYes = modemUi.AskYesNo("Scan the ports?", true); });
    while (!user.m_bAsked)
        std::this_thread::yield();
    user.m_onAnswer(false);
    worker.join();
    EXPECT_FALSE(bYes) << "the user's answer, not the default";
}
