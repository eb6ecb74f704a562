// The notice mailed when a call rang and nobody took it.
#include "audio/Cacm.h"
#include "engine/MultiThread.h"
#include "engine/Phone.h"
#include "notify/CallMail.h"

namespace {

// The notice shows the call's time and date as people write them.
std::string ShowTime(const std::string& hhmm) {
    return hhmm.size() == 4 ? hhmm.substr(0, 2) + ":" + hhmm.substr(2) : hhmm;
}

std::string ShowDate(const std::string& mmddyyyy) {
    return mmddyyyy.size() == 8
               ? mmddyyyy.substr(0, 2) + "/" + mmddyyyy.substr(2, 2) + "/" + mmddyyyy.substr(4)
               : mmddyyyy;
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
    for (const CNumber& c : calls) {
        CallForMail m;
        m.sName = c.m_sName;
        m.sNumber = c.m_sDisplayNumber.empty() ? c.m_sNumber : c.m_sDisplayNumber;
        m.sMemo = c.m_sMemo;
        m.sTime = ShowTime(c.m_sTime);
        m.sDate = ShowDate(c.m_sDate);
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
