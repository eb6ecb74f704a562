// Live updates for the open pages, as Server-Sent Events: each call event
// becomes one frame ("event:" and "data:" lines, the data one JSON object),
// and a hub hands every connected page its own copy.
//
// Each page has a bounded queue: a page that does not keep up (a slow
// phone, a connection gone without a word) loses its oldest frames, which
// are counted, and its next frames begin with a "dropped" frame that tells
// it to load the list afresh. The engine's thread never waits for a page,
// and the pages share one copy of each frame, so that all of them together
// hold at most a queue's worth of frames however many there are.
#pragma once

#include "engine/CallEvents.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

// One frame: "event: name" and a "data: " line for each line of data, then a
// blank line. A line break in data (CR, LF or both) starts a new data line,
// so no value can end the frame early; name keeps only [a-z0-9-].
std::string SseFrame(std::string_view name, std::string_view data);
// A comment frame that keeps an idle connection open.
std::string SseHeartbeat();
// The frame of a call event: ringing, caller, screened, answered,
// recording, stored, ended, line-lost, line-back; "" for an event the pages
// are not told (the calls due for a notice). Texts from the caller are
// bounded; files are named by their folder's name and their own.
std::string CallEventFrame(const CallEvent& event);

class CEventHub {
public:
    static constexpr size_t kDefaultQueueFrames = 64;
    // Called, without the hub's lock, when a page's queue was empty and is
    // no longer: the server resumes that page's connection. It may come
    // once more just after the page's Disconnect, on the thread that queued.
    using Wake = std::function<void()>;

    explicit CEventHub(size_t nQueueFrames = kDefaultQueueFrames);
    ~CEventHub();
    CEventHub(const CEventHub&) = delete;
    CEventHub& operator=(const CEventHub&) = delete;

    // Follows the engine's events on a subscription of its own until Stop.
    void Start(CCallEventPublisher& events);
    void Stop();

    // A page opened its stream: its id.
    int Connect(Wake wake = {});
    // The page's stream closed: its queue is let go.
    void Disconnect(int id);
    // Queues the frame for every page.
    void Broadcast(const std::string& frame);
    // Queues a heartbeat for every page that has nothing queued.
    void Heartbeat();
    // Moves the page's queued frames (whole ones, at least one, up to about
    // maxBytes) to the end of out; false when the page is not connected.
    bool Take(int id, std::string& out, size_t maxBytes = 64 * 1024);

    size_t Pages() const;
    // Frames dropped for the page so far; for every page there was.
    uint64_t Dropped(int id) const;
    uint64_t TotalDropped() const;

private:
    struct Page {
        std::deque<std::shared_ptr<const std::string>> frames;
        Wake wake;
        uint64_t nDropped = 0;
        uint64_t nUntold = 0; // dropped since the page was last told
    };
    void Queue(const std::shared_ptr<const std::string>& frame, bool bOnlyIdle);

    const size_t m_nQueueFrames;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;

    mutable std::mutex m_mutex;
    std::map<int, Page> m_pages;  // under m_mutex
    int m_nNextId = 1;            // under m_mutex
    uint64_t m_nTotalDropped = 0; // under m_mutex
};
