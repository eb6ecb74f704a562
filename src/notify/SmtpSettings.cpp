#include "notify/SmtpSettings.h"

#include "platform/ProfileFile.h"

namespace {
constexpr char kSection[] = "Options";
}

SmtpServerSettings ReadSmtpServerSettings(const ProfileFile& ini) {
    SmtpServerSettings s;
    s.m_nSmtpPort = ini.GetInt(kSection, "m_nSmtpPort", 25);
    s.m_nSmtpSecurity = ini.GetInt(kSection, "m_nSmtpSecurity", 0);
    s.m_sSmtpUser = ini.GetString(kSection, "m_sSmtpUser", "");
    s.m_sSmtpPassword = ini.GetString(kSection, "m_sSmtpPassword", "");
    if (s.m_nSmtpPort <= 0 || s.m_nSmtpPort > 65535)
        s.m_nSmtpPort = 25;
    if (s.m_nSmtpSecurity < 0 || s.m_nSmtpSecurity > 2)
        s.m_nSmtpSecurity = 0;
    return s;
}

bool WriteSmtpServerSettings(ProfileFile& ini, const SmtpServerSettings& s) {
    ini.WriteInt(kSection, "m_nSmtpPort", s.m_nSmtpPort);
    ini.WriteInt(kSection, "m_nSmtpSecurity", s.m_nSmtpSecurity);
    ini.WriteString(kSection, "m_sSmtpUser", s.m_sSmtpUser);
    ini.WriteString(kSection, "m_sSmtpPassword", s.m_sSmtpPassword);
    ini.SetPrivate(!s.m_sSmtpPassword.empty());
    return ini.Save(true);
}

SmtpConnectOptions ConnectOptionsFor(const SmtpServerSettings& s) {
    SmtpConnectOptions o;
    o.security = static_cast<SmtpSecurity>(s.m_nSmtpSecurity);
    o.sUser = s.m_sSmtpUser;
    o.sPassword = s.m_sSmtpPassword;
    return o;
}
