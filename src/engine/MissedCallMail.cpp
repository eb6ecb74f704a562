#include "engine/MissedCallMail.h"

#include "audio/Cacm.h"
#include "calllog/CallTime.h"
#include "engine/CallEvents.h"
#include "engine/Number.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "notify/CallMail.h"
#include "platform/TextUtil.h"

#include <ctime>
#include <initializer_list>
#include <string>

namespace {

struct DigitField {
    int* pValue;
    size_t nDigits;
};

// Splits a text of digits only into fields of fixed width; false when the
// text is not exactly that.
bool ParseDigits(const std::string& text, std::initializer_list<DigitField> fields) {
    size_t at = 0;
    for (const DigitField& f : fields) {
        if (at + f.nDigits > text.size())
            return false;
        int v = 0;
        for (size_t i = at; i < at + f.nDigits; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            v = v * 10 + (text[i] - '0');
        }
        *f.pValue = v;
        at += f.nDigits;
    }
    return at == text.size();
}

// The notice shows the call's time and date ("hhmm", "MMddyyyy" from the
// PC's clock) the way the user's locale writes them, as the call list does.
std::string ShowTime(const CallTimeLocale& loc, const std::string& hhmm) {
    std::tm t{};
    if (!ParseDigits(hhmm, {{&t.tm_hour, 2}, {&t.tm_min, 2}}))
        return hhmm;
    t.tm_mday = 1; // a valid day, or the time is not formatted at all
    std::string s = loc.FormatTime(t);
    return s.empty() ? hhmm : s;
}

std::string ShowDate(const CallTimeLocale& loc, const std::string& mmddyyyy) {
    std::tm t{};
    int year = 0;
    if (!ParseDigits(mmddyyyy, {{&t.tm_mon, 2}, {&t.tm_mday, 2}, {&year, 4}}))
        return mmddyyyy;
    t.tm_mon -= 1;
    t.tm_year = year - 1900;
    std::string s = loc.FormatDate(t);
    return s.empty() ? mmddyyyy : s;
}

} // namespace

std::vector<CNumber> CallsForNoticeOf(const std::vector<CNumber>& calls, bool bContactsOnly) {
    std::vector<CNumber> out;
    for (const CNumber& c : calls)
        if (!c.m_bBlocked && (!bContactsOnly || c.m_nContactId != 0))
            out.push_back(c);
    return out;
}

void CMissedCallMail::SetSettingsProvider(std::function<MailSettings()> provider) {
    std::lock_guard lock(m_mutex);
    m_settings = std::move(provider);
}

MailSettings CMissedCallMail::SettingsNow() const {
    {
        std::lock_guard lock(m_mutex);
        if (m_settings)
            return m_settings();
    }
    const CPhone& p = m_phone;
    MailSettings m;
    m.bEMailCID = p.bEMailCID;
    m.bEAttachVoice = p.bEAttachVoice;
    m.bECIDSubj = p.bECIDSubj;
    m.bEMailCompress = p.bEMailCompress;
    m.m_sSmtp = p.m_sSmtp;
    m.m_sRecipsAdderss = p.m_sRecipsAdderss;
    m.m_sSubject = p.m_sSubject;
    m.m_sOriginatorName = p.m_sOriginatorName;
    m.m_sOriginatorAddress = p.m_sOriginatorAddress;
    if (p.m_nSmtpPort > 0)
        m.server.m_nSmtpPort = p.m_nSmtpPort;
    m.server.m_nSmtpSecurity = p.m_nSmtpSecurity;
    m.server.m_sSmtpUser = p.m_sSmtpUser;
    m.server.m_sSmtpPassword = p.m_sSmtpPassword;
    m.nMailRetryHours = p.nMailRetryHours;
    return m;
}

namespace {

MailHooks NoticeHooks(std::function<void(const std::string&)> log) {
    MailHooks hooks;
    hooks.convertToGsm = [](const std::string& a, const std::string& b) {
        return ConvertToGsm(a, b);
    };
    hooks.log = std::move(log);
    return hooks;
}

} // namespace

void CMissedCallMail::Log(const std::string& text) {
    m_phone.Trace(text);
}

void CMissedCallMail::Report(const std::string& text) {
    Log(text + "\n");
    m_phone.SetStatusText(text);
}

void CMissedCallMail::Start(CCallEventPublisher& events) {
    const MailSettings settings = SettingsNow();
    {
        std::lock_guard lock(m_mutex);
        m_current = settings;
    }
    MailSpoolHooks hooks;
    hooks.mail = NoticeHooks([this](const std::string& s) { Log(s + "\n"); });
    hooks.report = [this](const std::string& s) { Report(s); };
    hooks.delivered = [this] { ++m_nSent; };
    m_spool = std::make_unique<CMailSpool>(ProgramFile("Outbox/"), std::move(hooks), m_retryPolicy);
    m_spool->Start(settings);
    m_pEvents = &events;
    m_nSubscription = events.Subscribe("mail notice", [this](const CallEvent& event) {
        if (const auto* notice = std::get_if<CallsForNotice>(&event))
            Send(notice->calls, notice->bRecorded);
    });
}

void CMissedCallMail::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription, true);
    m_pEvents = nullptr;
    m_spool->Stop();
}

void CMissedCallMail::SettingsChanged() {
    const MailSettings settings = SettingsNow();
    {
        std::lock_guard lock(m_mutex);
        m_current = settings;
    }
    if (m_spool)
        m_spool->SetSettings(settings);
}

void CMissedCallMail::Send(const std::vector<CNumber>& calls, bool bAttach) {
    MailSettings ms;
    {
        std::lock_guard lock(m_mutex);
        ms = m_current;
    }
    ms.bEAttachVoice = bAttach && ms.bEAttachVoice;
    std::vector<CallForMail> mails;
    const CallTimeLocale loc;
    for (const CNumber& c : calls) {
        CallForMail m;
        m.sName = c.m_sName;
        m.sNumber = c.m_sDisplayNumber.empty() ? c.m_sNumber : c.m_sDisplayNumber;
        m.sMemo = c.m_sMemo;
        m.sTime = ShowTime(loc, c.m_sTime);
        m.sDate = ShowDate(loc, c.m_sDate);
        m.sRecordingPath = c.m_sRecording;
        m.sProblem = c.m_sRecordingProblem;
        mails.push_back(std::move(m));
    }
    // Notices by SMTP wait in the spool until the server takes them; the
    // line is not held up meanwhile.
    if (ms.bEMailCID == 2 && !Trim(ms.m_sSmtp).empty() && m_spool) {
        m_spool->SetSettings(ms);
        std::vector<CallForMail> unspooled;
        for (const CallForMail& m : mails) {
            std::string error;
            if (!m_spool->Queue(m, ms.bEAttachVoice, &error)) {
                Report("mail notice not kept for retries: " + error + "; trying once now");
                unspooled.push_back(m);
            }
        }
        if (unspooled.empty())
            return;
        mails = std::move(unspooled);
    }
    NotifyOutcome out = SendCallNotifications(
        ms, mails, nullptr, NoticeHooks([this](const std::string& s) { Log(s + "\n"); }));
    for (const std::string& e : out.errors)
        Report("mail notice not sent: " + e);
    m_nSent += out.nSmtpSent + out.nHandedOff;
}
