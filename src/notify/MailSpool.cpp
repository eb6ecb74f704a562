#include "notify/MailSpool.h"

#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxNoticeFile = 1 << 20;

int64_t SystemNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// "alice@example.com, bob@example.com", as the notice's recipients.
std::string RecipientsText(const MailSettings& s) {
    std::string out;
    for (const std::string& r : SplitRecipients(s.m_sRecipsAdderss))
        out += (out.empty() ? "" : ", ") + r;
    return out.empty() ? "(no recipient)" : out;
}

// A name in the folder not yet taken: "NAME.notice", "NAME (2).notice" ...
std::string FreeName(const std::string& folder, const std::string& name) {
    if (!fs::exists(folder + name))
        return name;
    const std::string stem = name.substr(0, name.size() - std::string(kNoticeSuffix).size());
    for (int i = 2;; ++i) {
        std::string candidate = stem + " (" + std::to_string(i) + ")" + kNoticeSuffix;
        if (!fs::exists(folder + candidate))
            return candidate;
    }
}

} // namespace

std::chrono::milliseconds MailRetryPause(const MailRetryPolicy& policy, int nFailures) {
    std::chrono::milliseconds pause = policy.first;
    for (int i = 1; i < nFailures && pause < policy.longest; ++i)
        pause *= 2;
    return std::min(pause, policy.longest);
}

std::string MailRetryPeriodText(int nHours) {
    if (nHours % 24 == 0)
        return std::to_string(nHours / 24) + (nHours == 24 ? " day" : " days");
    return std::to_string(nHours) + (nHours == 1 ? " hour" : " hours");
}

CMailSpool::CMailSpool(std::string folder, MailSpoolHooks hooks, MailRetryPolicy policy)
    : m_sFolder(WithTrailingSlash(folder)), m_hooks(std::move(hooks)), m_policy(policy),
      m_cancelFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CMailSpool::~CMailSpool() {
    Stop();
    if (m_cancelFd >= 0)
        ::close(m_cancelFd);
}

int64_t CMailSpool::Now() const {
    return m_hooks.clock ? m_hooks.clock() : SystemNowMs();
}

void CMailSpool::Report(const std::string& text) {
    if (m_hooks.report)
        m_hooks.report(text);
}

void CMailSpool::Start(const MailSettings& settings) {
    if (m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_settings = settings;
        m_bStop = false;
    }
    uint64_t count = 0;
    if (m_cancelFd >= 0 && ::read(m_cancelFd, &count, sizeof count) < 0)
        count = 0; // not raised: nothing to take back
    LoadFolder();
    m_thread = std::thread([this] { Run(); });
}

void CMailSpool::SetSettings(const MailSettings& settings) {
    std::lock_guard lock(m_mutex);
    m_settings = settings;
}

void CMailSpool::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    const uint64_t one = 1;
    if (m_cancelFd >= 0 && ::write(m_cancelFd, &one, sizeof one) < 0)
        Report("mail: a try under way could not be cut short; the program ends after it");
    if (m_thread.joinable())
        m_thread.join();
}

void CMailSpool::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_bWoken = true;
    }
    m_cv.notify_all();
}

size_t CMailSpool::Waiting() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void CMailSpool::LoadFolder() {
    std::vector<Entry> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(m_sFolder, ec)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || !EndsWith(name, kNoticeSuffix))
            continue;
        std::optional<std::string> text = ReadWholeFile(m_sFolder + name, kMaxNoticeFile);
        std::optional<SpooledNotice> notice;
        if (text)
            notice = ParseSpooledNotice(*text);
        if (!notice) {
            Entry bad{name, {}};
            SetAside(bad);
            Report("mail notice " + m_sFolder + name + " cannot be read; kept as " + name +
                   kNoticeFailedSuffix);
            continue;
        }
        found.push_back({name, std::move(*notice), true});
    }
    std::sort(found.begin(), found.end(), [](const Entry& a, const Entry& b) {
        if (a.notice.nQueuedMs != b.notice.nQueuedMs)
            return a.notice.nQueuedMs < b.notice.nQueuedMs;
        return a.sFile < b.sFile;
    });
    std::lock_guard lock(m_mutex);
    m_queue.insert(m_queue.begin(), found.begin(), found.end());
    m_bWoken = !m_queue.empty();
}

