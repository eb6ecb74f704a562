// The modem command profile: every AT command and result word of one modem
// model, read from "cfg/<file>" named by the catalogue "modem.ini".
//
// Commands are kept without the "AT" prefix and exactly as written in the
// file; escape notation ("<h10>", "<cr>") is decoded by DecodeEscapes() only
// when a stop sequence is sent.
#pragma once

#include <span>
#include <string>
#include <variant>
#include <vector>

class ProfileFile;

class CModemProfile {
public:
    CModemProfile();

    // Loads the profile of the named modem. A name the catalogue does not
    // know, or one without a "Cfg" file, gets the default of every key.
    // Always true.
    bool Load(const std::string& sModemName);
    // Writes every key back to the loaded modem's profile file. False when
    // the modem has no profile file or it could not be written; sError
    // (when given) then names the file and why (nothing when there is none).
    bool Save(std::string* sError = nullptr) const;

    // Resets every key to its default (what Load gives for an unknown modem).
    void SetDefaults();
    void LoadFrom(const ProfileFile& file);
    void SaveTo(ProfileFile& file) const;

    // The path of the loaded modem's profile file, "" when it has none.
    std::string ProfilePath() const;

    std::string m_sModemName;                     // the name Load was called with
    std::string m_sProfileFile;                   // the catalogue's "Cfg" value
    std::string m_sSupportedModems;               // the catalogue's raw list
    std::vector<std::string> m_arSupportedModems; // split at ";", empty parts kept
    int m_nModemType = 0;                         // set by TypeFromName (ModemType.h)

    int nCompression;
    int nCompressionBS;
    int nCompressionSampleRate;
    int nCompressionUnFrameGSM;
    int nCompressionFrameGSM;
    int nCompressionUnShieldDLE;
    int dwBaudRateMax;
    int nPlaybackVolMin;
    int nPlaybackVolMax;
    std::string sStatusOK;
    std::string sStatusVCON;
    std::string sStatusCallerID;
    std::string sStatusCONNECT;
    // The end-of-voice pair: sStatusMODEM_EOT1 and sStatusMODEM_EOT2 of the
    // file as the first and second character.
    std::string sStatusMODEM_EOT;
    std::string sVoiceStopPlay;
    std::string sVoiceStopReceive;
    std::string sStatusRING;
    std::string sStatusRING1;
    std::string sStatusRING2;
    std::string sStatusRING3;
    std::string sStatusRING4;
    std::string sStatusRINGING;
    std::string sStatusERROR;
    std::string sStatusBUSY;
    std::string sStatusVOICE;
    std::string sStatusNO_ANSWER;
    std::string sStatusNO_CARRIER;
    std::string sStatusNO_DIAL_TONE;
    std::string sStatusNMBR;
    std::string sStatusNAME;
    std::string sStatusDATE;
    std::string sStatusTIME;
    std::string sStatusMESG;
    std::string sCmdDevSpecificInit;
    std::string sCmdDevSpecificVoiceInit;
    std::string sCmd;
    std::string sCmdInit0;
    std::string sCmdDeInit;
    std::string sCmdEchoOff;
    std::string sCmdEchoOn;
    std::string sCmdResponseOff;
    std::string sCmdResponseOn;
    std::string sCmdUseEnglish;
    std::string _sCmdEnableDRING;
    std::string sCmdInactivTimer;
    std::string sCmdAnswer;
    std::string sCmdHangup;
    std::string sCmdDial;
    std::string sCmdToneDial;
    std::string sCmdPulseDial;
    std::string sCmdAmericanCID;
    std::string sCmdSwitchToDataMode;
    std::string sCmdOffHook;
    std::string sCmdSpeakerOn;
    std::string sCmdEnableHardwareCID;
    std::string sCmdDisableHardwareCID;
    std::string sVoiceSwitchToVoice;
    std::string sVoiceBaudRate;
    std::string sVoiceCompressGSM;
    std::string sVoiceCompressADPCM;
    std::string sVoiceCompressIMA;
    std::string sVoiceCompressPCM8U;
    std::string sVoiceCompressPCM8L;
    std::string sVoiceCompressPCM16;
    std::string sVoiceCompressALAW;
    std::string sVoiceCompressULAW;
    std::string sVoiceCompressBS;
    std::string sVoiceCompressSampleRate;
    std::string sVoiceAGC;
    std::string sVoiceSourceNormal;
    std::string sVoiceSourceHandset;
    std::string sVoiceSourceMonitor;
    std::string sVoiceSourceSpeaker;
    std::string sVoiceSourceMic;
    std::string sVoiceSourceSpeakerPhone;
    std::string sVoiceSourceNone;
    std::string sVoiceReceiveVoice;
    std::string sVoiceTransmitVoice;
    std::string sVoiceSilenceDetOff;
    std::string sVoiceSilenceDetOn;
    std::string sVoiceToneDetectNone;
    std::string sVoiceToneDetectAll;
    std::string sVoiceReceiveGain;
    std::string sVoiceTransmitGain;
    std::string sVoiceTADVolume;
    std::string sVoiceRingbackGoesAway;
    std::string sVoiceRingbackNeverCame;
    std::string sVoiceTone;
    std::string sVoiceFlash;
    std::string sVoiceVTS;
    std::string sVoiceDialSpeed;
    int nVoiceDialSpeed;
    int nVoiceDialSpeedUnits;
    std::string sVoiceSpeakerphoneEnable;
    std::string sVoiceSpeakerphoneDisable;
    std::string sVoiceSpeakerphoneMute;
    std::string sVoiceSpeakerphoneUnmute;
    int iSilenceMin;
    int iSilenceMax;
    int iSilenceDefault;
};

// One character of the end-of-voice pair, stored in the file as an integer.
struct EotSlot {
    int index;
};

using ProfileField = std::variant<int CModemProfile::*, std::string CModemProfile::*, EotSlot>;

struct ProfileKey {
    const char* key;
    ProfileField field;
    int nDefault = 0;
    const char* sDefault = "";
};

// Every profile key in the order it is read.
std::span<const ProfileKey> ProfileKeys();
// The value of one key as it is written to the profile file.
std::string ProfileValueText(const ProfileKey& k, const CModemProfile& p);

// The catalogue and profile locations in the program folder.
std::string ModemCatalogPath(); // "modem.ini"
std::string ProfileFolder();    // "cfg/"

// Name of the manual-reset event that is reset while a profile is read and
// set again afterwards; start-up waits on it.
inline constexpr const char* kProfileEventName = "vorella_thread_event_1";

// The escape notation of profile strings: "<hXY>" is the byte XY (none when
// XY is 0 or not two hex digits), "<lf>"/"<LF>" a line feed, "<cr>"/"<CR>" a
// carriage return; the closing ">" is skipped unchecked; anything else,
// "<H" included, stands for itself.
std::string DecodeEscapes(const std::string& s);
