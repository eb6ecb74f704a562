// The settings key table: every key with its section, the field that holds
// it and its default.
#include "config/SettingsStore.h"

#include <cstring>
#include <string_view>

namespace {

SettingKey Key(const char* section, const char* key, SettingField field, int def) {
    SettingKey k{section, key, field};
    k.nDefault = def;
    return k;
}

SettingKey Key(const char* section, const char* key, SettingField field, const char* def) {
    SettingKey k{section, key, field};
    k.sDefault = def;
    return k;
}

SettingKey FromStringTable(const char* section, const char* key, SettingField field, int id) {
    SettingKey k{section, key, field};
    k.rule = DefaultRule::StringTable;
    k.stringId = id;
    return k;
}

SettingKey ValueOf(const char* section, const char* key, SettingField field, const char* other) {
    SettingKey k{section, key, field};
    k.rule = DefaultRule::ValueOf;
    k.otherKey = other;
    return k;
}

SettingKey ReadTwice(const char* section, const char* key, SettingField field, const char* other) {
    SettingKey k = ValueOf(section, key, field, other);
    k.rule = DefaultRule::ReadTwice;
    return k;
}

SettingKey CompatibleDial(const char* section, const char* key, SettingField field) {
    SettingKey k{section, key, field};
    k.rule = DefaultRule::CompatibleDial;
    return k;
}

SettingKey InProgramFolder(const char* section, const char* key, SettingField field,
                           const char* file) {
    SettingKey k = Key(section, key, field, file);
    k.rule = DefaultRule::InProgramFolder;
    return k;
}

SettingKey Standalone(const char* section, const char* key, SettingType type, int def) {
    return Key(section, key, StandaloneSlot{type}, def);
}

SettingKey Standalone(const char* section, const char* key, const char* def) {
    return Key(section, key, StandaloneSlot{SettingType::Str}, def);
}

template <class T>
SettingKey WriteOnly(const char* section, const char* key, SettingField field, T def) {
    SettingKey k = Key(section, key, field, def);
    k.bWriteOnly = true;
    return k;
}

// Every key the phone reads, in the order it reads them, then the keys it
// only writes. The position of a key matters twice: a default taken from
// another key (dwPopupTimer, m_PagerPort, bCompressWav) needs that key loaded
// first, and this is the order the tool and the shipped defaults list.
const SettingKey kSettingKeys[] = {
    Key("Startup", "iPopupX", &CPhoneSettings::iPopupX, -1),
    Key("Startup", "iPopupY", &CPhoneSettings::iPopupY, -1),
    Key("Startup", "dwVersion", &CPhoneSettings::dwVersion, 2000),
    // The file's layout (SettingsStore.h: UpgradeOldSettings); absent in older files.
    Key("Startup", "nSettingsVersion", &CPhoneSettings::nSettingsVersion, kSettingsVersion),
    Key("Startup", "ShowMainDlg", &CGlobalSettings::ShowMainDlg, 1),
    Key("Options", "fUseHiPhone", &CPhoneSettings::fUseHiPhone, 0),
    Key("Options", "fUseComvurgent", &CPhoneSettings::fUseComvurgent, 0),
    Key("Options", "nCIDType", &CPhoneSettings::nCIDType, 2),
    Key("Options", "nComPort", &CDriverSettings::nComPort, -1),
    Key("Options", "nLineSelection", &CDriverSettings::nLineSelection, 0),
    Key("Options", "bRealTimeCID", &CPhoneSettings::bRealTimeCID, 1),
    Key("Options", "dwTimeToWait", &CPhoneSettings::dwTimeToWait, 340),
    Key("Options", "dwTimeToGet", &CPhoneSettings::dwTimeToGet, 3000),
    Key("Options", "bActiveDelay", &CPhoneSettings::bActiveDelay, 1),
    Key("Options", "nPreDetectTime", &CPhoneSettings::nPreDetectTime, 100),
    Key("Options", "dwInactiveTimer", &CDriverSettings::dwInactiveTimer, 60000),
    Key("Options", "nBlockTime", &CPhoneSettings::nBlockTime, 20),
    Key("Options", "nCIDReqNumber", &CDriverSettings::nCIDReqNumber, 1),
    Key("Options", "bShortRequest", &CDriverSettings::bShortRequest, 0),
    Key("Options", "nMaxAttempts", &CPhoneSettings::nMaxAttempts, 2),
    Key("Options", "bSafeIO", &CDriverSettings::bSafeIO, 0),
    Key("Options", "bOverlappedIO", &CDriverSettings::bOverlappedIO, 1),
    Key("Options", "dwTimeoutDefault", &CDriverSettings::dwTimeoutDefault, 2500),
    Key("Options", "dwTimeoutQuant", &CDriverSettings::dwTimeoutQuant, 15),
    Key("Options", "nAction", &CPhoneSettings::nAction, 0),
    Key("Options", "nBlackAction", &CPhoneSettings::nBlackAction, 0),
    Key("Options", "nWhiteAction", &CPhoneSettings::nWhiteAction, 0),
    Key("Options", "nRepeatCallerMinutes", &CPhoneSettings::nRepeatCallerMinutes, 0),
    Key("Options", "bChallengeUnknown", &CPhoneSettings::bChallengeUnknown, 0),
    Key("Options", "bFasterModemInit", &CDriverSettings::bFasterModemInit, 1),
    Key("Options", "step", &CPhoneSettings::step, -1),
    Key("Options", "dwBaudRate", &CPhoneSettings::dwBaudRate, 115200),
    Key("Options", "nRings", &CPhoneSettings::nRings, 1),
    Key("Options", "nWaitSignals", &CPhoneSettings::nWaitSignals, 6),
    Key("Options", "nDebugLevel", &CPhoneSettings::nDebugLevel, 0),
    Key("Options", "bSmartDigitExtraction", &CPhoneSettings::bSmartDigitExtraction, 1),
    Key("Options", "nSmartDigitExtractionThreshold",
        &CPhoneSettings::nSmartDigitExtractionThreshold, 26),
    Key("Options", "nDetectFakeDigits", &CPhoneSettings::nDetectFakeDigits, -1),
    Key("Options", "nDigitsInNumber", &CPhoneSettings::nDigitsInNumber, 7),
    Key("Options", "bStartDisabled", &CPhoneSettings::bStartDisabled, 1),
    Key("Options", "dwCadenceQuant", &CPhoneSettings::dwCadenceQuant, 2000),
    Key("Options", "bConfirmRing", &CPhoneSettings::bConfirmRing, 0),
    Key("Options", "bShowNotificationDlg", &CPhoneSettings::bShowNotificationDlg, 1),
    Key("Options", "bUseAltCmdTransmit", &CDriverSettings::bUseAltCmdTransmit, 1),
    Key("Options", "bSaveLogFile", &CPhoneSettings::bSaveLogFile, 1),
    Key("Options", "sLogFileName", &CPhoneSettings::sLogFileName, "logfile.txt"),
    Key("Options", "bUseExternalHelp", &CGlobalSettings::bUseExternalHelp, 1),
    Key("Options", "bShowDlgTips", &CPhoneSettings::bShowDlgTips, 0),
    Key("Options", "nFreqRing", &CPhoneSettings::nFreqRing, 425),
    Key("Options", "nFreqRing2", &CPhoneSettings::nFreqRing2, 0),
    Key("Options", "bEnableModemSpeaker", &CPhoneSettings::bEnableModemSpeaker, 0),
    Key("Options", "bSoftwareToneGenerator", &CPhoneSettings::bSoftwareToneGenerator, 1),
    Key("Options", "nReqTime", &CPhoneSettings::nReqTime, 160),
    Key("Options", "bEnableSBOutput", &CPhoneSettings::bEnableSBOutput, 0),
    Key("Options", "bEnableSBOutput_play", &CPhoneSettings::bEnableSBOutput_play, 0),
    Key("Options", "nRingEmulationLength", &CPhoneSettings::nRingEmulationLength, 800),
    Key("Options", "nRingEmulationPause", &CPhoneSettings::nRingEmulationPause, 3000),
    Key("Options", "iAGC", &CDriverSettings::iAGC, 0),
    Key("Options", "bSoftAGC", &CPhoneSettings::bSoftAGC, 1),
    Key("Options", "bPulseDial", &CDriverSettings::bPulseDial, 0),
    Key("Options", "bTrackHandset", &CDriverSettings::bTrackHandset, 0),
    Key("Options", "nVoiceRingbackGoesAway", &CDriverSettings::nVoiceRingbackGoesAway, 0),
    Key("Options", "nVoiceRingbackNeverCame", &CDriverSettings::nVoiceRingbackNeverCame, 0),
    Key("Options", "iReqFreq", &CPhoneSettings::iReqFreq, 500),
    Key("Options", "iMaxBlockWrites", &CDriverSettings::iMaxBlockWrites, 4096),
    Key("Options", "iToneVolume", &CPhoneSettings::iToneVolume, 100),
    Key("Options", "nTextToSpeech", &CPhoneSettings::nTextToSpeech, 0),
    Key("Options", "bClick", &CPhoneSettings::bClick, 1),
    Key("Options", "bSoftBusy", &CPhoneSettings::bSoftBusy, 0),
    Key("Options", "iBusyDiscrete", &CPhoneSettings::iBusyDiscrete, 2),
    Key("Options", "iBusySignal", &CPhoneSettings::iBusySignal, 2),
    Key("Options", "iBusyTime", &CPhoneSettings::iBusyTime, 150),
    Key("Options", "bNumberOnlyCID", &CPhoneSettings::bNumberOnlyCID, 0),
    Key("Options", "bTreatZeroNumberAsUnknown", &CPhoneSettings::bTreatZeroNumberAsUnknown, 0),
    Key("Options", "bSetupQueue", &CDriverSettings::bSetupQueue, 0),
    Key("Options", "QUEUE_SIZE", &CDriverSettings::QUEUE_SIZE, 1024),
    Key("Options", "bRingBeforeCallerID", &CPhoneSettings::bRingBeforeCallerID, 0),
    Key("Options", "bSilenceDetection", &CDriverSettings::bSilenceDetection, 0),
    Key("Options", "iSilenceDetectionSensitivity", &CDriverSettings::iSilenceDetectionSensitivity,
        -1),
    Key("Options", "iSilenceDetectionTimeout", &CDriverSettings::iSilenceDetectionTimeout, 55),
    Key("Options", "bAdvancedFormatting", &CPhoneSettings::bAdvancedFormatting, 0),
    Key("Options", "sAreaMapDB", &CPhoneSettings::sAreaMapDB, ""),
    Key("Options", "bAnnounceState", &CPhoneSettings::bAnnounceState, 0),
    Key("Options", "bAnnounceCities", &CPhoneSettings::bAnnounceCities, 0),
    Key("Options", "bNewDesign", &CPhoneSettings::bNewDesign, 1),
    Key("Options", "bDropBlackCalls", &CPhoneSettings::bDropBlackCalls, 0),
    Key("Options", "LCD_bk", &CGlobalSettings::LCD_bk, 1),
    Key("Options", "bFax", &CPhoneSettings::bFax, 0),
    Key("Options", "sFaxAppName", &CPhoneSettings::sFaxAppName, ""),
    Key("Options", "sFaxParam", &CPhoneSettings::sFaxParam, ""),
    Key("Options", "uiFaxSeconds", &CPhoneSettings::uiFaxSeconds, 30),
    Key("Options", "nMinFreeSeconds", &CPhoneSettings::nMinFreeSeconds, 180),
    Key("Options", "bDisableModemInact", &CDriverSettings::bDisableModemInact, 1),
    Key("Options", "bCompat", &CDriverSettings::bCompat, 0),
    Key("Options", "iPopup", &CPhoneSettings::iPopup, 1),
    ValueOf("Options", "dwPopupTimer", &CPhoneSettings::dwPopupTimer, "dwInactiveTimer"),
    Key("Options", "nTAPI", &CPhoneSettings::nTAPI, 0),
    Key("Options", "bStoreWavLogs", &CPhoneSettings::bStoreWavLogs, 1),
    CompatibleDial("Options", "bCompatibleDial", &CPhoneSettings::bCompatibleDial),
    Key("Options", "ld_prefix", &CPhoneSettings::ld_prefix, "1"),
    Key("Options", "bUseAreaRules", &CPhoneSettings::bUseAreaRules, 0),
    Key("Options", "AlwaysDial1", &CPhoneSettings::AlwaysDial1, ""),
    Key("Options", "DontDial1", &CPhoneSettings::DontDial1, ""),
    Key("Options", "AlwaysDialAll10", &CPhoneSettings::AlwaysDialAll10, 0),
    Key("Options", "nFigures", &CPhoneSettings::nFigures, 7),
    Key("Options", "bKeepSpeaker", &CPhoneSettings::bKeepSpeaker, 1),
    Key("Options", "AreaCode", &CPhoneSettings::AreaCode, "111"),
    // The user's country, ISO 3166 ("DE"): how callers' numbers are read
    // and shown. "" takes it from the locale.
    Key("Options", "sCountry", &CPhoneSettings::sCountry, ""),
    Key("Options", "bRecordOriginated", &CPhoneSettings::bRecordOriginated, 0),
    Key("Options", "bEMailCID", &CPhoneSettings::bEMailCID, 0),
    Key("Options", "bEAttachVoice", &CPhoneSettings::bEAttachVoice, 0),
    Key("Options", "bEDialUp", &CPhoneSettings::bEDialUp, 0),
    Key("Options", "bECIDSubj", &CPhoneSettings::bECIDSubj, 0),
    Key("Options", "nEWaitSeconds", &CPhoneSettings::nEWaitSeconds, 30),
    Key("Options", "m_sSmtp", &CPhoneSettings::m_sSmtp, ""),
    Key("Options", "m_sOriginatorName", &CPhoneSettings::m_sOriginatorName, ""),
    Key("Options", "m_sOriginatorAddress", &CPhoneSettings::m_sOriginatorAddress, ""),
    Key("Options", "m_sRecipsName", &CPhoneSettings::m_sRecipsName, ""),
    Key("Options", "m_sRecipsAdderss", &CPhoneSettings::m_sRecipsAdderss, ""),
    Key("Options", "m_sSubject", &CPhoneSettings::m_sSubject, ""),
    Key("Options", "m_nSmtpPort", &CPhoneSettings::m_nSmtpPort, 25),
    Key("Options", "m_nSmtpSecurity", &CPhoneSettings::m_nSmtpSecurity, 0),
    Key("Options", "m_sSmtpUser", &CPhoneSettings::m_sSmtpUser, ""),
    Key("Options", "m_sSmtpPassword", &CPhoneSettings::m_sSmtpPassword, ""),
    Key("Options", "nMailRetryHours", &CPhoneSettings::nMailRetryHours, 24),
    Key("Options", "m_PagerType", &CPhoneSettings::m_PagerType, 0),
    ValueOf("Options", "m_PagerPort", &CPhoneSettings::m_PagerPort, "nComPort"),
    Key("Options", "m_PagerRetries", &CPhoneSettings::m_PagerRetries, 1),
    Key("Options", "m_PagerDelay", &CPhoneSettings::m_PagerDelay, 10),
    Key("Options", "m_PagerBlock", &CPhoneSettings::m_PagerBlock, 80),
    Key("Options", "m_PagerAccount", &CPhoneSettings::m_PagerAccount, ""),
    Key("Options", "m_PagerMessage", &CPhoneSettings::m_PagerMessage, ""),
    Key("Options", "m_PagerPhone", &CPhoneSettings::m_PagerPhone, ""),
    Key("Options", "m_PagerSerialSetting", &CPhoneSettings::m_PagerSerialSetting, "1200,E,7,1"),
    Key("Options", "TTS_bEnable", &CPhoneSettings::TTS_bEnable, 0),
    Key("Options", "TTS_bIncoming", &CPhoneSettings::TTS_bIncoming, 1),
    Key("Options", "TTS_bName", &CPhoneSettings::TTS_bName, 1),
    Key("Options", "TTS_bNumber", &CPhoneSettings::TTS_bNumber, 1),
    Key("Options", "TTS_bOnlyName", &CPhoneSettings::TTS_bOnlyName, 0),
    Key("Options", "TTS_bSpellNA", &CPhoneSettings::TTS_bSpellNA, 1),
    Key("Options", "TTS_times", &CPhoneSettings::TTS_times, 1),
    FromStringTable("Options", "TTS_sIncoming", &CPhoneSettings::TTS_sIncoming, 57930),
    FromStringTable("Options", "TTS_sName", &CPhoneSettings::TTS_sName, 57893),
    FromStringTable("Options", "TTS_sNumber", &CPhoneSettings::TTS_sNumber, 57891),
    Key("Options", "TTS_index", &CPhoneSettings::TTS_index, 0),
    Key("Options", "DTMF_0", DtmfSlot{0}, 0),
    Key("Options", "DTMF_1", DtmfSlot{1}, 0),
    Key("Options", "DTMF_2", DtmfSlot{2}, 0),
    Key("Options", "DTMF_3", DtmfSlot{3}, 0),
    Key("Options", "DTMF_4", DtmfSlot{4}, 0),
    Key("Options", "DTMF_5", DtmfSlot{5}, 0),
    Key("Options", "DTMF_6", DtmfSlot{6}, 0),
    Key("Options", "DTMF_7", DtmfSlot{7}, 0),
    Key("Options", "DTMF_8", DtmfSlot{8}, 0),
    Key("Options", "DTMF_9", DtmfSlot{9}, 0),
    Key("Options", "DTMF_A", DtmfSlot{10}, 0),
    Key("Options", "DTMF_B", DtmfSlot{11}, 0),
    Key("Options", "DTMF_C", DtmfSlot{12}, 0),
    Key("Options", "DTMF_D", DtmfSlot{13}, 0),
    Key("Options", "DTMF_STAR", DtmfSlot{14}, 30), // remote access
    Key("Options", "DTMF_NUM", DtmfSlot{15}, 0),
    Key("Options", "bFlashKeyb", &CPhoneSettings::bFlashKeyb, 0),
    Key("Options", "bPinDial", &CPhoneSettings::bPinDial, 1),
    Key("Options", "nTAPILine", &CPhoneSettings::nTAPILine, 0),
    Key("Options", "bShowCidName", &CPhoneSettings::bShowCidName, 0),
    Key("Options", "bSwapName", &CPhoneSettings::bSwapName, 0),
    Key("Options", "bUnattendedMail", &CPhoneSettings::bUnattendedMail, 1),
    Key("Options", "bUnattendedPage", &CPhoneSettings::bUnattendedPage, 1),
    Key("Options", "m_nPIN", &CPhoneSettings::m_nPIN, 0),
    Key("Options", "sPin", &CPhoneSettings::sPin, ""),
    Key("Options", "bPinTTS", &CPhoneSettings::bPinTTS, 0),
    Key("Options", "bPinInstruct", &CPhoneSettings::bPinInstruct, 1),
    Key("Options", "bPinRequest", &CPhoneSettings::bPinRequest, 1),
    Key("Options", "bPinConfirm", &CPhoneSettings::bPinConfirm, 1),
    Key("Options", "sPinInstruct", &CPhoneSettings::sPinInstruct, ""),
    Key("Options", "sPinRequest", &CPhoneSettings::sPinRequest, "./wave/Passwrdq.wav"),
    Key("Options", "sPinConfirm", &CPhoneSettings::sPinConfirm, ""),
    Key("Options", "bBodyPrefix", &CPhoneSettings::bBodyPrefix, 1),
    Key("Options", "bBodyName", &CPhoneSettings::bBodyName, 1),
    Key("Options", "bBodyNumber", &CPhoneSettings::bBodyNumber, 1),
    Key("Options", "bBodyDate", &CPhoneSettings::bBodyDate, 1),
    Key("Options", "bBodyTime", &CPhoneSettings::bBodyTime, 1),
    Key("Options", "bBodyLineBreaks", &CPhoneSettings::bBodyLineBreaks, 1),
    Key("Options", "bBodyPin", &CPhoneSettings::bBodyPin, 1),
    FromStringTable("Options", "sBodyPrefix", &CPhoneSettings::sBodyPrefix, 57964),
    FromStringTable("Options", "sBodyName", &CPhoneSettings::sBodyName, 57989),
    FromStringTable("Options", "sBodyNumber", &CPhoneSettings::sBodyNumber, 57986),
    FromStringTable("Options", "sBodyDate", &CPhoneSettings::sBodyDate, 57987),
    FromStringTable("Options", "sBodyTime", &CPhoneSettings::sBodyTime, 57988),
    FromStringTable("Options", "sBodyPin", &CPhoneSettings::sBodyPin, 1004),
    Key("Options", "sScheduleGreeting", &CPhoneSettings::sScheduleGreeting, ""),
    Key("Options", "bScheduleGreeting", &CPhoneSettings::bScheduleGreeting, 0),
    Key("Options", "bAlphaConvert", &CPhoneSettings::bAlphaConvert, 1),
    Key("Options", "bRecAll", &CPhoneSettings::bRecAll, 1),
    Key("Options", "bHandsetStart", &CPhoneSettings::bHandsetStart, 0),
    Key("Options", "bHandsetStop", &CPhoneSettings::bHandsetStop, 0),
    Key("Options", "bHilightNew", &CPhoneSettings::bHilightNew, 1),
    Key("Options", "sProfileDir", &CPhoneSettings::sProfileDir, ""),
    Key("Options", "bPageContactsOnly", &CPhoneSettings::bPageContactsOnly, 0),
    Key("Options", "bEmailContactsOnly", &CPhoneSettings::bEmailContactsOnly, 0),
    Key("Options", "bUseSoundIntervals", &CPhoneSettings::bUseSoundIntervals, 0),
    Key("Options", "iSoundInterval", &CPhoneSettings::iSoundInterval, 60),
    Key("Options", "sWaveNewMessage", &CPhoneSettings::sWaveNewMessage, ""),
    Key("Options", "bEMailCompress", &CPhoneSettings::bEMailCompress, 0),
    Key("Options", "bTollSaver", &CPhoneSettings::bTollSaver, 0),
    Key("Options", "strPinArray", &CPhoneSettings::strPinArray, ""),
    InProgramFolder("Options", "sFileContacts", &CPhoneSettings::sFileContacts, "minidb.dat"),
    Key("Options", "sWaveNoNewMessages", &CPhoneSettings::sWaveNoNewMessages,
        "./wave/nonewmsg.wav"),
    Key("Options", "sWaveRemoteGlobal", &CPhoneSettings::sWaveRemoteGlobal, "./wave/silence.wav"),
    Key("Options", "sWaveSilence", &CPhoneSettings::sWaveSilence, "./wave/silence.wav"),
    Key("Options", "bIgnoreBusy", &CDriverSettings::bIgnoreBusy, 0),
    Key("Options", "bRunProg", &CPhoneSettings::bRunProg, 0),
    Key("Options", "bRunDisableBlack", &CPhoneSettings::bRunDisableBlack, 1),
    Key("Options", "bRunPause", &CPhoneSettings::bRunPause, 0),
    Key("Options", "bRunAfter", &CPhoneSettings::bRunAfter, 0),
    Key("Options", "sRunApp", &CPhoneSettings::sRunApp, ""),
    Key("Options", "sRunParam", &CPhoneSettings::sRunParam, R"("call.number" "call.name")"),
    Key("Options", "bRunNotAnsw", &CPhoneSettings::bRunNotAnsw, 0),
    Key("Options", "nFwdMethod", &CPhoneSettings::nFwdMethod, 0),
    Key("Options", "bFwdBlack", &CPhoneSettings::bFwdBlack, 0),
    Key("Options", "sFwdPhone", &CPhoneSettings::sFwdPhone, ""),
    Key("Options", "m_iVolume", &CPhoneSettings::m_iVolume, 50),
    ReadTwice("Options", "bCompressWav", &CPhoneSettings::bCompressWav, "fUseComvurgent"),
    Key("Options", "dwDialFor", &CDriverSettings::dwDialFor, 60000),
    Key("Options", "fKestrixCustomization", &CPhoneSettings::fKestrixCustomization, 0),
    Key("Options", "sKestrixThisComputerID", &CPhoneSettings::sKestrixThisComputerID, "00"),
    Key("Options", "sKestrixPass", &CPhoneSettings::sKestrixPass, "pelmo"),
    Key("Options", "bFilterCalls", &CPhoneSettings::bFilterCalls, 1),
    Key("Options", "bRecordImmediately", &CPhoneSettings::bRecordImmediately, 1),
    Key("Options", "sModem", &CPhoneSettings::sModem, ".Custom"),
    Key("Options", "sPath", &CWorkerSettings::sPath, ""),
    // Call indexes written before the program wrote UTF-8 hold names in this
    // code page; the call list reads what is not UTF-8 in it.
    Key("Options", "sLegacyCodePage", &CPhoneSettings::sLegacyCodePage, "WINDOWS-1252"),
    // The generic USB adapter (fUseHiPhone): the sound card on the line, by
    // name ("" the default card), and the input device of its hook, keypad
    // and ring ("" none).
    Key("Options", "sAdapterSoundCard", &CPhoneSettings::sAdapterSoundCard, ""),
    Key("Options", "sTalkSoundCard", &CPhoneSettings::sTalkSoundCard, ""),
    Key("Options", "bTalkStereo", &CPhoneSettings::bTalkStereo, 0),
    Key("Options", "sAdapterInput", &CPhoneSettings::sAdapterInput, ""),
    Key("Options", "g_bFixedFont", &CGlobalSettings::g_bFixedFont, 1),
    Key("Sounds", "sWaveRingIn", &CPhoneSettings::sWaveRingIn, "./wave/ringin.wav"),
    Key("Sounds", "sWaveWait", &CPhoneSettings::sWaveWait, "./wave/wait.wav"),
    Key("Sounds", "sWaveHold", &CPhoneSettings::sWaveHold, "./wave/hold.wav"),
    Key("Sounds", "sWaveGreet", &CPhoneSettings::sWaveGreet, "./wave/greet.wav"),
    Key("Sounds", "sWaveGreet2", &CPhoneSettings::sWaveGreet2, "./wave/greet.wav"),
    Key("Sounds", "sWaveAltGreet", &CPhoneSettings::sWaveAltGreet, "./wave/greet.wav"),
    Key("Sounds", "sWaveCompressedHold", &CPhoneSettings::sWaveCompressedHold, "./dev/hold"),
    Key("Sounds", "sWaveClick", &CPhoneSettings::sWaveClick, "./wave/signon.wav"),
    Key("Settings", "sfDate", &CPhoneSettings::sfDate, "ddd, MMMM dd"),
    Key("Settings", "sfTime", &CPhoneSettings::sfTime, "HH:mm"),

    WriteOnly("Options", "sFormat5", &CPhoneSettings::sFormat5, ""),
    WriteOnly("Options", "sFormat6", &CPhoneSettings::sFormat6, ""),
    WriteOnly("Options", "sFormat7", &CPhoneSettings::sFormat7, ""),
    WriteOnly("Options", "sFormat8", &CPhoneSettings::sFormat8, ""),
    WriteOnly("Options", "sFormat9", &CPhoneSettings::sFormat9, ""),
    WriteOnly("Options", "sFormat10", &CPhoneSettings::sFormat10, ""),
    WriteOnly("Options", "sFormat11", &CPhoneSettings::sFormat11, ""),
    WriteOnly("Options", "sFormat12", &CPhoneSettings::sFormat12, ""),
    WriteOnly("Options", "sFormat13", &CPhoneSettings::sFormat13, ""),
    WriteOnly("Options", "g_iFontHeight", &CGlobalSettings::g_iFontHeight, 0),
    // 1033: English (United States), the language of the string table.
    WriteOnly("Startup", "iLangID", &CGlobalSettings::iLangID, 1033),
};

// Keys start-up and the windows read and write one at a time.
const SettingKey kStandaloneKeys[] = {
    // Set to 0 at every start.
    Standalone("Startup", "bProperShutdown", SettingType::Bool, 0),
    Standalone("Options", "bFlashOnNewMsg", SettingType::Bool, 0),
    // Titles of dial-up windows, ";" between them.
    Standalone("Options", "arRASWindows",
               "Dial-Up Networking;Dial-up Connection;Connect To;Dialing Progress;\t\tConnecting "
               "to;Connessione a"),
    Standalone("Options", "bUseWindowSchedule", SettingType::Bool, 1),
    // Call screening paused: switched by the tray, external control and the
    // options while the program runs, and read for each call; no holder keeps
    // a copy that a later save could write back.
    Standalone("Options", "bScreeningPaused", SettingType::Bool, 0),
    // The main window's recording consent box.
    Standalone("Options", "Legal", SettingType::Bool, 0),
    // The main window's place and state.
    Standalone("Options", "PosX", SettingType::Int, 0),
    Standalone("Options", "PosY", SettingType::Int, 0),
    Standalone("Options", "SizeX", SettingType::Int, 0),
    Standalone("Options", "SizeY", SettingType::Int, 0),
    Standalone("Options", "dwWindowState", SettingType::Int, 0),
    // Events out to a home-automation broker (MQTT), read when the program starts.
    Standalone("MQTT", "bEnable", SettingType::Bool, 0),
    Standalone("MQTT", "sHost", ""),
    Standalone("MQTT", "nPort", SettingType::Int, 1883),
    Standalone("MQTT", "nSecurity", SettingType::Int, 0),
    Standalone("MQTT", "sCaFile", ""),
    Standalone("MQTT", "sUser", ""),
    Standalone("MQTT", "sPassword", ""),
    Standalone("MQTT", "sTopicPrefix", "vorella"),
    Standalone("MQTT", "bCommands", SettingType::Bool, 0),
    // The web page of the service: off until switched on; on 127.0.0.1
    // unless a LAN address is chosen. nHttps -1: HTTPS when the address is
    // not a loopback one. No certificate files given: the program makes its
    // own at first start. sPasswordHash: the login's argon2id hash string.
    Standalone("Web", "bEnable", SettingType::Bool, 0),
    Standalone("Web", "sListenAddress", "127.0.0.1"),
    Standalone("Web", "nPort", SettingType::Int, 8640),
    Standalone("Web", "nHttps", SettingType::Int, -1),
    Standalone("Web", "sCertFile", ""),
    Standalone("Web", "sKeyFile", ""),
    Standalone("Web", "sPasswordHash", ""),
};

// The key named "Section/key", or "key" alone when only one section has a
// key of that name (a name two sections share finds nothing unqualified, so
// neither is read in place of the other).
const SettingKey* FindIn(std::span<const SettingKey> keys, std::string_view name,
                         const SettingKey* found, bool& ambiguous) {
    const size_t slash = name.find('/');
    const std::string_view section = slash == std::string_view::npos ? "" : name.substr(0, slash);
    const std::string_view key = slash == std::string_view::npos ? name : name.substr(slash + 1);
    for (const SettingKey& k : keys) {
        if (key != k.key || (!section.empty() && section != k.section))
            continue;
        if (found)
            ambiguous = true;
        found = &k;
    }
    return found;
}

} // namespace

std::span<const SettingKey> SettingKeys() {
    return kSettingKeys;
}

std::span<const SettingKey> StandaloneSettingKeys() {
    return kStandaloneKeys;
}

const SettingKey* FindSettingKey(const char* key) {
    bool ambiguous = false;
    const SettingKey* k = FindIn(kSettingKeys, key, nullptr, ambiguous);
    k = FindIn(kStandaloneKeys, key, k, ambiguous);
    return ambiguous ? nullptr : k;
}
