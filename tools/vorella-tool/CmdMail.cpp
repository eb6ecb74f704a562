// mail --test TO: sends a test notice through the configured SMTP server.
#include "Commands.h"

#include "notify/CallMail.h"
#include "notify/SmtpSettings.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <cstdio>

namespace {

// The e-mail keys of "Options", read directly until the settings store
// hands them over.
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

} // namespace

int CmdMail(const Args& args) {
    std::string to, caFile;
    bool usage = false;
    for (size_t i = 0; i < args.size() && !usage; ++i) {
        if (args[i] == "--test" && i + 1 < args.size())
            to = args[++i];
        else if (args[i] == "--ca" && i + 1 < args.size())
            caFile = args[++i];
        else
            usage = true;
    }
    if (usage || to.empty()) {
        std::fprintf(stderr, "usage: vorella-tool mail --test TO [--ca CERTS.pem]\n");
        return 2;
    }
    SeedSettingsFile();
    MailSettings s = ReadMailSettings(ProfileFile(GetSettingsPath()));
    if (s.m_sSmtp.empty()) {
        std::fprintf(stderr, "vorella-tool: no SMTP server is set (Options/m_sSmtp)\n");
        return 1;
    }
    s.bEMailCID = 2; // this command tests the SMTP path only
    s.bEAttachVoice = false;
    s.tls.sCaFile = caFile;
    CallForMail call;
    call.sName = "Vorella";
    call.sNumber = "test";
    call.sMemo = "This is a test notification.";
    std::string oneOff = to;
    MailHooks hooks;
    hooks.handOff = nullptr;
    NotifyOutcome out = SendCallNotifications(s, {call}, &oneOff, hooks);
    for (const std::string& e : out.errors)
        std::fprintf(stderr, "vorella-tool: %s\n", e.c_str());
    std::printf("%s\n", out.sLastResponse.c_str());
    return out.nSmtpSent == 1 ? 0 : 1;
}
