// The worker's reports cross to the UI thread: each call is copied, queued
// and carried out there, in order, however the worker's own strings fare
// after the call returned.
#include "engine/LoggingUiBridge.h"
#include "frontend/QueuedUiBridge.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>
#include <thread>

namespace {
// Notes each call as a log line, and on which thread it came.
class ThreadNotingUi : public CLoggingUiBridge {
public:
    void SetStatusText(const std::string& text) override {
        Note();
        CLoggingUiBridge::SetStatusText(text);
    }
    void CallerChanged(const CallerDisplay& caller) override {
        Note();
        CLoggingUiBridge::CallerChanged(caller);
    }
    void AskYesNo(int stringId, bool bDefaultYes, std::function<void(bool)> onAnswer) override {
        Note();
        // The user says No, whatever the default.
        CLoggingUiBridge::AskYesNo(stringId, bDefaultYes, [onAnswer](bool) { onAnswer(false); });
    }
    void ShowMessageText(const std::string& text, MessageIcon icon) override {
        Note();
        CLoggingUiBridge::ShowMessageText(text, icon);
    }
    std::vector<std::thread::id> threads;

private:
    void Note() { threads.push_back(std::this_thread::get_id()); }
};
} // namespace

TEST(QueuedBridge, WorkerCallsArriveOnTheUiThreadInOrderWithTheirOwnCopies) {
    ThreadNotingUi ui;
    CQueuedUiBridge bridge(ui);
    bool bAnswer = true;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            std::string text = "line " + std::to_string(i);
            bridge.SetStatusText(text);
            text.assign(100, 'x'); // the caller's string changes at once
        }
        bridge.CallerChanged({"JOHN DOE", "5551234", "memo"});
        bridge.ShowMessageText("Modem not found", MessageIcon::Error);
        // A question waits on the worker, never on the UI thread.
        bAnswer = AskYesNoAndWait(bridge, 57858, true, 60000);
    });
    // Nothing arrives until the UI thread runs its loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.threads.size() == 53; }, 30000));
    worker.join();
    EXPECT_FALSE(bAnswer) << "the user's answer reached the worker";
    for (std::thread::id id : ui.threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    const std::vector<std::string> lines = ui.Lines();
    ASSERT_EQ(lines.size(), 53u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(lines[i], "status: line " + std::to_string(i));
    EXPECT_EQ(lines[50], "caller: name=\"JOHN DOE\" number=\"5551234\" memo=\"memo\"");
    EXPECT_EQ(lines[51], "message [error]: Modem not found");
}

TEST(QueuedBridge, CallsLeftInTheQueueOfABridgeThatIsGoneAreDropped) {
    ThreadNotingUi ui;
    {
        CQueuedUiBridge bridge(ui);
        bridge.SetStatusText("late");
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui.Lines().empty());
}
