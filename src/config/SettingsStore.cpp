#include "config/SettingsStore.h"

#include "config/ModemProfile.h"
#include "config/SettingsProvider.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <type_traits>

CGlobalSettings g_settings;

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

template <class H>
H& HolderOf(const CSettingsHolders& h) {
    if constexpr (std::is_same_v<H, CPhoneSettings>)
        return h.phone;
    else if constexpr (std::is_same_v<H, CDriverSettings>)
        return h.driver;
    else if constexpr (std::is_same_v<H, CGlobalSettings>)
        return h.global;
    else
        return h.worker;
}

int& DtmfEntry(const CSettingsHolders& h, DtmfSlot s) {
    return h.driver.m_dtmf.at(static_cast<size_t>(s.index));
}

// The current value of an integer or boolean setting.
int IntValue(const SettingKey& k, const CSettingsHolders& h) {
    return std::visit(Overloaded{
                          [&](DtmfSlot s) { return DtmfEntry(h, s); },
                          [](StandaloneSlot) { return 0; },
                          [&]<class H, class T>(T H::*p) -> int {
                              if constexpr (std::is_same_v<T, int> || std::is_same_v<T, bool>)
                                  return static_cast<int>(HolderOf<H>(h).*p);
                              else
                                  return 0;
                          },
                      },
                      k.field);
}

int IntDefault(const SettingKey& k, const CSettingsHolders& h, const CModemProfile& profile) {
    switch (k.rule) {
    case DefaultRule::ValueOf:
    case DefaultRule::ReadTwice:
        return IntValue(*FindSettingKey(k.otherKey), h);
    case DefaultRule::CompatibleDial:
        return profile.sVoiceSwitchToVoice.empty() ? 1 : 0;
    default:
        return k.nDefault;
    }
}

void LoadKey(const ProfileFile& ini, const SettingKey& k, const CSettingsHolders& h,
             const CModemProfile& profile) {
    auto readInt = [&] {
        int v = ini.GetInt(k.section, k.key, IntDefault(k, h, profile));
        // Read once more with the first result as the default: the value the
        // first read settled on stands even where the second finds nothing.
        if (k.rule == DefaultRule::ReadTwice)
            v = ini.GetInt(k.section, k.key, v);
        return v;
    };
    std::visit(Overloaded{
                   [&](DtmfSlot s) { DtmfEntry(h, s) = readInt(); },
                   [](StandaloneSlot) {},
                   [&]<class H, class T>(T H::*p) {
                       T& field = HolderOf<H>(h).*p;
                       if constexpr (std::is_same_v<T, int>)
                           field = readInt();
                       else if constexpr (std::is_same_v<T, bool>)
                           field = readInt() != 0;
                       else if constexpr (std::is_same_v<T, std::string>)
                           field = ini.GetString(k.section, k.key, SettingStringDefault(k));
                       else
                           field = SplitSettingList(
                               ini.GetString(k.section, k.key, SettingStringDefault(k)));
                   },
               },
               k.field);
}

} // namespace

std::string SettingStringDefault(const SettingKey& k) {
    switch (k.rule) {
    case DefaultRule::StringTable:
        return LoadStr(k.stringId);
    case DefaultRule::InProgramFolder:
        return GetProgramFolder() + k.sDefault;
    default:
        return k.sDefault;
    }
}

int SettingIntDefault(const SettingKey& k, const ProfileFile& ini) {
    if (k.rule != DefaultRule::ValueOf && k.rule != DefaultRule::ReadTwice)
        return k.nDefault;
    const SettingKey& other = *FindSettingKey(k.otherKey);
    return ini.GetInt(other.section, other.key, SettingIntDefault(other, ini));
}

SettingHolder SettingKey::Holder() const {
    return std::visit(Overloaded{
                          [](DtmfSlot) { return SettingHolder::Driver; },
                          [](StandaloneSlot) { return SettingHolder::None; },
                          []<class H, class T>(T H::*) {
                              if constexpr (std::is_same_v<H, CPhoneSettings>)
                                  return SettingHolder::Phone;
                              else if constexpr (std::is_same_v<H, CDriverSettings>)
                                  return SettingHolder::Driver;
                              else if constexpr (std::is_same_v<H, CGlobalSettings>)
                                  return SettingHolder::Global;
                              else
                                  return SettingHolder::Worker;
                          },
                      },
                      field);
}

SettingType SettingKey::Type() const {
    return std::visit(Overloaded{
                          [](DtmfSlot) { return SettingType::Int; },
                          [](StandaloneSlot s) { return s.type; },
                          []<class H, class T>(T H::*) {
                              if constexpr (std::is_same_v<T, int>)
                                  return SettingType::Int;
                              else if constexpr (std::is_same_v<T, bool>)
                                  return SettingType::Bool;
                              else if constexpr (std::is_same_v<T, std::string>)
                                  return SettingType::Str;
                              else
                                  return SettingType::List;
                          },
                      },
                      field);
}

std::vector<std::string> SplitSettingList(const std::string& s) {
    return SplitKeepEmpty(s, ';');
}

