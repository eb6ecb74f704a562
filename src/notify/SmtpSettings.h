// The SMTP connection settings in "Options": port, security, login.
#pragma once

#include "notify/SMTPConnection.h"

#include <string>

class ProfileFile;

struct SmtpServerSettings {
    int m_nSmtpPort = 25;
    int m_nSmtpSecurity = 0; // 0 none, 1 STARTTLS, 2 TLS from the start
    std::string m_sSmtpUser;
    std::string m_sSmtpPassword;
};

SmtpServerSettings ReadSmtpServerSettings(const ProfileFile& ini);
// Writes the four keys; a file holding a password is saved readable by its
// owner only. False when the file could not be saved.
bool WriteSmtpServerSettings(ProfileFile& ini, const SmtpServerSettings& settings);
// The connection options for these settings (verification always on).
SmtpConnectOptions ConnectOptionsFor(const SmtpServerSettings& settings);
