#include "tapi/SimulatedTapi.h"
#include "tapi/TapiConnection.h"
#include "tapi/TapiRequest.h"

#include "platform/TickCount.h"

#include <gtest/gtest.h>
#include <thread>

TEST(TapiRequest, AWaitEndsWithTheReplyOrItsLimit) {
    CTapiRequest req(7);
    // No reply: a limited wait ends with -1; the pump ran meanwhile.
    int nPumped = 0;
    EXPECT_EQ(req.Wait(30, [&] { return ++nPumped > 0; }), -1);
    EXPECT_GT(nPumped, 0);
    // A quit seen by the pump ends even an unlimited wait.
    EXPECT_EQ(req.Wait(0, [] { return false; }), -1);
    // The reply from another thread ends an unlimited wait with its result.
    std::thread replier([&] { req.Complete(0x1234, 1); });
    EXPECT_EQ(req.Wait(-1), 0x1234);
    replier.join();
    EXPECT_TRUE(req.IsComplete());
    req.Reset();
    EXPECT_FALSE(req.IsComplete());
    EXPECT_EQ(req.Result(), -1);
}

TEST(TapiRequest, RecordsAreMadeOnLookUpAndDroppedOnlyWhenCompleteAndOld) {
    CSimulatedTapi sim;
    CTapiConnection connection(sim);
    // Synchronous results pass through unchanged; no record is made.
    EXPECT_EQ(connection.WaitForReply(0, 10), 0);
    EXPECT_EQ(connection.WaitForReply(kTapiErrInvalCallHandle, 10), kTapiErrInvalCallHandle);
    EXPECT_EQ(connection.RequestCount(), 0u);

    auto pending = connection.Request(5);
    EXPECT_EQ(connection.Request(5), pending);
    // A reply that came before anybody waited is kept for the waiter.
    TapiMessage reply;
    reply.dwMessageID = TapiMsg::Reply;
    reply.dwParam1 = 6;
    reply.dwParam2 = static_cast<uintptr_t>(static_cast<uint32_t>(kTapiErrInvalMediaMode));
    connection.HandleMessage(reply);
    EXPECT_EQ(connection.WaitForReply(6, 10), kTapiErrInvalMediaMode);
    // Fresh replies and pending requests survive the cleaning.
    connection.CleanRequests();
    EXPECT_EQ(connection.RequestCount(), 2u);
    // A waiter keeps its record even when the list drops it.
    pending->Complete(3, GetTickCount() - CTapiConnection::kRequestKeepMs - 1000);
    connection.CleanRequests();
    EXPECT_EQ(connection.RequestCount(), 1u);
    EXPECT_EQ(pending->Wait(10), 3);
    // An id that comes again after a reply long past starts afresh.
    auto again = connection.Request(6);
    again->Complete(0, GetTickCount() - CTapiConnection::kRequestReuseMs - 1000);
    EXPECT_FALSE(connection.Request(6)->IsComplete());
    EXPECT_EQ(connection.Request(6)->Result(), -1);
}
