#include "app/SipAccountsLogic.h"

#include "config/SettingsProvider.h"
#include "engine/TelephonyLineDevice.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <arpa/inet.h>

#include <cctype>
#include <string_view>

namespace {

bool HasControl(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// What may stand in the user part of a SIP address as it is.
bool IsUserChar(unsigned char c) {
    if (c >= 0x80)
        return false;
    return std::isalnum(c) || std::string_view("-_.!~*'()&=+$,;?/%").find(static_cast<char>(c)) !=
                                  std::string_view::npos;
}

// host, host:port, [v6] or [v6]:port.
bool IsHostPort(const std::string& s) {
    if (s.empty())
        return false;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']'))
            return false;
    return true;
}

bool IsIpAddress(const std::string& s) {
    unsigned char buf[16];
    return ::inet_pton(AF_INET, s.c_str(), buf) == 1 || ::inet_pton(AF_INET6, s.c_str(), buf) == 1;
}

} // namespace

std::vector<SipAccount> LoadSipAccounts() {
    return ReadSipAccounts(SettingsProvider().Snapshot());
}

std::vector<std::string> CheckSipAccount(const SipAccount& a) {
    std::vector<std::string> problems;
    if (HasControl(a.sName) || HasControl(a.sRegistrar) || HasControl(a.sUser) ||
        HasControl(a.sPassword) || HasControl(a.sBindAddress))
        problems.push_back("control characters (a tab, a line break) are not allowed");
    if (a.sUser.empty())
        problems.push_back("the user name is missing");
    else
        for (unsigned char c : a.sUser)
            if (!IsUserChar(c) && c >= 0x20 && c != 0x7f) {
                problems.push_back(
                    StrPrintf("the user name may not contain '%c'", c < 0x80 ? c : '?'));
                break;
            }
    if (!a.sRegistrar.empty() && !IsHostPort(a.sRegistrar))
        problems.push_back("the registrar must be a host name or address, with :port if needed");
    if (!a.sBindAddress.empty() && !IsIpAddress(a.sBindAddress))
        problems.push_back(
            "the listen address must be an IP address of this computer, or empty for all");
    if (a.nPort < 0 || a.nPort > 65535)
        problems.push_back("the port must be 0 (any free port) to 65535");
    return problems;
}

std::vector<std::string> CheckSipAccounts(const std::vector<SipAccount>& accounts) {
    std::vector<std::string> problems;
    if (accounts.size() > static_cast<size_t>(kMaxSipAccounts))
        problems.push_back(StrPrintf("At most %d SIP accounts can be set up.", kMaxSipAccounts));
    for (size_t i = 0; i < accounts.size(); ++i)
        for (const std::string& p : CheckSipAccount(accounts[i]))
            problems.push_back(StrPrintf("Account %zu: ", i + 1) + p + ".");
    return problems;
}

bool SaveSipAccounts(const std::vector<SipAccount>& accounts, std::string* pError) {
    if (SettingsProvider().Edit(
            [&](ProfileFile& ini) { return WriteSipAccounts(ini, accounts); }))
        return true;
    if (pError)
        *pError = "The SIP accounts could not be saved in " + GetSettingsPath() + ".";
    return false;
}

SipLineRegistration OpenLineRegistration() {
    SipLineRegistration r;
    WithRunningTelephonyLayer([&r](CMyTapi* tapi) {
        CMyLine* line = tapi ? tapi->Line() : nullptr;
        if (!line || !line->IsOpen())
            return;
        for (const CMyTapi::LineEntry& e : tapi->ListLines())
            if (e.dwDeviceID == line->DeviceID())
                r.sLine = e.sName;
        const TapiLineStatus status = line->LineStatus();
        r.sText = status.bInService ? status.sText : LineUnavailableText(status);
        if (!status.bInService)
            r.state = SipLineRegistration::State::Failed;
        else if (status.bPending)
            r.state = SipLineRegistration::State::Registering;
        else if (!status.sText.empty())
            r.state = SipLineRegistration::State::Registered;
        else
            r.state = SipLineRegistration::State::Direct;
    });
    return r;
}
