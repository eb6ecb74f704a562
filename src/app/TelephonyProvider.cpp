#include "app/TelephonyProvider.h"

#include "app/SimulatedLineDemo.h"
#include "config/SettingsProvider.h"
#include "engine/TelephoneDevice.h"
#include "engine/TelephonyLineDevice.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "sip/SipAccounts.h"
#include "sip/SipProvider.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

constexpr const char* kNoAccount =
    "the settings name no SIP account (sections [SIP1] to [SIP8] with sUser)";

std::vector<SipAccount> SettingsAccounts() {
    return ReadSipAccounts(SettingsProvider().Snapshot());
}

// Whether the settings choose a telephony line as the device: the
// provider is installed either way (the wizard and the options list its
// lines), but only then is it worth a word at start-up.
bool SettingsChooseTelephonyLine() {
    ISettingsProvider& settings = SettingsProvider();
    return ChosenDeviceKind(settings.GetBool("fUseHiPhone"), settings.GetInt("nTAPI")) ==
           DeviceKind::TelephonyLine;
}

std::string LineNames(const std::vector<SipAccount>& accounts) {
    std::string names;
    for (const SipAccount& a : accounts)
        names += (names.empty() ? "" : ", ") + a.LineName();
    return names;
}

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

std::unique_ptr<ITapiProvider> MakeSipProviderFromSettings(std::string* pWhy) {
    std::vector<SipAccount> accounts = SettingsAccounts();
    if (accounts.empty()) {
        if (pWhy)
            *pWhy = kNoAccount;
        return nullptr;
    }
    CSipProvider::Options options;
    options.sStateFolder = PrepareSipStateFolder(pWhy);
    if (options.sStateFolder.empty())
        return nullptr;
    return std::make_unique<CSipProvider>(std::move(accounts), std::move(options));
}

bool InstallTelephonyProvider(const TelephonyLog& log, bool bAlwaysSay) {
    const char* env = std::getenv("VORELLA_TAPI");
    const std::string name = env ? env : "";
    if (name == kSimulatedTapiName) {
        InstallSimulatedLineDemo(log);
        return true;
    }
    if (!name.empty() && name != kSipTapiName) {
        log("VORELLA_TAPI=" + name + ": no such telephony provider (known: " + kSimulatedTapiName +
            ", " + kSipTapiName + "); telephony lines are not available");
        return false;
    }
    std::string error;
    if (PrepareSipStateFolder(&error).empty()) {
        log("telephony provider: none: " + error);
        return false;
    }
    // Every provider made (the line opened, the lines listed) asks again: a
    // reason is told once, and again only after it changed.
    struct Told {
        std::mutex mutex;
        std::string sWhy;
    };
    auto told = std::make_shared<Told>();
    SetTapiProviderFactory([log, told]() -> std::unique_ptr<ITapiProvider> {
        std::string why;
        auto provider = MakeSipProviderFromSettings(&why);
        if (provider)
            why.clear();
        bool bNew = false;
        {
            std::lock_guard lock(told->mutex);
            bNew = why != told->sWhy;
            told->sWhy = why;
        }
        if (!provider && bNew)
            log("SIP: no telephony line: " + why);
        return provider;
    });
    if (!bAlwaysSay && !SettingsChooseTelephonyLine())
        return true;
    const std::vector<SipAccount> accounts = SettingsAccounts();
    if (accounts.empty())
        log(std::string("telephony provider: SIP, no line yet: ") + kNoAccount);
    else
        log("telephony provider: SIP, lines: " + LineNames(accounts));
    return true;
}
