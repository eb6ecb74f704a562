#include "engine/Phone.h"

#include "config/ModemType.h"
#include "config/SettingsProvider.h"
#include "config/SettingsStore.h"
#include "engine/LoggingUiBridge.h"
#include "engine/ModemUiIcon.h"
#include "engine/SerialModemDevice.h"
#include "platform/ProgramFolder.h"

namespace {

// How long the modem layer's question waits for the user before it takes
// its default: the worker cannot leave the line unwatched for ever.
constexpr uint32_t kModemQuestionWaitMs = 60000;

// The modem driver's messages and questions reach the user through the
// phone's front end: message boxes in the desktop program, log lines with the
// default answer in the service. The status line keeps the message too.
class CModemUiOnBridge : public IModemUi {
public:
    explicit CModemUiOnBridge(CPhone& phone) : m_phone(phone) {}
    void SetStatusText(const std::string& s) override { m_phone.SetStatusText(s); }
    void ShowMessage(const std::string& s, MsgIcon icon) override {
        m_phone.SetStatusText(s);
        m_phone.Ui().ShowMessageText(s, BridgeIcon(icon));
    }
    bool AskYesNo(const std::string& s, bool bDefault) override {
        return AskYesNoTextAndWait(m_phone.Ui(), s, bDefault, kModemQuestionWaitMs);
    }
    void NotifyPortScanDone() override { m_phone.Ui().PortScanDone(); }

private:
    CPhone& m_phone;
};

} // namespace

CPhone::CPhone()
    : m_pOwnUi(std::make_unique<CLoggingUiBridge>()),
      m_pModemUi(std::make_unique<CModemUiOnBridge>(*this)) {
    m_pUi = m_pOwnUi.get();
    SetDriverDefaults(m_driverSettings);
    m_factories.Register(DeviceKind::SerialModem, [this](IDeviceHost& host) {
        return std::make_unique<CSerialModemDevice>(host, MakeModemDriver(), *this);
    });
    ChooseDevice();
}

CPhone::~CPhone() {
    // The driver closes its port silently: the front end may be gone.
    if (m_pModemDriver)
        m_pModemDriver->SetUi(nullptr);
}

CCommDriver& CPhone::MakeModemDriver() {
    if (!m_pModemDriver)
        m_pModemDriver =
            std::make_unique<CCommDriver>(m_profile, m_driverSettings, m_trace, m_pModemUi.get());
    m_pModemDriver->SetDebugLevel(nDebugLevel);
    return *m_pModemDriver;
}

void CPhone::LoadAll() {
    // A modem's profile is read first, for the setting whose default comes
    // from it; no other device has one to read.
    const std::string sModemName = ReadModemName();
    ISettingsProvider& settings = SettingsProvider();
    if (ChosenDeviceKind(settings.GetBool("fUseHiPhone"), settings.GetInt("nTAPI")) ==
        DeviceKind::SerialModem)
        m_profile.Load(sModemName);
    CSettingsHolders h{*this, m_driverSettings, g_settings, m_workerSettings};
    LoadSettings(h, m_profile);
    dwTimeoutDefault = m_driverSettings.dwTimeoutDefault;
    dwTimeoutQuant = m_driverSettings.dwTimeoutQuant;
    FollowDebugLevel();
    ChooseDevice();
}

bool CPhone::SaveAll(std::string* sError) {
    CSettingsHolders h{*this, m_driverSettings, g_settings, m_workerSettings};
    return SaveSettings(h, m_profile, sError);
}

void CPhone::FollowSettings() {
    if (ChosenDeviceKind(fUseHiPhone, nTAPI) == DeviceKind::SerialModem) {
        m_profile.Load(sModem);
        TypeFromName(m_profile, sModem);
    }
    FollowDebugLevel();
}

void CPhone::FollowDebugLevel() {
    m_trace.SetDebugLevel(nDebugLevel);
    if (m_pModemDriver)
        m_pModemDriver->SetDebugLevel(nDebugLevel);
}

void CPhone::KeepVolume(int nPercent, bool bSave) {
    m_iVolume = nPercent;
    if (bSave && !SettingsProvider().SetInt("m_iVolume", nPercent))
        SetStatusText("The volume was set, but the settings file could not be written: " +
                      GetSettingsPath());
}

void CPhone::SetUi(IUiBridge* pUi) {
    m_pUi = pUi ? pUi : m_pOwnUi.get();
}

void CPhone::SetStatusText(const std::string& text) {
    {
        std::lock_guard lock(m_statusMutex);
        m_sStatus = text;
    }
    m_pUi->SetStatusText(text);
}

std::string CPhone::StatusText() const {
    std::lock_guard lock(m_statusMutex);
    return m_sStatus;
}

void CPhone::ChooseDevice() {
    // The device going stops posting before its successor starts.
    if (m_pDevice)
        m_pDevice->SetEventSink({});
    m_pDevice = m_factories.Make(ChosenDeviceKind(fUseHiPhone, nTAPI), *this);
    // Only a modem has a serial port and an AT engine.
    if (m_pDevice->Kind() != DeviceKind::SerialModem)
        m_pModemDriver.reset();
    // A device chosen anew while the worker runs (the options, the wizard)
    // reports to the worker as the old one did.
    m_pDevice->SetEventSink(m_deviceSink);
}

void CPhone::SetDeviceEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) {
    m_deviceSink = std::move(sink);
    m_pDevice->SetEventSink(m_deviceSink);
}

VoiceCodecSettings CPhone::CodecSettings() const {
    VoiceCodecSettings s;
    s.nCompression = m_profile.nCompression;
    s.nCompressionBS = m_profile.nCompressionBS;
    s.nCompressionSampleRate = m_profile.nCompressionSampleRate;
    s.bSoftAGC = bSoftAGC;
    NormalizeCompressionBits(s);
    return s;
}
