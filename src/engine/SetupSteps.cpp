#include "engine/SetupSteps.h"

#include "config/ModemType.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"

namespace {

constexpr int kCourierType = 20;
constexpr int kGsmCompression = 128;
constexpr int kCidNone = 0;
constexpr int kCidHardware = 1;
constexpr int kCidFormatted = 2;

// Caller-ID types 2 to 5 read the number at the first ring; the others need
// rings to pass before the line may be answered.
bool ReadsAtFirstRing(int nCidType) {
    return nCidType >= 2 && nCidType <= 5;
}

// Modems whose sound chain is driven in software play the tones louder.
int ToneVolumeFor(int nModemType) {
    return nModemType == 100 || nModemType == 40 ? 50 : 100;
}

void ReloadProfile(CPhone& phone) {
    phone.Profile().Load(phone.sModem);
    TypeFromName(phone.Profile(), phone.sModem);
}

void ApplySerialChoice(CPhone& phone, const SetupWizardResult& r, IUiBridge& ui, uint32_t waitMs) {
    CModemProfile& profile = phone.Profile();
    CDriverSettings& settings = phone.DriverSettings();
    settings.nComPort = r.nComPort;
    if (!r.sModem.empty())
        phone.sModem = r.sModem;
    ReloadProfile(phone);
    if (profile.m_nModemType == kCourierType)
        ui.ShowMessage(57705, MessageIcon::Information);

    if (r.nCidTypeFound >= 0)
        phone.nCIDType = r.nCidTypeFound;
    if (ReadsAtFirstRing(phone.nCIDType))
        phone.nWaitSignals = 0;
    else if (phone.nWaitSignals == 0)
        phone.nWaitSignals = phone.nRings;

    const bool bHardwareCid = !profile.sCmdEnableHardwareCID.empty();
    if (r.nCidTypeFound == kCidNone && bHardwareCid) {
        if (AskYesNoAndWait(ui, 57687, true, waitMs))
            phone.nCIDType = kCidHardware;
    } else if (r.nCidTypeFound == kCidHardware && !bHardwareCid) {
        if (AskYesNoAndWait(ui, 57688, true, waitMs)) {
            phone.nCIDType = kCidNone;
            phone.nAction = 0;
        }
    }

    settings.iSilenceDetectionSensitivity = profile.iSilenceDefault;
    phone.iToneVolume = ToneVolumeFor(profile.m_nModemType);
}

} // namespace

void ApplySetupFinish(CPhone& phone, const SetupWizardResult& r, IUiBridge& ui,
                      uint32_t questionWaitMs) {
    phone.nTAPI = r.nKind != kKindSerialModem ? 1 : 0;
    phone.fUseHiPhone = r.nKind == kKindUsbAdapter;
    phone.fUseComvurgent = r.nKind == kKindExtension;
    if (r.nKind == kKindSerialModem) {
        ApplySerialChoice(phone, r, ui, questionWaitMs);
        return;
    }
    // These devices report the caller formatted, and the port number only
    // has to say "configured".
    phone.nCIDType = kCidFormatted;
    phone.DriverSettings().nComPort = 1;
    if (phone.fUseHiPhone) {
        phone.sAdapterSoundCard = r.sAdapterSoundCard;
        phone.sAdapterInput = r.sAdapterInput;
    } else {
        phone.nTAPILine = r.nTAPILine;
    }
    phone.nWaitSignals = 0;
}

void ApplySetupCancel(CPhone& phone) {
    if (phone.nTAPI == 0)
        ReloadProfile(phone);
}

bool NeedsGsmFramingCheck(const CPhone& phone, const SetupWizardResult& r) {
    return r.bRun && !r.bCancelled && r.nKind == kKindSerialModem &&
           phone.Profile().nCompression == kGsmCompression;
}
