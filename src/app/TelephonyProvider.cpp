#include "app/TelephonyProvider.h"

#include "app/SimulatedLineDemo.h"
#include "app/TelephonyPlugin.h"
#include "audio/AudioLog.h"
#include "config/SettingsProvider.h"
#include "engine/TelephoneDevice.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "sip/SipAccounts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

std::vector<SipAccount> SettingsAccounts() {
    return ReadSipAccounts(SettingsProvider().Snapshot());
}

std::string LineNames(const std::vector<SipAccount>& accounts) {
    std::string names;
    for (const SipAccount& a : accounts)
        names += (names.empty() ? "" : ", ") + a.LineName();
    return names;
}

// The SIP provider as the program registers it: no account, no plugin
// loaded (a program on a modem never maps the SIP stack); else the
// plugin's, which registers into a registry of this maker's own.
class CSipPluginMaker {
public:
    CSipPluginMaker(TelephonyLog log, std::string sStateFolder)
        : m_log(std::move(log)), m_sStateFolder(std::move(sStateFolder)) {}

    std::unique_ptr<ITapiProvider> Make(std::string* pWhy) {
        std::string why;
        std::unique_ptr<ITapiProvider> provider;
        if (SettingsAccounts().empty())
            why = kNoSipAccountText;
        else if (Load(&why))
            provider = m_loaded.Make(kSipTapiName, &why);
        Tell(provider ? std::string() : why);
        if (pWhy)
            *pWhy = why;
        return provider;
    }

private:
    bool Load(std::string* pWhy) {
        std::lock_guard lock(m_mutex);
        if (m_loaded.Has(kSipTapiName))
            return true;
        const std::string settings = GetSettingsPath();
        TapiPluginHost host;
        host.pProviders = &m_loaded;
        host.pszSettingsFile = settings.c_str();
        host.pszStateFolder = m_sStateFolder.c_str();
        host.pfnTrace = [](const char* line) { AudioLog(line); };
        if (!LoadTapiPlugin(SipPluginPath(), host, pWhy))
            return false;
        if (m_loaded.Has(kSipTapiName))
            return true;
        *pWhy = "the plugin " + SipPluginPath() + " registered no SIP provider";
        return false;
    }
    // Every provider made (the line opened, the lines listed) asks again: a
    // reason is told once, and again only after it changed.
    void Tell(const std::string& why) {
        {
            std::lock_guard lock(m_mutex);
            if (why == m_sTold)
                return;
            m_sTold = why;
        }
        if (!why.empty())
            m_log("SIP: no telephony line: " + why);
    }

    const TelephonyLog m_log;
    const std::string m_sStateFolder;
    std::mutex m_mutex;
    CTapiProviders m_loaded; // the plugin's makers
    std::string m_sTold;     // under m_mutex
};

} // namespace

std::string PrepareSipStateFolder(std::string* pError) {
    const std::string folder = GetProgramFolder() + "sip";
    // A folder left open by an older version is closed; the stacks keep
    // the account's state there.
    if (!MakeDirectories(folder, 0700) || ::chmod(folder.c_str(), 0700) != 0) {
        if (pError)
            *pError = "cannot make the private folder " + folder + ": " + std::strerror(errno);
        return {};
    }
    return folder;
}

bool SettingsChooseTelephonyLine() {
    ISettingsProvider& settings = SettingsProvider();
    return ChosenDeviceKind(settings.GetBool("fUseHiPhone"), settings.GetInt("nTAPI")) ==
           DeviceKind::TelephonyLine;
}

bool InstallTelephonyProvider(CTapiProviders& providers, const TelephonyLog& log, bool bAlwaysSay) {
    const char* env = std::getenv("VORELLA_TAPI");
    const std::string name = env ? env : "";
    if (name == kSimulatedTapiName) {
        InstallSimulatedLineDemo(providers, log);
        return true;
    }
    if (!name.empty() && name != kSipTapiName) {
        log("VORELLA_TAPI=" + name + ": no such telephony provider (known: " + kSimulatedTapiName +
            ", " + kSipTapiName + "); telephony lines are not available");
        return false;
    }
    std::string error;
    const std::string folder = PrepareSipStateFolder(&error);
    if (folder.empty()) {
        log("telephony provider: none: " + error);
        return false;
    }
    auto maker = std::make_shared<CSipPluginMaker>(log, folder);
    providers.Register(kSipTapiName, [maker](std::string* pWhy) { return maker->Make(pWhy); });
    providers.Choose(kSipTapiName);
    if (!bAlwaysSay && !SettingsChooseTelephonyLine())
        return true;
    const std::vector<SipAccount> accounts = SettingsAccounts();
    if (accounts.empty())
        log(std::string("telephony provider: SIP, no line yet: ") + kNoSipAccountText);
    else
        log("telephony provider: SIP, lines: " + LineNames(accounts));
    return true;
}
