#include "config/ModemProfile.h"

#include "platform/Event.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <array>
#include <cctype>
#include <type_traits>

namespace {

constexpr const char* kProfileSection = "Options";
constexpr const char* kCatalogSection = "Options";
constexpr const char* kCatalogListKey = "sSupportedModems";
constexpr const char* kCatalogCfgKey = "Cfg";
constexpr const char* kCustomModem = ".Custom";

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// Every key in the order it is read, with its default. Keys the file does
// not hold keep these defaults, so an unknown modem gets a "#"-family modem.
const ProfileKey kProfileKeys[] = {
    {"nCompression", &CModemProfile::nCompression, 4},
    {"nCompressionBS", &CModemProfile::nCompressionBS, 4},
    {"nCompressionSampleRate", &CModemProfile::nCompressionSampleRate, 7200},
    {"nCompressionUnFrameGSM", &CModemProfile::nCompressionUnFrameGSM, 1},
    {"nCompressionFrameGSM", &CModemProfile::nCompressionFrameGSM, 0},
    {"nCompressionUnShieldDLE", &CModemProfile::nCompressionUnShieldDLE, 1},
    {"dwBaudRateMax", &CModemProfile::dwBaudRateMax, 115200},
    {"nPlaybackVolMin", &CModemProfile::nPlaybackVolMin, 128},
    {"nPlaybackVolMax", &CModemProfile::nPlaybackVolMax, 131},
    {"sStatusOK", &CModemProfile::sStatusOK, 0, "OK"},
    {"sStatusVCON", &CModemProfile::sStatusVCON, 0, "VCON"},
    {"sStatusCallerID", &CModemProfile::sStatusCallerID, 0, "NOT USED"},
    {"sStatusCONNECT", &CModemProfile::sStatusCONNECT, 0, "CONNECT"},
    {"sStatusMODEM_EOT1", EotSlot{0}, 16},
    {"sStatusMODEM_EOT2", EotSlot{1}, 3},
    {"sVoiceStopPlay", &CModemProfile::sVoiceStopPlay, 0, "<h10><h03>"},
    {"sVoiceStopReceive", &CModemProfile::sVoiceStopReceive, 0, "<h10>"},
    {"sStatusRING", &CModemProfile::sStatusRING, 0, "RING"},
    {"sStatusRING1", &CModemProfile::sStatusRING1, 0, "RING1"},
    {"sStatusRING2", &CModemProfile::sStatusRING2, 0, "RING2"},
    {"sStatusRING3", &CModemProfile::sStatusRING3, 0, "RING3"},
    {"sStatusRING4", &CModemProfile::sStatusRING4, 0, "RING4"},
    {"sStatusRINGING", &CModemProfile::sStatusRINGING, 0, "RINGING"},
    {"sStatusERROR", &CModemProfile::sStatusERROR, 0, "ERROR"},
    {"sStatusBUSY", &CModemProfile::sStatusBUSY, 0, "BUSY"},
    {"sStatusVOICE", &CModemProfile::sStatusVOICE, 0, "VOICE"},
    {"sStatusNO_ANSWER", &CModemProfile::sStatusNO_ANSWER, 0, "NO ANSWER"},
    {"sStatusNO_CARRIER", &CModemProfile::sStatusNO_CARRIER, 0, "NO CARRIER"},
    {"sStatusNO_DIAL_TONE", &CModemProfile::sStatusNO_DIAL_TONE, 0, "NO DIAL TONE"},
    {"sStatusNMBR", &CModemProfile::sStatusNMBR, 0, "NMBR"},
    {"sStatusNAME", &CModemProfile::sStatusNAME, 0, "NAME"},
    {"sStatusDATE", &CModemProfile::sStatusDATE, 0, "DATE"},
    {"sStatusTIME", &CModemProfile::sStatusTIME, 0, "TIME"},
    {"sStatusMESG", &CModemProfile::sStatusMESG, 0, "MESG"},
    {"sCmdDevSpecificInit", &CModemProfile::sCmdDevSpecificInit, 0, ""},
    {"sCmdDevSpecificVoiceInit", &CModemProfile::sCmdDevSpecificVoiceInit, 0, ""},
    {"sCmd", &CModemProfile::sCmd, 0, "AT"},
    {"sCmdInit0", &CModemProfile::sCmdInit0, 0, "&F"},
    {"sCmdDeInit", &CModemProfile::sCmdDeInit, 0, "Z"},
    {"sCmdEchoOff", &CModemProfile::sCmdEchoOff, 0, "E0"},
    {"sCmdEchoOn", &CModemProfile::sCmdEchoOn, 0, "E1"},
    {"sCmdResponseOff", &CModemProfile::sCmdResponseOff, 0, "Q1"},
    {"sCmdResponseOn", &CModemProfile::sCmdResponseOn, 0, "Q0"},
    {"sCmdUseEnglish", &CModemProfile::sCmdUseEnglish, 0, "V1"},
    {"_sCmdEnableDRING", &CModemProfile::_sCmdEnableDRING, 0, "-SDR=7"},
    {"sCmdInactivTimer", &CModemProfile::sCmdInactivTimer, 0, "S30=60"},
    {"sCmdAnswer", &CModemProfile::sCmdAnswer, 0, "A"},
    {"sCmdHangup", &CModemProfile::sCmdHangup, 0, "H"},
    {"sCmdDial", &CModemProfile::sCmdDial, 0, "D%s"},
    {"sCmdToneDial", &CModemProfile::sCmdToneDial, 0, "DT%s"},
    {"sCmdPulseDial", &CModemProfile::sCmdPulseDial, 0, "DP%s"},
    {"sCmdAmericanCID", &CModemProfile::sCmdAmericanCID, 0, "#CID="},
    {"sCmdSwitchToDataMode", &CModemProfile::sCmdSwitchToDataMode, 0, "#CLS=0"},
    {"sCmdOffHook", &CModemProfile::sCmdOffHook, 0, "H1"},
    {"sCmdSpeakerOn", &CModemProfile::sCmdSpeakerOn, 0, "M2"},
    {"sCmdEnableHardwareCID", &CModemProfile::sCmdEnableHardwareCID, 0, ""},
    {"sCmdDisableHardwareCID", &CModemProfile::sCmdDisableHardwareCID, 0, ""},
    {"sVoiceSwitchToVoice", &CModemProfile::sVoiceSwitchToVoice, 0, "#CLS=8"},
    {"sVoiceBaudRate", &CModemProfile::sVoiceBaudRate, 0, "#BDR="},
    {"sVoiceCompressGSM", &CModemProfile::sVoiceCompressGSM, 0, ""},
    {"sVoiceCompressADPCM", &CModemProfile::sVoiceCompressADPCM, 0, ""},
    {"sVoiceCompressIMA", &CModemProfile::sVoiceCompressIMA, 0, ""},
    {"sVoiceCompressPCM8U", &CModemProfile::sVoiceCompressPCM8U, 0, ""},
    {"sVoiceCompressPCM8L", &CModemProfile::sVoiceCompressPCM8L, 0, ""},
    {"sVoiceCompressPCM16", &CModemProfile::sVoiceCompressPCM16, 0, ""},
    {"sVoiceCompressALAW", &CModemProfile::sVoiceCompressALAW, 0, ""},
    {"sVoiceCompressULAW", &CModemProfile::sVoiceCompressULAW, 0, ""},
    {"sVoiceCompressBS", &CModemProfile::sVoiceCompressBS, 0, "#VBS="},
    {"sVoiceCompressSampleRate", &CModemProfile::sVoiceCompressSampleRate, 0, "#VSR="},
    {"sVoiceAGC", &CModemProfile::sVoiceAGC, 0, ""},
    {"sVoiceSourceNormal", &CModemProfile::sVoiceSourceNormal, 0, "#VLS=0"},
    {"sVoiceSourceHandset", &CModemProfile::sVoiceSourceHandset, 0, "#VLS=1"},
    {"sVoiceSourceMonitor", &CModemProfile::sVoiceSourceMonitor, 0, "#VLS=4"},
    {"sVoiceSourceSpeaker", &CModemProfile::sVoiceSourceSpeaker, 0, "#VLS=2"},
    {"sVoiceSourceMic", &CModemProfile::sVoiceSourceMic, 0, "#VLS=3"},
    {"sVoiceSourceSpeakerPhone", &CModemProfile::sVoiceSourceSpeakerPhone, 0, "#VLS=6"},
    {"sVoiceSourceNone", &CModemProfile::sVoiceSourceNone, 0, "#VLS=0"},
    {"sVoiceReceiveVoice", &CModemProfile::sVoiceReceiveVoice, 0, "#VRX"},
    {"sVoiceTransmitVoice", &CModemProfile::sVoiceTransmitVoice, 0, "#VTX"},
    {"sVoiceSilenceDetOff", &CModemProfile::sVoiceSilenceDetOff, 0, "#VSD=0"},
    {"sVoiceSilenceDetOn", &CModemProfile::sVoiceSilenceDetOn, 0, "#VSD=1"},
    {"sVoiceToneDetectNone", &CModemProfile::sVoiceToneDetectNone, 0, "#VTD=0,0,0"},
    {"sVoiceToneDetectAll", &CModemProfile::sVoiceToneDetectAll, 0, "#VTD=3F,3F,3F"},
    {"sVoiceReceiveGain", &CModemProfile::sVoiceReceiveGain, 0, "#VGR="},
    {"sVoiceTransmitGain", &CModemProfile::sVoiceTransmitGain, 0, "#VGT="},
    {"sVoiceTADVolume", &CModemProfile::sVoiceTADVolume, 0, ""},
    {"sVoiceRingbackGoesAway", &CModemProfile::sVoiceRingbackGoesAway, 0, "#VRA="},
    {"sVoiceRingbackNeverCame", &CModemProfile::sVoiceRingbackNeverCame, 0, "#VRN="},
    {"sVoiceTone", &CModemProfile::sVoiceTone, 0, "#VTS=[%s,%s,%s]"},
    {"sVoiceFlash", &CModemProfile::sVoiceFlash, 0, "#VTS=!"},
    {"sVoiceVTS", &CModemProfile::sVoiceVTS, 0, "#VTS="},
    {"sVoiceDialSpeed", &CModemProfile::sVoiceDialSpeed, 0, "#VBT=%d"},
    {"nVoiceDialSpeed", &CModemProfile::nVoiceDialSpeed, 20},
    {"nVoiceDialSpeedUnits", &CModemProfile::nVoiceDialSpeedUnits, 100},
    {"sVoiceSpeakerphoneEnable", &CModemProfile::sVoiceSpeakerphoneEnable, 0, ""},
    {"sVoiceSpeakerphoneDisable", &CModemProfile::sVoiceSpeakerphoneDisable, 0, ""},
    {"sVoiceSpeakerphoneMute", &CModemProfile::sVoiceSpeakerphoneMute, 0, ""},
    {"sVoiceSpeakerphoneUnmute", &CModemProfile::sVoiceSpeakerphoneUnmute, 0, ""},
    {"iSilenceMin", &CModemProfile::iSilenceMin, 1},
    {"iSilenceMax", &CModemProfile::iSilenceMax, 3},
    {"iSilenceDefault", &CModemProfile::iSilenceDefault, 2},
};

// A catalogue may only name files below "cfg/": the profile is written back
// on every settings save, and must never land anywhere else.
bool IsSafeProfileName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos)
        return false;
    for (const std::string& part : SplitKeepEmpty(name, '/'))
        if (part == "..")
            return false;
    return true;
}

} // namespace

