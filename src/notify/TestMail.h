// The test notice: one message through the configured SMTP server to a
// given address, to try the mail settings ("vorella-tool mail --test" and
// the options dialog's "Send test message").
#pragma once

#include "notify/CallMail.h"

#include <string>

class ProfileFile;

// The e-mail keys of "Options" as the settings file holds them now.
MailSettings ReadMailSettings(const ProfileFile& ini);

// Sends by SMTP whatever bEMailCID says, without an attachment. sent is 1
// when the server took the message; otherwise errors tell why.
NotifyOutcome SendTestMail(MailSettings settings, const std::string& to);
