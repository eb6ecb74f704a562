// The options dialog without its widgets: the values its pages show,
// filled from the settings when it opens and written back on OK in the
// dialog's order. The settings belong to the worker, so both run on the
// worker's thread (IAppWorker::ReadOptions / ApplyOptions); the checks of
// what the user typed run on the UI thread before OK is accepted.
#pragma once

#include "app/EventsOptions.h"
#include "config/SettingsStore.h"
#include "engine/SetupChoice.h"
#include "speech/Announcement.h"
#include "web/WebSettings.h"

#include <string>
#include <vector>

class ISoundBackend;

// The "&Modem driver:" choice is a SetupDeviceKind (nTAPI, with
// fUseHiPhone and fUseComvurgent), as on the set-up wizard's access page.

// The compatibility slider: 0 most compatible (with the modem log), 2 fastest.
int CompatStepFor(bool bCompat, int nDebugLevel);
void ApplyCompatStep(int nStep, bool* pbCompat, int* pnDebugLevel);

// The silence detection threshold slider: 0 to 200. A threshold never
// chosen (below 0) shows as the detector's own, so OK stores what is shown.
inline constexpr int kMaxSilenceThreshold = 200;
int SilenceThresholdShown(int iSilenceDetectionSensitivity);

struct OptionsValues {
    // General
    bool bAutoStart = false; // not a setting: the autostart entry
    std::string sDataPath;   // the worker's data path (Options/sPath)
    bool bStartToTray = false;
    bool bPopup = true;
    bool bCompressWav = false;

    // Advanced
    bool bRecordAll = false; // recording follows the handset
    int nUnattendedSeconds = 60;
    int nSilenceSeconds = 5;
    int nSilenceThreshold = 50; // the slider's, 0 to kMaxSilenceThreshold
    int nCompatStep = 1;

    // E-Mail
    bool bEmail = false;
    bool bSmtpDirect = true;
    int nRings = 1;
    std::string sRecipient;
    std::string sSmtp;
    int nSmtpPort = 25;
    int nSmtpSecurity = 0;
    std::string sSmtpUser;
    std::string sSmtpPassword;
    int nMailRetryHours = 0; // as the settings hold it (nMailRetryHours)

    // Telephone Device
    int nDeviceKind = kKindSerialModem;
    int nComPort = -1;
    std::string sModem;
    int nTapiLine = 0;
    // Not a setting: the SIP accounts dialog saved new accounts, so the
    // telephony line is made again on OK.
    bool bSipAccountsChanged = false;
    std::string sAdapterSoundCard; // the USB adapter's sound card, by name
    std::string sAdapterInput;     // and its input device ("" none)
    // Talking at the PC on a telephony line: the sound card ("" the
    // desktop's default) and a talked call recorded in stereo.
    std::string sTalkSoundCard;
    bool bTalkStereo = false;

    // Sounds: the three shown, and the fourth kept as it is
    std::string sWaveGreet;
    std::string sWaveHold;
    std::string sWaveWait;
    std::string sWaveCompressedHold;
    // The greeting chosen by day and time (config/GreetingSchedule.h).
    bool bScheduleGreeting = false;
    std::string sScheduleGreeting;

    // Screening
    std::string sCountry; // ISO 3166 code; "" from the locale
    int nBlackAction = 0; // 0 shown as blocked, 1 hung up, 2 not in service, 3 a message
    bool bDropBlackCalls = false;
    int nWhiteAction = 0; // 0 as any caller, 1 never answered, 2 answered at the first ring
    bool bScreeningPaused = false;
    int nRepeatCallerMinutes = 0;
    bool bChallengeUnknown = false;
    bool bEmailContactsOnly = false;
    std::string sFileContacts;
    // Speech: the caller said on the sound card
    AnnounceSettings announce;
    // Remote access by phone (on the Sounds page): the PIN as typed, the
    // other PINs ";"-separated, the prompts and the toll saver.
    std::string sPin;
    std::string sMorePins;
    bool bPinInstruct = true;
    std::string sPinInstruct;
    std::string sPinRequest;
    std::string sWaveRemoteGlobal;
    std::string sWaveNewMessage;
    std::string sWaveNoNewMessages;
    bool bTollSaver = false;
    // Events: the program per call, text messages, forwarding, MQTT
    EventsValues events;
    // Web page: the [Web] keys. The password's hash is stored by its own
    // dialog at once; it is here to tell whether one is set.
    WebSettings web;
    // Not a setting: why the running web page did not start ("" none).
    std::string sWebProblem;

    bool operator==(const OptionsValues&) const = default;
};

// What OK changed beyond the settings' values.
struct OptionsOutcome {
    bool bDataPathChanged = false;
    bool bDeviceKindChanged = false;
    bool bAdapterChanged = false; // the adapter's card or input device: it is made afresh
    bool bKindBeep = false;       // kind 3 chosen: the default beep
    bool bMqttChanged = false;    // the [MQTT] keys changed: the service starts again
    bool bWebChanged = false;     // the [Web] keys changed: the page starts again
    bool bSaved = false;          // the settings file was written
    std::string sSaveError;       // else which file could not be and why
    std::string sDataPath;        // the data path after OK
};

// Opening, step 3 (the autostart entry is the caller's to read).
OptionsValues FillOptions(const CSettingsHolders& h);
// OK, steps 3 to 9 on the settings (step 2, the autostart entry, and step 7,
// the profile reload, are the caller's). An empty profile keeps sModem.
OptionsOutcome ApplyOptions(const OptionsValues& v, const CSettingsHolders& h);

// The checks of what was typed, against the values the dialog opened with:
// only what changed is checked, so a port unplugged meanwhile does not block
// the other pages. Each problem is one clear line. The adapter's sound card
// is looked for in pBackend (nullptr: the process's sound backend).
struct OptionsCheck {
    std::vector<std::string> errors;   // OK is refused
    std::vector<std::string> warnings; // OK goes on; the user is told
};
OptionsCheck CheckOptions(const OptionsValues& chosen, const OptionsValues& before,
                          ISoundBackend* pBackend = nullptr);
