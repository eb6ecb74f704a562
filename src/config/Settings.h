// The user's settings in memory, one plain struct per holder.
//
// Every field is named exactly as its key in "vorella.ini" and has the key's
// type (int for the n/i/dw keys, bool for the b keys, std::string for the s
// keys). The values are filled by LoadSettings() and written back by
// SaveSettings() (SettingsStore.h) from one key table, so a field added here
// needs exactly one line there.
//
// Who holds what:
//   CPhoneSettings  - the phone object (CPhone derives from it)
//   CDriverSettings - the settings of the devices (CPhone holds them, the
//                     modem driver works on them)
//   CGlobalSettings - process-wide values, one instance g_settings
//   CWorkerSettings - the worker thread object (CMultiThread holds one)
// Fields start zeroed; LoadSettings() gives them their defaults.
#pragma once

#include <array>
#include <string>
#include <vector>

struct CPhoneSettings {
    int iPopupX{};
    int iPopupY{};
    int dwVersion{};
    int nSettingsVersion{};
    bool fUseHiPhone{};
    bool fUseComvurgent{};
    int nCIDType{};
    bool bRealTimeCID{};
    int dwTimeToWait{};
    int dwTimeToGet{};
    bool bActiveDelay{};
    int nPreDetectTime{};
    int nBlockTime{};
    int nMaxAttempts{};
    int nAction{};
    int nBlackAction{};
    int nWhiteAction{};
    int nRepeatCallerMinutes{}; // a screened caller ringing again this soon gets through; 0 never
    bool bChallengeUnknown{};   // unknown and withheld callers must press a key
    int step{};
    int dwBaudRate{};
    int nRings{};
    int nWaitSignals{};
    int nDebugLevel{};
    bool bSmartDigitExtraction{};
    int nSmartDigitExtractionThreshold{};
    int nDetectFakeDigits{};
    int nDigitsInNumber{};
    bool bStartDisabled{};
    int dwCadenceQuant{};
    bool bConfirmRing{};
    bool bShowNotificationDlg{};
    bool bSaveLogFile{};
    std::string sLogFileName{};
    bool bShowDlgTips{};
    int nFreqRing{};
    int nFreqRing2{};
    bool bEnableModemSpeaker{};
    bool bSoftwareToneGenerator{};
    int nReqTime{};
    bool bEnableSBOutput{};
    bool bEnableSBOutput_play{};
    int nRingEmulationLength{};
    int nRingEmulationPause{};
    bool bSoftAGC{};
    int iReqFreq{};
    int iToneVolume{};
    int nTextToSpeech{};
    bool bClick{};
    bool bSoftBusy{};
    int iBusyDiscrete{};
    int iBusySignal{};
    int iBusyTime{};
    bool bNumberOnlyCID{};
    bool bTreatZeroNumberAsUnknown{};
    bool bRingBeforeCallerID{};
    bool bAdvancedFormatting{};
    std::string sAreaMapDB{};
    bool bAnnounceState{};
    bool bAnnounceCities{};
    bool bNewDesign{};
    bool bDropBlackCalls{};
    bool bFax{};
    std::string sFaxAppName{};
    std::string sFaxParam{};
    int uiFaxSeconds{};
    int nMinFreeSeconds{}; // sound the disk must hold before the machine answers
    int iPopup{};
    int dwPopupTimer{};
    int nTAPI{};
    bool bStoreWavLogs{};
    bool bCompatibleDial{};
    std::string ld_prefix{};
    bool bUseAreaRules{};
    std::string AlwaysDial1{};
    std::string DontDial1{};
    bool AlwaysDialAll10{};
    int nFigures{};
    bool bKeepSpeaker{};
    std::string AreaCode{};
    std::string sCountry{}; // ISO 3166 code ("DE"); "" from the locale
    bool bRecordOriginated{};
    int bEMailCID{};
    bool bEAttachVoice{};
    bool bEDialUp{};
    bool bECIDSubj{};
    int nEWaitSeconds{};
    std::string m_sSmtp{};
    std::string m_sOriginatorName{};
    std::string m_sOriginatorAddress{};
    std::string m_sRecipsName{};
    std::string m_sRecipsAdderss{};
    std::string m_sSubject{};
    // The mail server's port, security (0 none, 1 STARTTLS, 2 TLS from the
    // start) and login: today's servers refuse plain port 25.
    int m_nSmtpPort{};
    int m_nSmtpSecurity{};
    std::string m_sSmtpUser{};
    std::string m_sSmtpPassword{};
    // How long a mail notice the server did not take is retried, in hours.
    int nMailRetryHours{};
    int m_PagerType{};
    int m_PagerPort{};
    int m_PagerRetries{};
    int m_PagerDelay{};
    int m_PagerBlock{};
    std::string m_PagerAccount{};
    std::string m_PagerMessage{};
    std::string m_PagerPhone{};
    std::string m_PagerSerialSetting{};
    bool TTS_bEnable{};
    bool TTS_bIncoming{};
    bool TTS_bName{};
    bool TTS_bNumber{};
    bool TTS_bOnlyName{};
    bool TTS_bSpellNA{};
    int TTS_times{};
    std::string TTS_sIncoming{};
    std::string TTS_sName{};
    std::string TTS_sNumber{};
    int TTS_index{};
    bool bFlashKeyb{};
    bool bPinDial{};
    int nTAPILine{};
    bool bShowCidName{};
    bool bSwapName{};
    bool bUnattendedMail{};
    bool bUnattendedPage{};
    int m_nPIN{};
    std::string sPin{}; // the remote-access PIN's digits as typed (m_nPIN's when empty)
    bool bPinTTS{};
    bool bPinInstruct{};
    bool bPinRequest{};
    bool bPinConfirm{};
    std::string sPinInstruct{};
    std::string sPinRequest{};
    std::string sPinConfirm{};
    bool bBodyPrefix{};
    bool bBodyName{};
    bool bBodyNumber{};
    bool bBodyDate{};
    bool bBodyTime{};
    bool bBodyLineBreaks{};
    bool bBodyPin{};
    std::string sBodyPrefix{};
    std::string sBodyName{};
    std::string sBodyNumber{};
    std::string sBodyDate{};
    std::string sBodyTime{};
    std::string sBodyPin{};
    std::string sScheduleGreeting{};
    bool bScheduleGreeting{};
    bool bAlphaConvert{};
    bool bRecAll{};
    bool bHandsetStart{};
    bool bHandsetStop{};
    bool bHilightNew{};
    std::string sProfileDir{};
    bool bPageContactsOnly{};
    bool bEmailContactsOnly{};
    bool bUseSoundIntervals{};
    int iSoundInterval{};
    std::string sWaveNewMessage{};
    bool bEMailCompress{};
    bool bTollSaver{};
    std::vector<std::string> strPinArray; // split at ";", empty parts kept
    std::string sFileContacts{};
    std::string sWaveNoNewMessages{};
    std::string sWaveRemoteGlobal{};
    std::string sWaveSilence{};
    bool bRunProg{};
    bool bRunDisableBlack{};
    bool bRunPause{};
    bool bRunAfter{};
    std::string sRunApp{};
    std::string sRunParam{};
    bool bRunNotAnsw{};
    int nFwdMethod{};
    bool bFwdBlack{};
    std::string sFwdPhone{};
    int m_iVolume{};
    bool bCompressWav{};
    bool fKestrixCustomization{};
    std::string sKestrixThisComputerID{};
    std::string sKestrixPass{};
    bool bFilterCalls{};
    bool bRecordImmediately{};
    std::string sModem{};
    std::string sWaveRingIn{};
    std::string sWaveWait{};
    std::string sWaveHold{};
    std::string sWaveGreet{};
    std::string sWaveGreet2{};
    std::string sWaveAltGreet{};
    std::string sWaveCompressedHold{};
    std::string sWaveClick{};
    std::string sfDate{};
    std::string sfTime{};
    // The 8-bit code page older call indexes were written in.
    std::string sLegacyCodePage{};
    // The generic USB adapter's sound card and input device.
    std::string sAdapterSoundCard{};
    // Talking at the PC on a telephony line: the sound card, by name ("" the
    // desktop's default), and a talked call's recording as two channels (far
    // end left, the PC's microphone right) rather than both mixed.
    std::string sTalkSoundCard{};
    bool bTalkStereo{};
    std::string sAdapterInput{};

