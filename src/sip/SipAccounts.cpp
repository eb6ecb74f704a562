#include "sip/SipAccounts.h"

#include "platform/ProfileFile.h"
#include "platform/TextUtil.h"

namespace {

std::string Section(int n) {
    return StrPrintf("SIP%d", n);
}

} // namespace

std::string SipAccount::LineName() const {
    if (!sName.empty())
        return sName;
    return sRegistrar.empty() ? sUser : sUser + "@" + sRegistrar;
}

std::vector<SipAccount> ReadSipAccounts(const ProfileFile& ini) {
    std::vector<SipAccount> accounts;
    for (int n = 1; n <= kMaxSipAccounts; ++n) {
        const std::string section = Section(n);
        SipAccount a;
        a.sUser = ini.GetString(section, "sUser", "");
        if (a.sUser.empty())
            continue;
        a.sName = ini.GetString(section, "sName", "");
        a.sRegistrar = ini.GetString(section, "sRegistrar", "");
        a.sPassword = ini.GetString(section, "sPassword", "");
        const int transport = ini.GetInt(section, "nTransport", 0);
        a.transport = transport == 1   ? SipTransport::Tcp
                      : transport == 2 ? SipTransport::Tls
                                       : SipTransport::Udp;
        a.sBindAddress = ini.GetString(section, "sBindAddress", "");
        a.nPort = ini.GetInt(section, "nPort", 5060);
        if (a.nPort < 0 || a.nPort > 65535)
            a.nPort = 5060;
        a.sTlsCaFile = ini.GetString(section, "sTlsCaFile", "");
        accounts.push_back(std::move(a));
    }
    return accounts;
}

bool WriteSipAccounts(ProfileFile& ini, const std::vector<SipAccount>& accounts) {
    bool bPassword = false;
    for (int n = 1; n <= kMaxSipAccounts; ++n) {
        const std::string section = Section(n);
        const size_t i = static_cast<size_t>(n - 1);
        const SipAccount a = i < accounts.size() ? accounts[i] : SipAccount{};
        if (i >= accounts.size() && !ini.Find(section, "sUser"))
            continue;
        ini.WriteString(section, "sName", a.sName);
        ini.WriteString(section, "sRegistrar", a.sRegistrar);
        ini.WriteString(section, "sUser", a.sUser);
        ini.WriteString(section, "sPassword", a.sPassword);
        ini.WriteInt(section, "nTransport", static_cast<int>(a.transport));
        ini.WriteString(section, "sBindAddress", a.sBindAddress);
        ini.WriteInt(section, "nPort", a.nPort);
        ini.WriteString(section, "sTlsCaFile", a.sTlsCaFile);
        bPassword = bPassword || !a.sPassword.empty();
    }
    // Another setting (the mail password) may already make the file private.
    if (bPassword)
        ini.SetPrivate(true);
    return ini.Save(true);
}
