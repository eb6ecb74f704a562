// CTapiRequest: one asynchronous request of the provider and its reply.
//
// The message thread completes it when the reply arrives; the thread that
// made the request waits for it, with or without a limit. Records are
// shared: the cleaner may drop a record from the connection's list while a
// waiter still holds it.
#pragma once

#include "tapi/TapiTypes.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class CTapiRequest {
public:
    explicit CTapiRequest(TapiResult nId) : m_nId(nId) {}
    TapiResult Id() const { return m_nId; }

    // The reply: its result, arrived at tick count dwTick.
    void Complete(TapiResult nResult, uint32_t dwTick);
    // Forgets a reply (event cleared, result -1).
    void Reset();
    bool IsComplete() const;
    uint32_t ReplyTick() const;
    TapiResult Result() const;

    // Waits for the reply. nLimitMs 0 or -1: no limit. pump runs every
    // round (the waiting thread's own messages); when it returns false (a
    // quit was seen) the wait ends. -1 when the limit passed or the wait was
    // ended, else the request's result.
    TapiResult Wait(int64_t nLimitMs, const std::function<bool()>& pump = {});

private:
    const TapiResult m_nId;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bComplete = false;
    TapiResult m_nResult = -1;
    uint32_t m_dwReplyTick = 0;
};
