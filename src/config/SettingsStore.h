// Loading and saving the settings file "vorella.ini".
//
// One table (SettingKeys()) lists every key in the order it is read, with its
// section, the field that holds it and its default; LoadSettings() and
// SaveSettings() are loops over it.
#pragma once

#include "config/Settings.h"

#include <span>
#include <string>
#include <variant>

class CModemProfile;
class ProfileFile;

// The four holders of the settings, as one argument.
// The layout of the settings written now (nSettingsVersion). Files without
// the key are older and are brought up to date as they load:
//   1: "*" runs remote access; files from before it hold DTMF_STAR=0.
inline constexpr int kSettingsVersion = 1;

struct CSettingsHolders {
    CPhoneSettings& phone;
    CDriverSettings& driver;
    CGlobalSettings& global;
    CWorkerSettings& worker;
};

enum class SettingHolder { Phone, Driver, Global, Worker, None };
enum class SettingType { Int, Bool, Str, List };

// A slot of the driver's DTMF table.
struct DtmfSlot {
    int index;
};

// A key no holder keeps: start-up and the windows read and write it one at a
// time (SettingsProvider.h), and the phone's load and save leave it alone.
struct StandaloneSlot {
    SettingType type;
};

using SettingField =
    std::variant<int CPhoneSettings::*, bool CPhoneSettings::*, std::string CPhoneSettings::*,
                 std::vector<std::string> CPhoneSettings::*, int CDriverSettings::*,
                 bool CDriverSettings::*, int CGlobalSettings::*, bool CGlobalSettings::*,
                 std::string CWorkerSettings::*, DtmfSlot, StandaloneSlot>;

// How a key's default is found when the file does not hold the key.
enum class DefaultRule {
    Plain,           // nDefault or sDefault
    StringTable,     // the string-table text of stringId
    ValueOf,         // the value just loaded for the key named otherKey
    ReadTwice,       // read with otherKey's value as default, then again with that result
    CompatibleDial,  // 1 when the profile's sVoiceSwitchToVoice is empty, else 0
    InProgramFolder, // the program folder followed by sDefault
};

struct SettingKey {
    const char* section;
    const char* key;
    SettingField field;
    int nDefault = 0;
    const char* sDefault = "";
    DefaultRule rule = DefaultRule::Plain;
    const char* otherKey = nullptr;
    int stringId = 0;
    bool bWriteOnly = false; // saved on every save, never loaded

    SettingHolder Holder() const;
    SettingType Type() const;
};

// Every key the phone loads and saves, in load order, followed by the
// written-only keys.
std::span<const SettingKey> SettingKeys();
// The keys no holder keeps (StandaloneSlot), read and written one at a time.
std::span<const SettingKey> StandaloneSettingKeys();
// A key of either list by name, "key" or "Section/key" (a name that two
// sections share must be given with its section); nullptr when there is none.
const SettingKey* FindSettingKey(const char* key);

// The modem name (Options/sModem) as the phone reads it before anything
// else, to load that modem's profile first (seeding the file like LoadSettings).
std::string ReadModemName();
// Puts the driver settings at the plain defaults of the key table.
void SetDriverDefaults(CDriverSettings& s);

// Reads every setting from the settings provider (SettingsProvider.h), seeding
// the settings file from "vorella.def" first when it does not exist. The
// modem profile must already be loaded: the default of bCompatibleDial
// depends on it.
void LoadSettings(const CSettingsHolders& h, const CModemProfile& profile);
void LoadSettingsFrom(const ProfileFile& ini, const CSettingsHolders& h,
                      const CModemProfile& profile);
// What LoadSettingsFrom does last: settings loaded from a file of an older
// layout (kSettingsVersion) take what the newer one means.
void UpgradeOldSettings(const ProfileFile& ini, const CSettingsHolders& h);

// Writes every setting through the settings provider in one atomic replace
// of the settings file (unknown keys and comments stay), then saves the modem
// profile. False when either file could not be written; the old file is
// then intact, and sError (when given) names each file that failed and why.
bool SaveSettings(const CSettingsHolders& h, CModemProfile& profile,
                  std::string* sError = nullptr);
void SaveSettingsTo(ProfileFile& ini, const CSettingsHolders& h);

// The value of one setting as it is written to the file.
std::string SettingText(const SettingKey& k, const CSettingsHolders& h);
// The default of a key read on its own, outside the phone's load: a default
// taken from another key is that key's value in ini; bCompatibleDial, which
// needs the modem profile, gives nDefault.
int SettingIntDefault(const SettingKey& k, const ProfileFile& ini);
std::string SettingStringDefault(const SettingKey& k);

// The default of one key as it would be written, and whether it is fixed
// (false for defaults computed from other values at load time).
std::string SettingDefaultText(const SettingKey& k);
bool HasFixedDefault(const SettingKey& k);

// The shipped "vorella.def": every key with a fixed default, in table order.
std::string DefaultSettingsText();

// strPinArray's list rules: split keeps empty parts; join puts ";" after each
// entry and then removes every trailing ";".
std::vector<std::string> SplitSettingList(const std::string& s);
std::string JoinSettingList(const std::vector<std::string>& list);

// Options/arRASWindows through the settings provider, split as above.
std::vector<std::string> ReadRasWindows();
