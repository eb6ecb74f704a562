#include "app/OptionsLogic.h"

#include "app/AdapterChoices.h"
#include "audio/SilenceDetection.h"
#include "audio/SoundBackend.h"

#include "config/DataFolder.h"
#include "config/GreetingSchedule.h"
#include "config/SettingsProvider.h"
#include "engine/RemoteAccess.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPorts.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

int CompatStepFor(bool bCompat, int nDebugLevel) {
    if (nDebugLevel != 0)
        return 0;
    return bCompat ? 1 : 2;
}

void ApplyCompatStep(int nStep, bool* pbCompat, int* pnDebugLevel) {
    *pbCompat = nStep != 2;
    *pnDebugLevel = nStep == 0 ? 1 : 0;
}

int SilenceThresholdShown(int iSilenceDetectionSensitivity) {
    if (iSilenceDetectionSensitivity < 0)
        return CSilenceDetection::kDefaultThreshold;
    return std::min(iSilenceDetectionSensitivity, kMaxSilenceThreshold);
}

OptionsValues FillOptions(const CSettingsHolders& h) {
    const CPhoneSettings& p = h.phone;
    const CDriverSettings& d = h.driver;
    OptionsValues v;
    v.sDataPath = h.worker.sPath;
    v.bStartToTray = h.global.ShowMainDlg == 0;
    v.bPopup = p.iPopup != 0;
    v.bCompressWav = p.bCompressWav;

    v.bRecordAll = p.bHandsetStart;
    v.nUnattendedSeconds = d.dwInactiveTimer / 1000;
    v.nSilenceSeconds = d.iSilenceDetectionTimeout / 10;
    v.nSilenceThreshold = SilenceThresholdShown(d.iSilenceDetectionSensitivity);
    v.nCompatStep = CompatStepFor(d.bCompat, p.nDebugLevel);

    v.bEmail = p.bEMailCID != 0;
    v.bSmtpDirect = p.bEMailCID != 1;
    v.nRings = p.nRings;
    v.sRecipient = p.m_sRecipsAdderss;
    v.sSmtp = p.m_sSmtp;
    v.nSmtpPort = p.m_nSmtpPort > 0 ? p.m_nSmtpPort : 25;
    v.nSmtpSecurity = std::clamp(p.m_nSmtpSecurity, 0, 2);
    v.sSmtpUser = p.m_sSmtpUser;
    v.sSmtpPassword = p.m_sSmtpPassword;
    v.nMailRetryHours = p.nMailRetryHours;

    v.nDeviceKind = p.fUseHiPhone ? kKindUsbAdapter : p.nTAPI;
    v.nComPort = d.nComPort;
    v.sModem = p.sModem;
    v.nTapiLine = p.nTAPILine;
    v.sAdapterSoundCard = p.sAdapterSoundCard;
    v.sAdapterInput = p.sAdapterInput;
    v.sTalkSoundCard = p.sTalkSoundCard;
    v.bTalkStereo = p.bTalkStereo;

    v.sWaveGreet = p.sWaveGreet;
    v.sWaveHold = p.sWaveHold;
    v.sWaveWait = p.sWaveWait;
    v.sWaveCompressedHold = p.sWaveCompressedHold;

    v.sCountry = p.sCountry;
    v.nBlackAction = p.nBlackAction;
    v.bDropBlackCalls = p.bDropBlackCalls;
    v.nWhiteAction = p.nWhiteAction;
    v.bScreeningPaused = SettingsProvider().GetBool("bScreeningPaused");
    v.nRepeatCallerMinutes = p.nRepeatCallerMinutes;
    v.bChallengeUnknown = p.bChallengeUnknown;
    v.bEmailContactsOnly = p.bEmailContactsOnly;
    v.sFileContacts = p.sFileContacts;
    v.announce = AnnounceSettings::From(p);
    v.sPin = p.sPin.empty() && p.m_nPIN != 0 ? std::to_string(p.m_nPIN) : p.sPin;
    v.sMorePins = JoinSettingList(p.strPinArray);
    v.bPinInstruct = p.bPinInstruct;
    v.sPinInstruct = p.sPinInstruct;
    v.sPinRequest = p.sPinRequest;
    v.sWaveRemoteGlobal = p.sWaveRemoteGlobal;
    v.sWaveNewMessage = p.sWaveNewMessage;
    v.sWaveNoNewMessages = p.sWaveNoNewMessages;
    v.bTollSaver = p.bTollSaver;
    v.bScheduleGreeting = p.bScheduleGreeting;
    v.sScheduleGreeting = p.sScheduleGreeting;
    v.events = EventsValues::From(p, SettingsProvider());
    v.web = ReadWebSettings();
    return v;
}

