// What the set-up wizard starts from and what the user chose in it. The
// worker hands the first to the front end and gets the second back; the
// front end's own page logic and the worker's steps that apply the choice
// both speak these types.
#pragma once

#include <string>

// How the program reaches the telephone line; the numbers are the values the
// wizard's access page and the settings have always used.
enum SetupDeviceKind : int {
    kKindSerialModem = 0,   // a voice modem on a serial port, AT commands
    kKindTelephonyLine = 1, // a line of the telephony layer
    kKindUsbAdapter = 2,    // the USB telephone adapter
    kKindExtension = 3,     // the telephony extension device, used like a line
};

// The settings the wizard opens with.
struct SetupWizardStart {
    int nKind = kKindSerialModem;
    int nComPort = 0;
    std::string sModem;
    int nTAPILine = 0;
    std::string sAdapterSoundCard; // the USB adapter's sound card and input device
    std::string sAdapterInput;
};

struct SetupWizardResult {
    // False when the front end has nobody to ask (the service): nothing was
    // chosen and nothing is to be applied.
    bool bRun = false;
    bool bCancelled = false;
    int nKind = kKindSerialModem;
    int nComPort = 0;
    std::string sModem; // "" keeps the modem set before
    int nTAPILine = 0;
    std::string sAdapterSoundCard; // the USB adapter's, when it is the kind chosen
    std::string sAdapterInput;
    int nCidTypeFound = -1; // caller-ID type the detection found, -1 none
};

// The device kind the settings describe.
inline int SetupKindFromSettings(int nTAPI, bool fUseHiPhone, bool fUseComvurgent) {
    if (fUseHiPhone)
        return kKindUsbAdapter;
    if (fUseComvurgent)
        return kKindExtension;
    return nTAPI != 0 ? kKindTelephonyLine : kKindSerialModem;
}
