#include "notify/TestMail.h"

#include "platform/ProfileFile.h"

MailSettings ReadMailSettings(const ProfileFile& ini) {
    MailSettings s;
    s.bEMailCID = ini.GetInt("Options", "bEMailCID", 0);
    s.bEAttachVoice = ini.GetInt("Options", "bEAttachVoice", 0) != 0;
    s.bECIDSubj = ini.GetInt("Options", "bECIDSubj", 0) != 0;
    s.bEMailCompress = ini.GetInt("Options", "bEMailCompress", 0) != 0;
    s.m_sSmtp = ini.GetString("Options", "m_sSmtp", "");
    s.m_sRecipsAdderss = ini.GetString("Options", "m_sRecipsAdderss", "");
    s.m_sSubject = ini.GetString("Options", "m_sSubject", "");
    s.m_sOriginatorName = ini.GetString("Options", "m_sOriginatorName", "");
    s.m_sOriginatorAddress = ini.GetString("Options", "m_sOriginatorAddress", "");
    s.server = ReadSmtpServerSettings(ini);
    return s;
}

NotifyOutcome SendTestMail(MailSettings settings, const std::string& to) {
    if (settings.m_sSmtp.empty()) {
        NotifyOutcome out;
        out.errors.push_back("no SMTP server is set (Options/m_sSmtp)");
        return out;
    }
    settings.bEMailCID = 2; // the test is of the SMTP path only
    settings.bEAttachVoice = false;
    CallForMail call;
    call.sName = "Vorella";
    call.sNumber = "test";
    call.sMemo = "This is a test notification.";
    std::string oneOff = to;
    MailHooks hooks;
    hooks.handOff = nullptr;
    return SendCallNotifications(settings, {call}, &oneOff, hooks);
}
