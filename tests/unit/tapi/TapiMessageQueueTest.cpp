// The providers' message queue: order and the wait's limit, the wake at
// shutdown, and the bound under a flood.
#include "tapi/TapiMessageQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TapiMessage Digit(uintptr_t key) {
    TapiMessage m;
    m.dwMessageID = TapiMsg::MonitorDigits;
    m.dwParam1 = key;
    return m;
}

TEST(TapiMessageQueue, HandsOutInOrderAndAWaitEndsByItsLimit) {
    CTapiMessageQueue queue("test");
    TapiMessage m;
    // Nothing is taken before the provider starts.
    EXPECT_FALSE(queue.Push(Digit('1')));
    EXPECT_EQ(queue.Get(&m, 0), kTapiErrInvalAppHandle);

    queue.Open();
    EXPECT_EQ(queue.Get(&m, 20), kTapiErrOperationUnavail);
    for (char key : std::string("12#"))
        EXPECT_TRUE(queue.Push(Digit(static_cast<uintptr_t>(key))));
    std::string got;
    while (queue.Get(&m, 0) == 0)
        got += static_cast<char>(m.dwParam1);
    EXPECT_EQ(got, "12#");

    // A message from another thread ends an unlimited wait.
    std::thread sender([&] { queue.Push(Digit('9')); });
    ASSERT_EQ(queue.Get(&m, kTapiWaitForever), 0);
    EXPECT_EQ(m.dwParam1, static_cast<uintptr_t>('9'));
    sender.join();
}

TEST(TapiMessageQueue, ClosingWakesAWaitingReaderAndDropsWhatIsQueued) {
    CTapiMessageQueue queue("test");
    queue.Open();
    TapiResult r = 0;
    std::thread reader([&] {
        TapiMessage m;
        r = queue.Get(&m, kTapiWaitForever);
    });
    queue.Close();
    reader.join(); // hangs (and the test times out) when the wake is lost
    EXPECT_EQ(r, kTapiErrInvalAppHandle);

    queue.Open();
    EXPECT_TRUE(queue.Push(Digit('5')));
    queue.Close();
    queue.Open();
    TapiMessage m;
    EXPECT_EQ(queue.Get(&m, 0), kTapiErrOperationUnavail) << "a message outlived the shutdown";
}

TEST(TapiMessageQueue, AFloodIsBoundedCountedAndLoggedOnceEachWay) {
    std::vector<std::string> log;
    CTapiMessageQueue queue("SIP", 8, [&](const std::string& line) { log.push_back(line); });
    queue.Open();
    size_t nTaken = 0;
    for (int i = 0; i < 1000; ++i)
        nTaken += queue.Push(Digit('0' + static_cast<uintptr_t>(i % 10)));
    EXPECT_EQ(nTaken, 8u);
    EXPECT_EQ(queue.Size(), 8u);
    EXPECT_EQ(queue.Dropped(), 992u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "SIP: the message queue is full (8 messages); newer messages are dropped");

    // The oldest messages are the ones kept.
    TapiMessage m;
    ASSERT_EQ(queue.Get(&m, 0), 0);
    EXPECT_EQ(m.dwParam1, static_cast<uintptr_t>('0'));
    // Still more than half full: taken, but the flood is not over yet.
    EXPECT_TRUE(queue.Push(Digit('x')));
    EXPECT_FALSE(queue.Push(Digit('y')));
    EXPECT_EQ(log.size(), 1u);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(queue.Get(&m, 0), 0);
    EXPECT_TRUE(queue.Push(Digit('z')));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "SIP: the message queue takes messages again; 993 were dropped");
    EXPECT_EQ(queue.Dropped(), 993u);
}

} // namespace
