#include "engine/ThreadMessages.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(ThreadMessages, PumpKeepsOrderAndNeverBlocks) {
    CThreadMessageQueue q;
    std::vector<ThreadMessage> seen;
    EXPECT_EQ(q.PumpMessages([&](const ThreadMessage& m) { seen.push_back(m); }), 0u);
    ASSERT_TRUE(q.Post(kMsgRing));
    ASSERT_TRUE(q.Post(kMsgDeviceEvent, '5', 7));
    ASSERT_TRUE(q.Post(kMsgDial));
    // A message the handler posts waits for the next pump.
    size_t n = q.PumpMessages([&](const ThreadMessage& m) {
        seen.push_back(m);
        if (m.message == kMsgRing)
            q.Post(kMsgSendMail);
    });
    EXPECT_EQ(n, 3u);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, kMsgRing);
    EXPECT_EQ(seen[1], (ThreadMessage{kMsgDeviceEvent, '5', 7}));
    EXPECT_EQ(seen[2].message, kMsgDial);
    EXPECT_EQ(q.Size(), 1u);
    EXPECT_EQ(q.TryGet()->message, kMsgSendMail);
    EXPECT_FALSE(q.TryGet());
}

TEST(ThreadMessages, AThrowingHandlerLosesNothingElse) {
    CThreadMessageQueue q;
    q.Post(kMsgRing);
    q.Post(kMsgDial);
    EXPECT_THROW(q.PumpMessages([](const ThreadMessage&) { throw std::runtime_error("x"); }),
                 std::runtime_error);
    EXPECT_EQ(q.TryGet()->message, kMsgDial);
}

TEST(ThreadMessages, WaitEndsAtItsDeadlineOrWithAMessage) {
    CThreadMessageQueue q;
    EXPECT_FALSE(q.Wait(20)); // nothing comes: returns empty at the deadline

    std::atomic<int> wakes{0};
    q.SetWakeUp([&] { ++wakes; });
    std::thread poster([&] { q.Post(kMsgCallerIdReady, 1, 2); });
    auto m = q.Wait(60000); // generous: only the message ends this wait
    poster.join();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->message, kMsgCallerIdReady);
    EXPECT_EQ(wakes.load(), 1);

    std::thread closer([&] { q.Close(); });
    EXPECT_FALSE(q.Wait(60000)); // closing wakes the waiter
    closer.join();
    EXPECT_FALSE(q.Post(kMsgRing));
}

TEST(ThreadMessages, QueueIsBounded) {
    CThreadMessageQueue q;
    for (size_t i = 0; i < CThreadMessageQueue::kMaxQueued; ++i)
        ASSERT_TRUE(q.Post(kMsgDeviceEvent, '1'));
    EXPECT_FALSE(q.Post(kMsgDeviceEvent, '1'));
    q.TryGet();
    EXPECT_TRUE(q.Post(kMsgDeviceEvent, '1'));
}

TEST(ThreadMessages, ManyPostersOneWorker) {
    CThreadMessageQueue q;
    constexpr int kPerThread = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&q, t] {
            for (int i = 0; i < kPerThread; ++i)
                q.Post(kMsgDeviceEvent, static_cast<uintptr_t>(t), i);
        });
    std::vector<intptr_t> last(4, -1);
    int got = 0;
    while (got < 4 * kPerThread) {
        auto m = q.Wait(60000);
        ASSERT_TRUE(m);
        // Each poster's messages arrive in the order it posted them.
        EXPECT_EQ(m->lParam, last[m->wParam] + 1);
        last[m->wParam] = m->lParam;
        ++got;
    }
    for (auto& t : posters)
        t.join();
}
