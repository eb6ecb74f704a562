// mail --test TO: sends a test notice through the configured SMTP server.
#include "Commands.h"

#include "config/SettingsProvider.h"
#include "notify/CallMail.h"
#include "notify/SmtpSettings.h"
#include "notify/TestMail.h"
#include "platform/ProgramFolder.h"

#include <cstdio>

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
    MailSettings s = ReadMailSettings(SettingsProvider().Snapshot());
    if (s.m_sSmtp.empty()) {
        std::fprintf(stderr, "vorella-tool: no SMTP server is set (Options/m_sSmtp)\n");
        return 1;
    }
    s.tls.sCaFile = caFile;
    NotifyOutcome out = SendTestMail(s, to);
    for (const std::string& e : out.errors)
        std::fprintf(stderr, "vorella-tool: %s\n", e.c_str());
    std::printf("%s\n", out.sLastResponse.c_str());
    return out.nSmtpSent == 1 ? 0 : 1;
}