    // Copies of the driver's AT timing, taken on every load.
    int dwTimeoutDefault{};
    int dwTimeoutQuant{};

    // Written on every save, never read back: list formats set during the run.
    std::string sFormat5{};
    std::string sFormat6{};
    std::string sFormat7{};
    std::string sFormat8{};
    std::string sFormat9{};
    std::string sFormat10{};
    std::string sFormat11{};
    std::string sFormat12{};
    std::string sFormat13{};
};

// Index of each touch-tone symbol in the driver's DTMF table.
enum DtmfIndex : int {
    kDtmf0 = 0, // 0 to 9 at indexes 0 to 9
    kDtmfA = 10,
    kDtmfB,
    kDtmfC,
    kDtmfD,
    kDtmfStar,
    kDtmfNum,
    kDtmfCount
};

struct CDriverSettings {
    int nComPort{};
    int nLineSelection{};
    int dwInactiveTimer{};
    int nCIDReqNumber{};
    bool bShortRequest{};
    bool bSafeIO{};
    bool bOverlappedIO{};
    int dwTimeoutDefault{};
    int dwTimeoutQuant{};
    bool bFasterModemInit{};
    bool bUseAltCmdTransmit{};
    int iAGC{};
    bool bPulseDial{};
    bool bTrackHandset{};
    int nVoiceRingbackGoesAway{};
    int nVoiceRingbackNeverCame{};
    int iMaxBlockWrites{};
    bool bSetupQueue{};
    int QUEUE_SIZE{};
    bool bSilenceDetection{};
    int iSilenceDetectionSensitivity{};
    int iSilenceDetectionTimeout{};
    bool bDisableModemInact{};
    bool bCompat{};
    bool bIgnoreBusy{};
    int dwDialFor{};

    // DTMF_0 .. DTMF_9, DTMF_A .. DTMF_D, DTMF_STAR, DTMF_NUM in this order.
    std::array<int, kDtmfCount> m_dtmf{};
};

struct CGlobalSettings {
    int ShowMainDlg{};
    bool bUseExternalHelp{};
    int LCD_bk{};
    int g_bFixedFont{};

    // Written on every save, never read back.
    int g_iFontHeight{};
    int iLangID{};
};

struct CWorkerSettings {
    std::string sPath{};
};

// The process-wide settings of the running program.
extern CGlobalSettings g_settings;
