// The mail notices that go by SMTP, kept in a spool folder until the server
// has taken them. Each notice is written to the folder before its first
// try; a thread of the spool's own delivers them one by one in the order
// they came, so a slow or missing server never holds up the caller. A
// server that cannot be reached, or answers with a temporary refusal (4xx),
// is tried again with a growing pause until nMailRetryHours have passed
// since the notice was queued; a permanent refusal (5xx) ends the tries at
// once. A notice given up is kept in the folder under ".failed", never
// deleted. What happens is reported in words once per change: the first
// failure, a different failure, the delivery after a failure, the end. A
// try under way when the spool stops is given up at once; its notice stays
// for the next start.
#pragma once

#include "notify/CallMail.h"
#include "notify/SpooledNotice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The pauses between tries: first, then doubled each time up to longest.
struct MailRetryPolicy {
    std::chrono::milliseconds first{std::chrono::seconds(15)};
    std::chrono::milliseconds longest{std::chrono::minutes(15)};
};

// How long notices may be retried (nMailRetryHours), in hours: at least an
// hour, at most thirty days.
inline constexpr int kMinMailRetryHours = 1;
inline constexpr int kMaxMailRetryHours = 30 * 24;

// The pause after the nFailures-th failed try of a notice (1, 2 ...).
std::chrono::milliseconds MailRetryPause(const MailRetryPolicy& policy, int nFailures);
// "1 day", "2 days", "1 hour", "5 hours": how long notices are retried.
std::string MailRetryPeriodText(int nHours);

struct MailSpoolHooks {
    MailHooks mail;                                 // compression and trace of each try
    std::function<void(const std::string&)> report; // one line per change
    std::function<void()> delivered;                // after each notice the server took
    // Now, in ms since the epoch (the queued times in the files are too).
    std::function<int64_t()> clock;
};

class CMailSpool {
public:
    // folder: where the notices are kept (created when needed).
    CMailSpool(std::string folder, MailSpoolHooks hooks, MailRetryPolicy policy = {});
    ~CMailSpool();
    CMailSpool(const CMailSpool&) = delete;
    CMailSpool& operator=(const CMailSpool&) = delete;

    // Takes the notices a previous run left in the folder and starts
    // delivering, with these settings.
    void Start(const MailSettings& settings);
    // The settings the next try uses (the server, its login, the recipients).
    void SetSettings(const MailSettings& settings);
    // Writes the notice of one call to the folder and has it delivered after
    // those before it. False, with sError, when it cannot be written.
    bool Queue(const CallForMail& call, bool bAttach, std::string* sError);
    // Tries the first waiting notice now, whatever its pause.
    void Wake();
    // Ends the thread, giving up a try in progress; the notices stay.
    void Stop();
    // Notices waiting to be delivered.
    size_t Waiting() const;

private:
    struct Entry {
        std::string sFile; // the name in the folder
        SpooledNotice notice;
        bool bLeftOver = false; // queued by an earlier run, whose log told its failure
    };
    void Run();
    void LoadFolder();
    // Tries the first notice once and settles what follows from the outcome.
    void TryFirst(const Entry& entry, MailSettings settings);
    void SetAside(const Entry& entry);
    void Report(const std::string& text);
    int64_t Now() const;

    const std::string m_sFolder;
    const MailSpoolHooks m_hooks;
    const MailRetryPolicy m_policy;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Entry> m_queue; // in the order they are delivered
    MailSettings m_settings;
    bool m_bStop = false;
    bool m_bWoken = false;
    std::thread m_thread;
    // Readable while the spool stops: ends a dialogue with the server.
    const int m_cancelFd;

    // The first notice's tries (spool thread only).
    int m_nFailures = 0;
    int64_t m_nNextTryMs = 0;
    std::string m_sReportedReason; // the failure last reported, "" none
};
