#include "platform/Event.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(ManualResetEvent, StaysSetUntilResetAndWakesEveryWaiter) {
    ManualResetEvent ev;
    EXPECT_FALSE(ev.Wait(0));
    ev.Set();
    EXPECT_TRUE(ev.Wait(0));
    EXPECT_TRUE(ev.Wait(0)); // manual reset: a wait does not clear it
    ev.Reset();
    EXPECT_FALSE(ev.IsSet());
    EXPECT_FALSE(ev.Wait(1));

    // Set on one thread, it wakes every waiter on others.
    bool woke[2] = {false, false};
    std::thread a([&] { woke[0] = ev.Wait(-1); });
    std::thread b([&] { woke[1] = ev.Wait(60000); });
    ev.Set();
    a.join();
    b.join();
    EXPECT_TRUE(woke[0]);
    EXPECT_TRUE(woke[1]);
}

TEST(NamedEvent, SameNameSameEventFirstStateWins) {
    ManualResetEvent& a = NamedEvent("test_named_event_a", true);
    ManualResetEvent& again = NamedEvent("test_named_event_a", false);
    EXPECT_EQ(&a, &again);
    EXPECT_TRUE(again.IsSet());
    EXPECT_NE(&a, &NamedEvent("test_named_event_b"));
    EXPECT_FALSE(NamedEvent("test_named_event_b").IsSet());
}

} // namespace
