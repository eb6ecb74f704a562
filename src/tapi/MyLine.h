// CMyLine: the program's own telephony line. It turns the line's events
// into the call engine's thread messages (1025 ring ... 1035 call gone),
// keeps the current call (at most one) with its caller data, and offers
// the engine the operations on that call. CMyTapi owns the connection and
// opens one of its lines.
#pragma once

#include "tapi/TapiConnection.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// How a line reaches the call engine.
struct TapiEngineLink {
    // Posts a thread message to the engine's worker.
    std::function<void(int nMessage, uintptr_t wParam, intptr_t lParam)> post;
    // The engine is handling a call (a far-end hang-up concerns it).
    std::function<bool()> handlingCall;
    // The engine is placing a call itself (dial tone is not yet "connected").
    std::function<bool()> placingCall;
    // Every status line, whether tracing or not (the program's trace).
    std::function<void(const std::string&)> log;
};

// The caller data of the current call.
struct TapiCallerData {
    bool bPresent = false; // a caller-ID event came for the call
    bool bPrivate = false;
    bool bOutOfArea = false;
    std::string sName;
    std::string sNumber;
};

// What the status says of a line out of service ("Line unavailable: ...");
// empty for a line in service.
std::string LineUnavailableText(const TapiLineStatus& status);

class CMyLine : public CTapiLine {
public:
    // How long an operation waits for its reply before it counts as failed.
    static constexpr int64_t kDefaultReplyLimitMs = 10000;

    CMyLine(CTapiConnection& connection, uint32_t dwDeviceID, const TapiEngineLink& link);

    // Opens the line as owner and monitor for interactive voice (data modem
    // when the provider refuses that media mode) and asks for rings.
    TapiResult OpenLine();
    TapiResult CloseLine();

    bool HasCall() const;
    // The line counts as connected (dial tone or connected).
    bool IsConnected() const { return m_bConnected; }
    TapiCallerData CallerData() const;

    // ---- operations on the current call -----------------------------------
    TapiResult Answer();
    // Places a call (an empty number takes the line); it becomes current.
    TapiResult MakeCall(const std::string& sNumber);
    TapiResult Dial(const std::string& sNumber);
    TapiResult GenerateDigits(const std::string& sDigits);
    TapiResult MonitorDigits();
    TapiResult SetMediaMode(uint32_t dwMediaMode);
    TapiResult Handoff(const std::string& sTarget, uint32_t dwMediaMode);
    // Sends the offered call on to sAddress unanswered, or transfers the
    // call in progress there (waiting for the far end to take it).
    TapiResult Redirect(const std::string& sAddress);
    TapiResult BlindTransfer(const std::string& sAddress);
    // Drops the current call and tells the engine (1029).
    TapiResult Drop();
    // The current call's sound devices; 0 when there is no call or the id
    // cannot be read.
    uint32_t WaveInID();
    uint32_t WaveOutID();

    // Why the open line cannot take calls now ("Line unavailable: ..."), as
    // its provider last said; empty while it can.
    std::string UnavailableReason() const;
    // The open line's status as its provider has it now.
    TapiLineStatus LineStatus() const;

    void SetTracing(bool bOn) { m_bTracing = bOn; }
    void SetReplyLimit(int64_t nMs) { m_nReplyLimitMs = nMs; }
    std::string StatusText() const;

protected:
    void OnCallInfoChange(const std::shared_ptr<CTapiCall>& call, uint32_t dwInfoState) override;
    void OnCallStateChange(const std::shared_ptr<CTapiCall>& call, uint32_t dwState,
                           uint32_t dwDetail) override;
    void OnLineDevStateChange(uint32_t dwState) override;
    void OnDigitDetected(const std::shared_ptr<CTapiCall>& call, uint32_t dwDigit,
                         uint32_t dwMode) override;
    void OnMediaModeDetected(const std::shared_ptr<CTapiCall>& call, uint32_t dwMode) override;
    void OnToneDetected(const std::shared_ptr<CTapiCall>& call, uint32_t dwTone) override;
    void OnNewCall(const std::shared_ptr<CTapiCall>& call) override;

private:
    std::shared_ptr<CTapiCall> Current() const;
    bool IsCurrent(const std::shared_ptr<CTapiCall>& call) const;
    void Post(int nMessage, uintptr_t wParam = 0, intptr_t lParam = 0);
    void Status(const std::string& text);
    TapiResult WaitReply(TapiResult r);
    void ClearCaller();
    // Reads the line's status from the provider (in or out of service).
    void FollowLineStatus();

    TapiEngineLink m_link;
    mutable std::mutex m_callMutex;
    std::shared_ptr<CTapiCall> m_pCurrent; // under m_callMutex
    TapiCallerData m_caller;               // under m_callMutex
    std::string m_sStatus;                 // under m_callMutex
    std::string m_sUnavailable;            // under m_callMutex
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bTracing{true};
    std::atomic<int64_t> m_nReplyLimitMs{kDefaultReplyLimitMs};
};

class CMyTapi {
public:
    struct LineEntry {
        uint32_t dwDeviceID = 0;
        std::string sName;
    };

    CMyTapi(ITapiProvider& provider, TapiEngineLink link);
    ~CMyTapi();

    // Starts the telephony layer once; false (status 57974) when there is no
    // line device or the provider failed.
    bool Start();
    void Stop();
    bool IsAvailable() const { return m_bAvailable; }
    // The lines that carry voice or modem data; empty with *pMessage set to
    // string 57975 when none does.
    std::vector<LineEntry> ListLines(std::string* pMessage = nullptr);
    // Opens line device dwDeviceID (closing another one open); false, with
    // OpenError() saying why, when it cannot be opened.
    bool OpenLine(uint32_t dwDeviceID);
    std::string OpenError() const;
    void CloseLine();
    // The open line, or nullptr.
    CMyLine* Line() const { return m_pOpen; }
    std::string StatusText() const;
    CTapiConnection& Connection() { return m_connection; }

private:
    CTapiConnection m_connection;
    TapiEngineLink m_link;
    std::atomic<bool> m_bAvailable{false};
    std::atomic<CMyLine*> m_pOpen{nullptr};
    mutable std::mutex m_statusMutex;
    std::string m_sStatus;
    std::string m_sOpenError; // under m_statusMutex
};
