// CMissedCallMail: the notice mailed when a call rang and nobody took it.
// It follows the worker's call events: a notice is sent for each
// CallsForNotice, on the subscription's thread, so a slow mail program or
// server never holds up the line. Notices by SMTP wait in a spool of their
// own, delivered on its thread while the worker's loop runs; the others are
// sent (or handed off) at once.
//
// Start, Stop and SettingsChanged run on the worker's thread (the settings
// are taken there, where the phone's may be read); the settings provider,
// the retry policy (before Start) and the count may be used from any thread.
#pragma once

#include "notify/CallMail.h"
#include "notify/MailSpool.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CCallEventPublisher;
class CNumber;
class CPhone;

// The calls a notice tells of: never a blocked caller, and only contacts
// when bContactsOnly (bEmailContactsOnly).
std::vector<CNumber> CallsForNoticeOf(const std::vector<CNumber>& calls, bool bContactsOnly);

class CMissedCallMail {
public:
    explicit CMissedCallMail(CPhone& phone) : m_phone(phone) {}
    CMissedCallMail(const CMissedCallMail&) = delete;
    CMissedCallMail& operator=(const CMissedCallMail&) = delete;

    // The main window's mail settings (the phone's own without it).
    void SetSettingsProvider(std::function<MailSettings()> provider);
    // The pauses between tries of a notice the mail server did not take.
    void SetRetryPolicy(const MailRetryPolicy& policy) { m_retryPolicy = policy; }
    // Notices sent or handed off so far.
    int Sent() const { return m_nSent.load(); }

    // Starts and stops the spool and the subscription to events with the
    // worker's loop; Stop sends the notices still queued first.
    void Start(CCallEventPublisher& events);
    void Stop();
    // The settings may have changed: the spool takes them anew.
    void SettingsChanged();

private:
    // Mails the notice of these calls, with their recordings when bAttach.
    void Send(const std::vector<CNumber>& calls, bool bAttach);
    MailSettings SettingsNow() const;
    void Report(const std::string& text);
    void Log(const std::string& text);

    CPhone& m_phone;
    mutable std::mutex m_mutex;
    std::function<MailSettings()> m_settings; // under m_mutex
    MailSettings m_current;                   // under m_mutex: as the worker last took them
    MailRetryPolicy m_retryPolicy;
    std::unique_ptr<CMailSpool> m_spool;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;
    std::atomic<int> m_nSent{0};
};
