// The message queue of a telephony provider: its events and the replies to
// its requests, in order, for the telephony layer's message thread.
//
// Get waits for a message up to a time limit. Closing the queue (the
// provider shuts down) drops what is queued and wakes a waiting reader at
// once; from then on a read answers that the application is gone, and
// nothing is taken, until the queue is opened again.
//
// The queue is bounded: a flood of events (a far end sending keys without
// end, a reader that stopped reading) must not grow it without limit. When
// it is full the newest messages are dropped and counted, with one log line
// when dropping starts and one when it ends (the reader has caught up with
// half of it).
#pragma once

#include "tapi/TapiProvider.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

class CTapiMessageQueue {
public:
    // Far more than a line's calls ever leave unread.
    static constexpr size_t kDefaultLimit = 1024;
    using LogFn = std::function<void(const std::string&)>;

    // sOwner names the provider in the log lines; they go to log (standard
    // error when none is given).
    explicit CTapiMessageQueue(std::string sOwner, size_t nLimit = kDefaultLimit, LogFn log = {});

    void Open();
    void Close();
    bool IsOpen() const;
    // Queues msg; false when the queue is closed or full (then dropped).
    bool Push(const TapiMessage& msg);
    // Waits up to dwTimeoutMs (kTapiWaitForever: no limit) for a message:
    // 0 with *pMsg filled, kTapiErrOperationUnavail when none came in time,
    // kTapiErrInvalAppHandle when the queue is (or gets) closed.
    TapiResult Get(TapiMessage* pMsg, uint32_t dwTimeoutMs);
    size_t Size() const;
    // Messages dropped because the queue was full, since it was made.
    uint64_t Dropped() const;

private:
    void Log(const std::string& text) const;

    const std::string m_sOwner;
    const size_t m_nLimit;
    const LogFn m_log;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<TapiMessage> m_queue; // under m_mutex
    bool m_bOpen = false;            // under m_mutex
    uint64_t m_nDropped = 0;         // under m_mutex
    uint64_t m_nDroppedNow = 0;      // under m_mutex: in the flood going on
};