OptionsOutcome ApplyOptions(const OptionsValues& v, const CSettingsHolders& h) {
    CPhoneSettings& p = h.phone;
    CDriverSettings& d = h.driver;
    OptionsOutcome out;

    // Step 3: the data path and the General page.
    out.bDataPathChanged = v.sDataPath != h.worker.sPath;
    h.worker.sPath = v.sDataPath;
    out.sDataPath = v.sDataPath;
    h.global.ShowMainDlg = v.bStartToTray ? 0 : 1;
    // A pop-up mode other than plain "on" is kept while the box stays ticked.
    if (!v.bPopup)
        p.iPopup = 0;
    else if (p.iPopup == 0)
        p.iPopup = 1;
    p.bCompressWav = v.bCompressWav;

    // Step 4: e-mail.
    p.bEMailCID = !v.bEmail ? 0 : (v.bSmtpDirect ? 2 : 1);
    p.m_sRecipsAdderss = v.sRecipient;
    p.nRings = v.nRings;
    p.m_sSmtp = v.sSmtp;
    p.m_nSmtpPort = v.nSmtpPort;
    p.m_nSmtpSecurity = v.nSmtpSecurity;
    p.m_sSmtpUser = v.sSmtpUser;
    p.m_sSmtpPassword = v.sSmtpPassword;
    p.nMailRetryHours = v.nMailRetryHours;

    // Step 5: port and modem profile; an empty choice keeps the one in use.
    d.nComPort = v.nComPort;
    if (!v.sModem.empty())
        p.sModem = v.sModem;

    // Step 6: the device kind.
    const int oldKind = p.fUseHiPhone ? kKindUsbAdapter : p.nTAPI;
    out.bDeviceKindChanged = oldKind != v.nDeviceKind;
    p.nTAPI = v.nDeviceKind;
    p.fUseHiPhone = v.nDeviceKind == kKindUsbAdapter;
    p.fUseComvurgent = v.nDeviceKind == kKindExtension;
    out.bKindBeep = v.nDeviceKind == kKindExtension;
    p.nTAPILine = v.nTapiLine;
    out.bAdapterChanged = p.fUseHiPhone && (p.sAdapterSoundCard != v.sAdapterSoundCard ||
                                            p.sAdapterInput != v.sAdapterInput);
    p.sAdapterSoundCard = v.sAdapterSoundCard;
    p.sAdapterInput = v.sAdapterInput;
    p.sTalkSoundCard = v.sTalkSoundCard;
    p.bTalkStereo = v.bTalkStereo;

    // Step 8: the Advanced page, the sounds and screening.
    d.iSilenceDetectionSensitivity = v.nSilenceThreshold;
    d.dwInactiveTimer = v.nUnattendedSeconds * 1000;
    d.iSilenceDetectionTimeout = v.nSilenceSeconds * 10;
    d.bSilenceDetection = d.iSilenceDetectionTimeout != 0;
    p.bHandsetStart = v.bRecordAll;
    p.bHandsetStop = v.bRecordAll;
    p.bRecAll = true;
    p.sWaveGreet = v.sWaveGreet;
    p.sWaveHold = v.sWaveHold;
    p.sWaveWait = v.sWaveWait;
    p.sWaveCompressedHold = v.sWaveCompressedHold;
    p.sCountry = v.sCountry;
    p.nBlackAction = v.nBlackAction;
    p.bDropBlackCalls = v.bDropBlackCalls;
    p.nWhiteAction = v.nWhiteAction;
    if (v.bScreeningPaused != SettingsProvider().GetBool("bScreeningPaused"))
        SettingsProvider().SetInt("bScreeningPaused", v.bScreeningPaused ? 1 : 0);
    p.nRepeatCallerMinutes = v.nRepeatCallerMinutes;
    p.bChallengeUnknown = v.bChallengeUnknown;
    p.bEmailContactsOnly = v.bEmailContactsOnly;
    p.sFileContacts = v.sFileContacts;
    v.announce.StoreTo(p);
    v.events.StoreTo(p);
    // The MQTT service reads its keys when it starts: it starts again.
    if (v.events.mqtt != MqttSettings::Read(SettingsProvider())) {
        out.bMqttChanged = true;
        if (!v.events.mqtt.Write(SettingsProvider()))
            out.sSaveError = "the MQTT settings could not be written to " + GetSettingsPath();
    }
    // So does the web page.
    if (v.web != ReadWebSettings()) {
        out.bWebChanged = true;
        if (!WriteWebSettings(v.web))
            out.sSaveError = "the web page's settings could not be written to " + GetSettingsPath();
    }
    // The PIN's digits live in sPin from now on; the old integer would bring
    // back a PIN the user removed.
    p.sPin = v.sPin;
    p.m_nPIN = 0;
    p.strPinArray = SplitSettingList(v.sMorePins);
    p.bPinInstruct = v.bPinInstruct;
    p.sPinInstruct = v.sPinInstruct;
    p.sPinRequest = v.sPinRequest;
    p.sWaveRemoteGlobal = v.sWaveRemoteGlobal;
    p.sWaveNewMessage = v.sWaveNewMessage;
    p.sWaveNoNewMessages = v.sWaveNoNewMessages;
    p.bTollSaver = v.bTollSaver;
    p.bScheduleGreeting = v.bScheduleGreeting;
    p.sScheduleGreeting = v.sScheduleGreeting;

    // Step 9: the compatibility step.
    ApplyCompatStep(v.nCompatStep, &d.bCompat, &p.nDebugLevel);
    return out;
}

