// The notice mailed when a call rang and nobody took it.
#include "audio/Cacm.h"
#include "calllog/CallTime.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "notify/CallMail.h"

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

MailSettings CMultiThread::MailSettingsNow() const {
    {
        std::lock_guard lock(m_fieldMutex);
        if (m_mailSettings)
            return m_mailSettings();
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
    return m;
}

void CMultiThread::SendMissedCallMail(const std::vector<CNumber>& calls, bool bAttach) {
    MailSettings ms = MailSettingsNow();
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
    MailHooks hooks;
    hooks.convertToGsm = [](const std::string& a, const std::string& b) {
        return ConvertToGsm(a, b);
    };
    hooks.log = [this](const std::string& s) { Log(s + "\n"); };
    NotifyOutcome out = SendCallNotifications(ms, mails, nullptr, hooks);
    for (const std::string& e : out.errors)
        Log("Mail: " + e + "\n");
    m_nMailsSent += out.nSmtpSent + out.nHandedOff;
}
