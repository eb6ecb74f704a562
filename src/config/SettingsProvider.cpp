#include "config/SettingsProvider.h"

#include "platform/ProgramFolder.h"

#include <atomic>
#include <stdexcept>

namespace {

const SettingKey& KeyNamed(const char* key) {
    const SettingKey* k = FindSettingKey(key);
    if (!k)
        throw std::invalid_argument(std::string("no setting named ") + key);
    return *k;
}

std::atomic<ISettingsProvider*> g_pInstalled{nullptr};

} // namespace

int CProfileSettingsProvider::GetInt(const char* key) {
    const SettingKey& k = KeyNamed(key);
    std::lock_guard lock(m_mutex);
    const ProfileFile ini = Open();
    return ini.GetInt(k.section, k.key, SettingIntDefault(k, ini));
}

std::string CProfileSettingsProvider::GetString(const char* key) {
    const SettingKey& k = KeyNamed(key);
    std::lock_guard lock(m_mutex);
    return Open().GetString(k.section, k.key, SettingStringDefault(k));
}

bool CProfileSettingsProvider::SetInt(const char* key, int value) {
    return SetString(key, std::to_string(value));
}

bool CProfileSettingsProvider::SetString(const char* key, std::string_view value) {
    const SettingKey& k = KeyNamed(key);
    std::lock_guard lock(m_mutex);
    ProfileFile ini = Open();
    ini.WriteString(k.section, k.key, value);
    return Store(ini);
}

void CProfileSettingsProvider::LoadAll(const CSettingsHolders& h, const CModemProfile& profile) {
    std::lock_guard lock(m_mutex);
    LoadSettingsFrom(Open(), h, profile);
}

bool CProfileSettingsProvider::SaveAll(const CSettingsHolders& h, std::string* sError) {
    std::lock_guard lock(m_mutex);
    // A store that went missing while we ran reads as empty, so every key is
    // new and it is written whole.
    ProfileFile ini = Open();
    SaveSettingsTo(ini, h);
    if (Store(ini))
        return true;
    if (sError)
        *sError = ini.Path().empty() ? ini.SaveError() : ini.Path() + ": " + ini.SaveError();
    return false;
}

ProfileFile CProfileSettingsProvider::Snapshot() {
    std::lock_guard lock(m_mutex);
    return Open();
}

bool CProfileSettingsProvider::Edit(const std::function<bool(ProfileFile&)>& edit) {
    std::lock_guard lock(m_mutex);
    ProfileFile ini = Open();
    return edit(ini) && Store(ini);
}

ProfileFile CFileSettingsProvider::Open() {
    return ProfileFile(m_sPath.empty() ? GetSettingsPath() : m_sPath);
}

bool CFileSettingsProvider::Store(ProfileFile& ini) {
    // The mail or broker password, a remote-access PIN or the web login's
    // hash is in there: nobody else may read the file.
    for (const char* secret :
         {"m_sSmtpPassword", "sPin", "strPinArray", "MQTT/sPassword", "Web/sPasswordHash"}) {
        const SettingKey& key = KeyNamed(secret);
        if (!ini.GetString(key.section, key.key, "").empty())
            ini.SetPrivate(true);
    }
    const SettingKey& pin = KeyNamed("m_nPIN");
    if (ini.GetInt(pin.section, pin.key, 0) != 0)
        ini.SetPrivate(true);
    // Unchanged values are not written again.
    return ini.Save();
}

std::string CMemorySettingsProvider::Text() {
    std::lock_guard lock(m_textMutex);
    return m_sText;
}

ProfileFile CMemorySettingsProvider::Open() {
    return ProfileFile::FromText(Text());
}

bool CMemorySettingsProvider::Store(ProfileFile& ini) {
    std::lock_guard lock(m_textMutex);
    m_sText = ini.Text();
    return true;
}

ISettingsProvider& SettingsProvider() {
    static CFileSettingsProvider fileProvider;
    ISettingsProvider* p = g_pInstalled.load();
    return p ? *p : fileProvider;
}

void InstallSettingsProvider(ISettingsProvider* pProvider) {
    g_pInstalled = pProvider;
}
