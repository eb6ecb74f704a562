// The answers the web page sends while they are made: a recording as the
// browser plays it (the one byte range it asks for of the recording's PCM
// WAV form) and the live updates of the open pages.
#pragma once

#include "web/EventStream.h"
#include "web/HttpServer.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The recording at sPath for a request with that Range header ("" none):
// 200, 206 or 416 with Accept-Ranges and Content-Range; 404 with the reason
// when it cannot be served.
HttpResponse RecordingResponse(const std::string& sPath, const std::string& sRangeHeader);

// The live updates: the engine's call events as frames for every open page,
// and a heartbeat that keeps the idle streams open and finds those gone.
class CLiveUpdates {
public:
    static constexpr std::chrono::seconds kHeartbeat{15};
    // Follows pEvents (none: the streams only beat).
    explicit CLiveUpdates(CCallEventPublisher* pEvents);
    ~CLiveUpdates();
    CLiveUpdates(const CLiveUpdates&) = delete;
    CLiveUpdates& operator=(const CLiveUpdates&) = delete;

    // The answer to a page that opens its stream; its first frame is what
    // firstFrame gives once the page follows the events (so that nothing
    // falls between the two).
    HttpResponse Open(const std::function<std::string()>& firstFrame);

private:
    void Beat();

    CEventHub m_hub;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bStop = false; // under m_mutex
    std::thread m_heartbeat;
};
