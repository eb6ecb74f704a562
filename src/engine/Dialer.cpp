#include "engine/Dialer.h"

#include "engine/CallControl.h"
#include "engine/CallState.h"
#include "engine/CallerText.h"
#include "engine/DialSteps.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "modem/ResultCodes.h"

namespace {
constexpr int kStrModemNotFound = 104;
} // namespace

CDialer::CDialer(CPhone& phone, CCallStateData& state, IUiBridge& ui, ICallControl& line)
    : m_phone(phone), m_state(state), m_ui(ui), m_line(line) {}

void CDialer::SetNumber(const std::string& number) {
    std::lock_guard lock(m_mutex);
    m_sNumber = number;
}

bool CDialer::PrepareModem() {
    ITelephoneDevice& dev = m_phone.Device();
    ISerialModemExtras* modem = dev.SerialExtras();
    if (!modem)
        return true;
    CCommDriver& drv = modem->Driver();
    if (!dev.IsOpen())
        dev.Open();
    if (dev.IsOpen() && !m_state.bOffHook && !dev.InVoiceMode() && !m_phone.bCompatibleDial)
        drv.InitVoice();
    if (!dev.IsOpen()) {
        m_ui.ShowMessage(kStrModemNotFound, MessageIcon::Exclamation);
        return false;
    }
    if (!m_state.bOffHook) {
        if (m_phone.bCompatibleDial)
            drv.CommOut(drv.Profile().sCmdOffHook, kModeResult);
        if (m_phone.bEnableModemSpeaker)
            drv.CommOut(drv.Profile().sCmdSpeakerOn, kModeResult);
    }
    return true;
}

void CDialer::Dial() {
    if (m_state.bDialing.exchange(true))
        return;
    ITelephoneDevice& dev = m_phone.Device();
    std::string number;
    {
        std::lock_guard lock(m_mutex);
        number = m_sNumber;
    }
    m_state.curCall.Update([&](CNumber& c) {
        c.Reset();
        if (!number.empty())
            c.m_sDisplayNumber = SanitizeCallerText(number);
    });
    if (m_state.bPaused) {
        m_state.bPaused = false;
        m_ui.MonitoringChanged(false);
        m_line.OpenDevice();
    }
    m_state.bHangUpRequest = false;
    dev.SetStopRequest(false);
    if (!PrepareModem()) {
        m_state.bActionPending = false;
        m_state.bDialing = false;
        return;
    }
    DialPrepSettings ds;
    ds.bCompatibleDial = m_phone.bCompatibleDial;
    ds.fKestrixCustomization = m_phone.fKestrixCustomization;
    ds.bAlphaConvert = m_phone.bAlphaConvert;
    std::string dialled = PrepareDialNumber(number, ds);
    m_state.curCall.Update([&](CNumber& c) { c.m_sName = OriginatedText(number); });
    const bool bWasOffHook = m_state.bOffHook;
    const int result = dev.Dial(dialled, bWasOffHook);
    m_state.bCidReceived = true;
    m_state.bOffHook = true;
    m_nLastResult = result;
    const DialResultInfo& info = LookupDialResult(result);
    m_phone.SetStatusText(DialStatusText(result));
    if (info.bRaiseStop)
        dev.SetStopRequest(true);
    m_state.bCidReceived = info.bConnected;
    m_state.bActionPending = false;
    // On the modem its speakerphone, when asked for; on a telephony line the
    // user talks at the PC (its recording, when asked for, waits for that).
    if (info.bConnected &&
        ((m_phone.bKeepSpeaker && dev.SerialExtras()) || dev.Kind() == DeviceKind::TelephonyLine))
        m_state.bSpeakerphone = true;
    const bool bSpeak = m_bSpeak;
    if (!m_state.bHangUpRequest && info.bConnected) {
        if (!m_phone.bCompatibleDial && !m_state.bSpeakerphone)
            m_state.bTalking = true;
        m_state.bOffHook = true;
        if (m_phone.bRecordOriginated)
            m_phone.CallState().RequestAction(kActionRecord);
    } else if (!m_state.bSpeakerphone && !bSpeak) {
        m_line.StopCall();
    }
    if (bSpeak) {
        m_state.bOffHook = true;
        m_state.bTalking = true;
    }
    if (m_phone.fKestrixCustomization && !bSpeak && !m_state.bPaused) {
        m_state.bPaused = true;
        m_ui.MonitoringChanged(true);
    }
    m_state.bDialing = false;
}