std::span<const ProfileKey> ProfileKeys() {
    return kProfileKeys;
}

std::string ModemCatalogPath() {
    return GetProgramFolder() + "modem.ini";
}

std::string ProfileFolder() {
    return GetProgramFolder() + "cfg/";
}

CModemProfile::CModemProfile() {
    SetDefaults();
    m_sSupportedModems = kCustomModem;
    m_arSupportedModems = {kCustomModem};
}

void CModemProfile::SetDefaults() {
    LoadFrom(ProfileFile());
}

void CModemProfile::LoadFrom(const ProfileFile& file) {
    sStatusMODEM_EOT.assign(2, '\0');
    for (const ProfileKey& k : kProfileKeys) {
        std::visit(Overloaded{
                       [&](int CModemProfile::*p) {
                           this->*p = file.GetInt(kProfileSection, k.key, k.nDefault);
                       },
                       [&](std::string CModemProfile::*p) {
                           this->*p = file.GetString(kProfileSection, k.key, k.sDefault);
                       },
                       [&](EotSlot s) {
                           sStatusMODEM_EOT[static_cast<size_t>(s.index)] =
                               static_cast<char>(file.GetInt(kProfileSection, k.key, k.nDefault));
                       },
                   },
                   k.field);
    }
}

std::string ProfileValueText(const ProfileKey& k, const CModemProfile& p) {
    return std::visit(Overloaded{
                          [&](int CModemProfile::*f) { return std::to_string(p.*f); },
                          [&](std::string CModemProfile::*f) { return p.*f; },
                          [&](EotSlot s) {
                              const size_t i = static_cast<size_t>(s.index);
                              const int v = i < p.sStatusMODEM_EOT.size()
                                                ? static_cast<unsigned char>(p.sStatusMODEM_EOT[i])
                                                : 0;
                              return std::to_string(v);
                          },
                      },
                      k.field);
}