std::string JoinSettingList(const std::vector<std::string>& list) {
    std::string s;
    for (const std::string& entry : list) {
        s += entry;
        s += ';';
    }
    while (!s.empty() && s.back() == ';')
        s.pop_back();
    return s;
}

void LoadSettingsFrom(const ProfileFile& ini, const CSettingsHolders& h,
                      const CModemProfile& profile) {
    for (const SettingKey& k : SettingKeys())
        if (!k.bWriteOnly)
            LoadKey(ini, k, h, profile);
    h.phone.dwTimeoutDefault = h.driver.dwTimeoutDefault;
    h.phone.dwTimeoutQuant = h.driver.dwTimeoutQuant;
    UpgradeOldSettings(ini, h);
}

void UpgradeOldSettings(const ProfileFile& ini, const CSettingsHolders& h) {
    const SettingKey& version = *FindSettingKey("nSettingsVersion");
    if (ini.GetInt(version.section, version.key, 0) >= 1)
        return;
    // Before remote access, nothing was the only choice for "*": the file's
    // 0 there is no choice of the user's, so "*" gets its default once.
    const SettingKey& star = *FindSettingKey("DTMF_STAR");
    int& entry = DtmfEntry(h, std::get<DtmfSlot>(star.field));
    if (entry == 0)
        entry = star.nDefault;
    h.phone.nSettingsVersion = kSettingsVersion;
}

void SetDriverDefaults(CDriverSettings& s) {
    for (const SettingKey& k : SettingKeys()) {
        if (k.Holder() != SettingHolder::Driver || k.bWriteOnly)
            continue;
        if (auto p = std::get_if<int CDriverSettings::*>(&k.field))
            s.*(*p) = k.nDefault;
        else if (auto b = std::get_if<bool CDriverSettings::*>(&k.field))
            s.*(*b) = k.nDefault != 0;
    }
}

std::string ReadModemName() {
    SeedSettingsFile();
    return SettingsProvider().GetString("sModem");
}

void LoadSettings(const CSettingsHolders& h, const CModemProfile& profile) {
    SeedSettingsFile();
    SettingsProvider().LoadAll(h, profile);
}

std::string SettingText(const SettingKey& k, const CSettingsHolders& h) {
    return std::visit(Overloaded{
                          [&](DtmfSlot s) { return std::to_string(DtmfEntry(h, s)); },
                          [](StandaloneSlot) { return std::string(); },
                          [&]<class H, class T>(T H::*p) -> std::string {
                              const T& v = HolderOf<H>(h).*p;
                              if constexpr (std::is_same_v<T, int>)
                                  return std::to_string(v);
                              else if constexpr (std::is_same_v<T, bool>)
                                  return v ? "1" : "0";
                              else if constexpr (std::is_same_v<T, std::string>)
                                  return v;
                              else
                                  return JoinSettingList(v);
                          },
                      },
                      k.field);
}

void SaveSettingsTo(ProfileFile& ini, const CSettingsHolders& h) {
    for (const SettingKey& k : SettingKeys())
        ini.WriteString(k.section, k.key, SettingText(k, h));
}

bool SaveSettings(const CSettingsHolders& h, CModemProfile& profile, std::string* sError) {
    std::string why;
    const bool bSaved = SettingsProvider().SaveAll(h, &why);
    std::string profileWhy;
    profile.Save(&profileWhy);
    if (!profileWhy.empty())
        why += (why.empty() ? "" : "; ") + profileWhy;
    if (sError)
        *sError = why;
    return bSaved && profileWhy.empty();
}

bool HasFixedDefault(const SettingKey& k) {
    return k.rule == DefaultRule::Plain || k.rule == DefaultRule::StringTable;
}

std::string SettingDefaultText(const SettingKey& k) {
    switch (k.Type()) {
    case SettingType::Int:
        return std::to_string(k.nDefault);
    case SettingType::Bool:
        return k.nDefault ? "1" : "0";
    default:
        return SettingStringDefault(k);
    }
}

std::string DefaultSettingsText() {
    std::string out = "; Vorella settings defaults: copied to vorella.ini when that file does\n"
                      "; not exist yet. Keys whose default is computed at start-up stand here\n"
                      "; only as comments, so that the computation still applies.\n";
    // Sections in order of first use; keys in table order within each.
    std::vector<std::string> sections;
    for (const SettingKey& k : SettingKeys())
        if (std::find(sections.begin(), sections.end(), k.section) == sections.end())
            sections.emplace_back(k.section);
    for (const std::string& section : sections) {
        out += "\n[" + section + "]\n";
        for (const SettingKey& k : SettingKeys()) {
            if (section != k.section)
                continue;
            if (!HasFixedDefault(k)) {
                out += std::string("; ") + k.key + ": default computed at start-up\n";
                continue;
            }
            out += std::string(k.key) + "=" + ProfileFile::QuoteValue(SettingDefaultText(k)) + "\n";
        }
    }
    return out;
}

std::vector<std::string> ReadRasWindows() {
    return SplitSettingList(SettingsProvider().GetString("arRASWindows"));
}
