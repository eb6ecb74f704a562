// CTextNotice: a text message to the user's mobile phone (m_PagerPhone) sent
// through a mobile-network modem on a serial port (m_PagerPort, its speed the
// first field of m_PagerSerialSetting) when a caller has left a message; with
// bUnattendedPage off, also when a call rang unanswered (the user was there
// to see it otherwise). Never for a blocked caller; with bPageContactsOnly
// only for contacts. The text is m_PagerMessage with the call's fields
// (FillSmsPattern), cut to one message of GSM characters.
//
// It follows the worker's call events on a subscription of its own; the
// messages are sent one after the other on a thread of its own (at most
// kMaxQueued wait; more are dropped and told), each tried again up to
// m_PagerRetries times m_PagerDelay seconds apart when the modem refuses it,
// fails or does not answer. What became of each message is told once through
// the report (the log and the status line): sent, or not sent and why.
#pragma once

#include "engine/CallEvents.h"
#include "notify/SmsModem.h"
#include "notify/SmsText.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct CPhoneSettings;

struct TextNoticeSettings {
    std::string sPhone;         // m_PagerPhone; "" sends nothing
    SmsModemPort port;          // m_PagerPort, m_PagerSerialSetting
    std::string sPattern;       // m_PagerMessage
    int nRetries = 1;           // m_PagerRetries
    uint32_t nDelayMs = 10000;  // m_PagerDelay
    bool bMessagesOnly = true;  // bUnattendedPage
    bool bContactsOnly = false; // bPageContactsOnly
    bool bPortIsLine = false;   // m_PagerPort is the line modem's: nothing can be sent

    // nLinePort: the port of the line's voice modem (0 when the line is
    // another kind of device).
    static TextNoticeSettings From(const CPhoneSettings& s, int nLinePort = 0);
};

class CTextNotice {
public:
    using Report = std::function<void(const std::string&)>;
    static constexpr size_t kMaxQueued = 8;

    explicit CTextNotice(Report report);
    // Stops (see Stop).
    ~CTextNotice();
    CTextNotice(const CTextNotice&) = delete;
    CTextNotice& operator=(const CTextNotice&) = delete;

    // Any thread; messages not yet sent use them.
    void SetSettings(TextNoticeSettings settings);
    // Starts the sender, and the subscription to the worker's call events.
    void Start(CCallEventPublisher& events);
    // Starts the sender alone, for messages given to Send.
    void StartSending();
    // Ends the subscription; a message being tried is given up at its next
    // pause, the ones still queued are told as not sent.
    void Stop();
    // Queues a message about this call (any thread); false when it was
    // dropped (no recipient, stopped, queue full: told).
    bool Send(const SmsFields& fields);
    // Messages the modem took so far, and tries made.
    int Sent() const;
    int Tries() const;

    // Follows one event (the subscription's thread; public for the tests).
    void OnEvent(const CallEvent& event);

private:
    void Run();
    // Tries one message as often as the settings say; "" once it is sent.
    std::string Deliver(const SmsFields& fields, const TextNoticeSettings& s);
    void Due(const char* sEvent, int nSeconds);

    Report m_report;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    TextNoticeSettings m_settings; // under m_mutex
    std::deque<SmsFields> m_queue; // under m_mutex
    bool m_bStop = false;          // under m_mutex
    int m_nSent = 0;               // under m_mutex
    int m_nTries = 0;              // under m_mutex
    std::thread m_thread;

    // The subscription's thread only: the call now ringing.
    SmsFields m_call;
    bool m_bInCall = false;
    bool m_bAnswered = false;
    bool m_bBlocked = false;
    bool m_bContact = false;
    bool m_bMessageTold = false;
};