namespace {

// A port's device: a character device, a pseudo-terminal or a link to one.
bool DevicePresent(const std::string& device) {
    struct stat st {};
    return ::stat(device.c_str(), &st) == 0;
}

std::string FolderProblem(const std::string& sDataPath) {
    const std::string folder = DataFolderFromPath(sDataPath);
    if (!DirectoryExists(folder))
        return "The folder for recorded calls does not exist: " + folder;
    if (access(folder.c_str(), R_OK | W_OK | X_OK) != 0)
        return "Vorella cannot read and write the folder for recorded calls: " + folder;
    return {};
}

} // namespace

OptionsCheck CheckOptions(const OptionsValues& chosen, const OptionsValues& before,
                          ISoundBackend* pBackend) {
    OptionsCheck check;
    if (chosen.nComPort != before.nComPort && chosen.nComPort >= 1 &&
        chosen.nDeviceKind == kKindSerialModem) {
        const std::string device = ComPortDevice(chosen.nComPort);
        if (device.empty())
            check.errors.push_back(ComPortName(chosen.nComPort) +
                                   " is tied to no device in the [Ports] table.");
        else if (!DevicePresent(device))
            check.errors.push_back(ComPortName(chosen.nComPort) + " (" + device +
                                   ") is not there: the device does not exist.");
    }
    if (chosen.sDataPath != before.sDataPath)
        if (std::string problem = FolderProblem(chosen.sDataPath); !problem.empty())
            check.errors.push_back(problem);
    if (chosen.sModem.empty() && chosen.nDeviceKind == kKindSerialModem)
        check.warnings.push_back("No modem profile is chosen; the profile \"" + before.sModem +
                                 "\" stays in use.");
    // The adapter's choices, once the adapter is chosen or they change.
    if (chosen.nDeviceKind == kKindUsbAdapter &&
        (before.nDeviceKind != kKindUsbAdapter ||
         chosen.sAdapterSoundCard != before.sAdapterSoundCard ||
         chosen.sAdapterInput != before.sAdapterInput))
        for (std::string& w : AdapterChoiceWarnings(pBackend ? *pBackend : GetSoundBackend(),
                                                    chosen.sAdapterSoundCard, chosen.sAdapterInput))
            check.warnings.push_back(std::move(w));
    // The card to talk through, once chosen anew (it may be plugged in later).
    if (!chosen.sTalkSoundCard.empty() && chosen.sTalkSoundCard != before.sTalkSoundCard &&
        !SoundCardListed(pBackend ? *pBackend : GetSoundBackend(), chosen.sTalkSoundCard))
        check.warnings.push_back("The sound card " + chosen.sTalkSoundCard +
                                 " for talking at the PC is not there now.");
    // The line's screening opens the contacts file once, at the start.
    if (chosen.sFileContacts != before.sFileContacts || chosen.sCountry != before.sCountry)
        check.warnings.push_back("The contacts file and the country of the numbers are used "
                                 "for screening calls from the next start of Vorella.");
    // A PIN that would leave remote access off is refused (never shown).
    if (chosen.sPin != before.sPin || chosen.sMorePins != before.sMorePins) {
        std::vector<std::string> pins = SplitSettingList(chosen.sMorePins);
        pins.insert(pins.begin(), chosen.sPin);
        for (const std::string& pin : pins)
            if (std::string problem = PinFieldProblem(pin); !problem.empty()) {
                check.errors.push_back("Remote access: " + problem + ".");
                break;
            }
    }
    if (chosen.sScheduleGreeting != before.sScheduleGreeting ||
        chosen.bScheduleGreeting != before.bScheduleGreeting) {
        if (const GreetingSchedule s = ParseGreetingSchedule(chosen.sScheduleGreeting);
            !s.sError.empty())
            check.errors.push_back("The greeting schedule cannot be read: " + s.sError + ".");
    }
    if (chosen.web.bEnable && !IsIpAddress(chosen.web.sListenAddress) &&
        (!before.web.bEnable || chosen.web.sListenAddress != before.web.sListenAddress))
        check.errors.push_back("The web page's address to listen on must be an IP address: "
                               "127.0.0.1 for this computer only, 0.0.0.0 for every network.");
    if (chosen.nSmtpPort < 1 || chosen.nSmtpPort > 65535)
        check.errors.push_back("The SMTP port must be a number from 1 to 65535.");
    return check;
}
