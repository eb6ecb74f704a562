// The worker's thread-message queue: what PostThreadMessage and the worker's
// message pump were. Any thread posts; the worker drains the queue between
// steps without blocking, or waits for a message with a deadline.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

constexpr int kWmUser = 0x0400;

// The messages the worker handles.
enum WorkerMessage : int {
    kMsgRing = kWmUser + 1,             // a ring from a TAPI line or the adapter
    kMsgDial = kWmUser + 2,             // dial out
    kMsgCallerIdReady = kWmUser + 3,    // the device's caller data is ready
    kMsgRemoteHangUp = kWmUser + 5,     // the far end hung up / the call was dropped
    kMsgDeviceEvent = kWmUser + 7,      // wParam: a touch-tone key or tone character
    kMsgMediaEvent = kWmUser + 8,       // wParam: a tone or media character
    kMsgSendMail = kWmUser + 9,         // e-mail notice for the current call
    kMsgCallOffered = kWmUser + 10,     // a new call was offered
    kMsgCallDeallocated = kWmUser + 11, // the call object went away
    kMsgExit = kWmUser + 12,            // stop audio and start the orderly exit
    kMsgWake = kWmUser + 13,            // nothing to do: ends the worker's wait for a message
};

struct ThreadMessage {
    int message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool operator==(const ThreadMessage&) const = default;
};

class CThreadMessageQueue {
public:
    // As the system's thread queues, posting fails once this many wait: a
    // caller pressing keys for ever must not grow the queue without bound.
    static constexpr size_t kMaxQueued = 10000;

    // Queues a message; false when the queue is full or closed.
    bool Post(int message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // The oldest message, if one waits; never blocks.
    std::optional<ThreadMessage> TryGet();
    // The oldest message, waiting at most timeoutMs for one; nullopt on
    // time-out or when the queue is closed and empty.
    std::optional<ThreadMessage> Wait(uint32_t timeoutMs);
    // Dispatches every message waiting now (not those posted meanwhile by
    // the handler itself) and returns how many.
    size_t PumpMessages(const std::function<void(const ThreadMessage&)>& dispatch);
    // Refuses further posts and wakes a waiting Wait(); messages already
    // queued can still be taken.
    void Close();
    size_t Size() const;
    // Called after every successful post, so that a worker blocked on a
    // device (poll on the serial port) wakes up for the message.
    void SetWakeUp(std::function<void()> wake);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<ThreadMessage> m_queue;
    std::function<void()> m_wake;
    bool m_bClosed = false;
};