bool CMailSpool::Queue(const CallForMail& call, bool bAttach, std::string* sError) {
    SpooledNotice notice;
    notice.nQueuedMs = Now();
    notice.bAttach = bAttach;
    notice.call = call;
    if (!MakeDirectories(m_sFolder, 0700)) {
        if (sError)
            *sError = "cannot create the mail spool folder " + m_sFolder;
        return false;
    }
    std::lock_guard lock(m_mutex);
    const std::string name = FreeName(m_sFolder, SpooledNoticeName(call, notice.nQueuedMs));
    // The notice tells who called: for the user's eyes only.
    if (!WriteFileAtomic(m_sFolder + name, FormatSpooledNotice(notice), 0600)) {
        if (sError)
            *sError = "cannot write the mail notice " + m_sFolder + name;
        return false;
    }
    m_queue.push_back({name, std::move(notice), false});
    m_bWoken = true;
    m_cv.notify_all();
    return true;
}

void CMailSpool::Run() {
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        if (m_queue.empty()) {
            m_bWoken = false;
            m_cv.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
            continue;
        }
        const int64_t left = m_nNextTryMs - Now();
        if (!m_bWoken && left > 0) {
            // At most a minute at a time: the wall clock may jump (a machine
            // that slept), and the pause is measured on it.
            m_cv.wait_for(lock, std::chrono::milliseconds(std::min<int64_t>(left, 60000)),
                          [this] { return m_bStop || m_bWoken; });
            continue;
        }
        m_bWoken = false;
        const Entry entry = m_queue.front();
        const MailSettings settings = m_settings;
        lock.unlock();
        TryFirst(entry, settings);
        lock.lock();
    }
}

void CMailSpool::TryFirst(const Entry& entry, MailSettings settings) {
    const std::string to = "mail notice to " + RecipientsText(settings);
    NotifyOutcome out;
    if (Trim(settings.m_sSmtp).empty()) {
        out.errors.push_back("no SMTP server is set (Options/m_sSmtp)");
    } else {
        settings.bEMailCID = 2;
        settings.bEAttachVoice = entry.notice.bAttach;
        MailHooks hooks = m_hooks.mail;
        hooks.handOff = nullptr;
        hooks.nCancelFd = m_cancelFd;
        out = SendCallNotifications(settings, {entry.notice.call}, nullptr, hooks);
    }
    bool bStopping = false;
    {
        std::lock_guard lock(m_mutex);
        bStopping = m_bStop;
    }
    if (bStopping && out.nSmtpSent != 1) {
        // Cut short: no failure of the server's, nothing to count.
        Report(to + " not sent before the end; kept as " + m_sFolder + entry.sFile +
               " for the next start");
        return;
    }
    auto done = [&] {
        std::lock_guard lock(m_mutex);
        m_queue.pop_front();
        m_nFailures = 0;
        m_nNextTryMs = 0;
        m_sReportedReason.clear();
        // The next one goes at once.
        m_bWoken = !m_queue.empty();
    };
    if (out.nSmtpSent == 1) {
        std::error_code ec;
        fs::remove(m_sFolder + entry.sFile, ec);
        if (!m_sReportedReason.empty() || entry.bLeftOver)
            Report(to + " delivered");
        done();
        if (m_hooks.delivered)
            m_hooks.delivered();
        return;
    }
    std::string reason = out.errors.empty() ? "the mail server did not take it" : out.errors.back();
    if (reason.rfind("SMTP: ", 0) == 0)
        reason.erase(0, 6);
    if (out.bRefused) {
        SetAside(entry);
        Report(to + " not sent: " + reason + "; not retried, kept as " + m_sFolder + entry.sFile +
               kNoticeFailedSuffix);
        done();
        return;
    }
    const int nHours = std::clamp(settings.nMailRetryHours, kMinMailRetryHours, kMaxMailRetryHours);
    const int64_t giveUpAt = entry.notice.nQueuedMs + int64_t(nHours) * 3600 * 1000;
    const int64_t now = Now();
    if (now >= giveUpAt) {
        SetAside(entry);
        Report(to + " given up after " + MailRetryPeriodText(nHours) + ": " + reason +
               "; kept as " + m_sFolder + entry.sFile + kNoticeFailedSuffix);
        done();
        return;
    }
    if (reason != m_sReportedReason) {
        Report(to + " not sent: " + reason + "; retrying");
        m_sReportedReason = reason;
    }
    ++m_nFailures;
    m_nNextTryMs = std::min(now + MailRetryPause(m_policy, m_nFailures).count(), giveUpAt);
}

void CMailSpool::SetAside(const Entry& entry) {
    std::error_code ec;
    fs::rename(m_sFolder + entry.sFile, m_sFolder + entry.sFile + kNoticeFailedSuffix, ec);
}
