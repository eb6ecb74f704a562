// The call events' delivery: a subscriber that does not keep up loses its
// oldest events, counted and told once, while the publisher and every other
// subscriber go on; each subscriber gets its events in order; a
// subscription ended while events are published gets none afterwards.
#include "engine/CallEvents.h"

#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// The ring counts a subscriber received.
class Received {
public:
    void Add(int n) {
        std::lock_guard lock(m_mutex);
        m_items.push_back(n);
    }
    bool WaitForCount(size_t n) const {
        return WaitUntil([&] { return Items().size() >= n; });
    }
    std::vector<int> Items() const {
        std::lock_guard lock(m_mutex);
        return m_items;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_items;
};

int Rings(const CallEvent& e) {
    return std::get<CallRinging>(e).nRings;
}

// A gate a handler waits at, once, until the test opens it.
struct Gate {
    std::promise<void> reached, opened;
    std::future<void> reachedFuture = reached.get_future();
    std::shared_future<void> openedFuture = opened.get_future().share();
    void Wait() {
        reached.set_value();
        openedFuture.wait();
    }
    bool WaitReached() {
        return reachedFuture.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    }
    void Open() { opened.set_value(); }
};

TEST(CallEvents, AStuckSubscriberLosesItsOldestEventsAndHoldsUpNoOne) {
    std::vector<std::string> told;
    std::mutex toldMutex;
    CCallEventPublisher events([&](const std::string& line) {
        std::lock_guard lock(toldMutex);
        told.push_back(line);
    });
    Gate gate;
    Received slow, quick;
    const int slowId = events.Subscribe(
        "slow reader",
        [&](const CallEvent& e) {
            slow.Add(Rings(e));
            if (Rings(e) == 1)
                gate.Wait();
        },
        4);
    events.Subscribe(
        "quick reader", [&](const CallEvent& e) { quick.Add(Rings(e)); }, 64);

    events.Publish(CallRinging{1});
    ASSERT_TRUE(gate.WaitReached());
    // The slow reader is stuck in its first event: of the next ten only the
    // last four fit its queue. Publishing goes on regardless.
    for (int n = 2; n <= 11; ++n)
        events.Publish(CallRinging{n});
    ASSERT_TRUE(quick.WaitForCount(11));
    EXPECT_EQ(quick.Items(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(events.Dropped(slowId), 6u);

    gate.Open();
    // Stopping delivers what is still queued.
    events.Stop();
    EXPECT_EQ(slow.Items(), (std::vector<int>{1, 8, 9, 10, 11}));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "call events: 6 not delivered to the slow reader (it fell behind)");
}

TEST(CallEvents, ASubscriptionEndedWithDrainGetsWhatWasQueuedFirst) {
    // The mail notice ends its subscription so when the worker stops: a
    // notice published just before must still go out.
    CCallEventPublisher events;
    Gate gate;
    Received got;
    const int id = events.Subscribe("notice", [&](const CallEvent& e) {
        got.Add(Rings(e));
        if (Rings(e) == 1)
            gate.Wait();
    });
    events.Publish(CallRinging{1});
    ASSERT_TRUE(gate.WaitReached());
    events.Publish(CallRinging{2});
    events.Publish(CallRinging{3});
    std::thread end([&] { events.Unsubscribe(id, true); });
    gate.Open();
    end.join();
    EXPECT_EQ(got.Items(), (std::vector<int>{1, 2, 3}));
}

TEST(CallEvents, AnEndedSubscriptionGetsNothingMoreWhilePublishingGoesOn) {
    CCallEventPublisher events;
    // Published as fast as it goes: a reader may fall behind and lose some.
    std::jthread publisher([&](std::stop_token stop) {
        for (int n = 1; !stop.stop_requested(); ++n)
            events.Publish(CallRinging{n});
    });
    std::atomic<int> nLate{0};
    for (int round = 0; round < 50; ++round) {
        // The handler's state lives in this round only: a call after the
        // subscription ended would find it gone.
        std::atomic<bool> bEnded{false};
        Received got;
        const int id = events.Subscribe("reader", [&](const CallEvent& e) {
            if (bEnded)
                ++nLate;
            got.Add(Rings(e));
        });
        ASSERT_TRUE(got.WaitForCount(3));
        events.Unsubscribe(id);
        bEnded = true;
        // In the order published.
        const std::vector<int> items = got.Items();
        for (size_t i = 1; i < items.size(); ++i)
            ASSERT_LT(items[i - 1], items[i]) << "at " << i;
    }
    // A handler may end its own subscription.
    Received own;
    std::mutex idMutex;
    int ownId = 0;
    {
        std::lock_guard lock(idMutex);
        ownId = events.Subscribe("reader", [&](const CallEvent& e) {
            int id = 0;
            {
                std::lock_guard idLock(idMutex);
                id = ownId;
            }
            events.Unsubscribe(id);
            own.Add(Rings(e));
        });
    }
    ASSERT_TRUE(own.WaitForCount(1));
    publisher.request_stop();
    publisher.join();
    EXPECT_EQ(own.Items().size(), 1u);
    EXPECT_EQ(nLate, 0);
}

} // namespace
