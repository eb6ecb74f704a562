// CTapiConnection: the application's link to the telephony provider. It
// starts the provider, makes one line object per line device (of the class
// the program chooses), reads the provider's messages on a thread of its
// own and hands each to its line, and keeps the outstanding requests until
// their replies arrive.
#pragma once

#include "tapi/TapiObjects.h"
#include "tapi/TapiRequest.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CTapiConnection {
public:
    // Makes the line object of a device (the program's own line class).
    using LineFactory =
        std::function<std::unique_ptr<CTapiLine>(CTapiConnection&, uint32_t dwDeviceID)>;

    // A reply older than this is stale when its request id comes again.
    static constexpr uint32_t kRequestReuseMs = 10000;
    // Completed requests are dropped this long after their reply.
    static constexpr uint32_t kRequestKeepMs = 5000;
    // How long one wait of the message thread lasts.
    static constexpr uint32_t kMessageWaitMs = 5000;

    explicit CTapiConnection(ITapiProvider& provider) : m_provider(provider) {}
    ~CTapiConnection();
    CTapiConnection(const CTapiConnection&) = delete;
    CTapiConnection& operator=(const CTapiConnection&) = delete;

    // Starts the provider as sAppName (retried while it asks to be started
    // again), makes the line and phone objects and starts the message
    // threads. 0, or kTapiErrNoDevice with no line devices, or the
    // provider's error.
    TapiResult Initialize(const std::string& sAppName, LineFactory factory,
                          uint32_t dwVersion = kTapiVersionApp);
    // Ends the provider, joins the message threads, drops every object.
    void Shutdown();
    bool IsInitialized() const { return m_bInitialized; }

    ITapiProvider& Provider() const { return m_provider; }
    uint32_t Version() const { return m_dwVersion; }
    size_t LineCount() const;
    CTapiLine* Line(size_t index) const;
    CTapiLine* FindLine(uint32_t dwDeviceID) const;
    size_t PhoneCount() const { return m_phones.size(); }

    // ---- requests --------------------------------------------------------
    // The record of request nId: made when there is none; one whose reply is
    // older than kRequestReuseMs is reset.
    std::shared_ptr<CTapiRequest> Request(TapiResult nId);
    // The result of an operation: a synchronous result (0 or an error) as it
    // is; for a request id, its reply (-1 when none came within nLimitMs,
    // 0 or -1 meaning no limit).
    TapiResult WaitForReply(TapiResult nResult, int64_t nLimitMs,
                            const std::function<bool()>& pump = {});
    // Drops completed requests whose reply is older than kRequestKeepMs.
    void CleanRequests();
    size_t RequestCount() const;

    // One provider message (the message thread; public for the tests).
    void HandleMessage(const TapiMessage& msg);

private:
    void LineThread();
    void PhoneThread();

    ITapiProvider& m_provider;
    LineFactory m_factory;
    uint32_t m_dwVersion = 0;
    std::atomic<bool> m_bInitialized{false};
    bool m_bPhones = false;
    mutable std::mutex m_linesMutex;
    std::vector<std::unique_ptr<CTapiLine>> m_lines; // under m_linesMutex
    std::vector<std::unique_ptr<CTapiPhone>> m_phones;
    mutable std::mutex m_requestsMutex;
    std::map<TapiResult, std::shared_ptr<CTapiRequest>> m_requests; // under m_requestsMutex
    std::thread m_lineThread;
    std::thread m_phoneThread;
};