void CModemProfile::SaveTo(ProfileFile& file) const {
    for (const ProfileKey& k : kProfileKeys)
        file.WriteString(kProfileSection, k.key, ProfileValueText(k, *this));
}

std::string CModemProfile::ProfilePath() const {
    if (!IsSafeProfileName(m_sProfileFile))
        return {};
    return ProfileFolder() + m_sProfileFile;
}

bool CModemProfile::Load(const std::string& sModemName) {
    m_sModemName = sModemName;

    const ProfileFile catalog(ModemCatalogPath());
    m_sSupportedModems = catalog.GetString(kCatalogSection, kCatalogListKey, kCustomModem);
    m_arSupportedModems = SplitKeepEmpty(m_sSupportedModems, ';');
    // An empty name would match keys standing above the first section.
    m_sProfileFile =
        sModemName.empty() ? std::string() : catalog.GetString(sModemName, kCatalogCfgKey, "");

    // Start-up waits on this event until no profile is being read; it is set
    // again however the read ends.
    struct SetOnExit {
        ManualResetEvent& event;
        ~SetOnExit() { event.Set(); }
    } reading{NamedEvent(kProfileEventName, true)};
    reading.event.Reset();
    const std::string path = ProfilePath();
    LoadFrom(path.empty() ? ProfileFile() : ProfileFile(path));
    return true;
}

bool CModemProfile::Save(std::string* sError) const {
    const std::string path = ProfilePath();
    if (path.empty())
        return false;
    MakeDirectories(path.substr(0, path.rfind('/') + 1));
    ProfileFile file(path);
    SaveTo(file);
    if (file.Save())
        return true;
    if (sError)
        *sError = path + ": " + file.SaveError();
    return false;
}

std::string DecodeEscapes(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if (c == '<' && i + 4 < n && s[i + 1] == 'h') {
            // "<hXY>": the byte XY; a zero or unparsable value gives none.
            const int hi = HexDigitValue(s[i + 2]);
            const int lo = HexDigitValue(s[i + 3]);
            if (hi >= 0 && lo >= 0 && (hi | lo) != 0)
                out += static_cast<char>(hi * 16 + lo);
            i += 5;
        } else if (c == '<' && i + 3 < n &&
                   (s.compare(i + 1, 2, "lf") == 0 || s.compare(i + 1, 2, "LF") == 0)) {
            out += '\n';
            i += 4;
        } else if (c == '<' && i + 3 < n &&
                   (s.compare(i + 1, 2, "cr") == 0 || s.compare(i + 1, 2, "CR") == 0)) {
            out += '\r';
            i += 4;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}
