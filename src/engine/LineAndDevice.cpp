// The line and the device: going off hook, hanging up, stopping a call, and
// opening and closing the telephone device.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/TelephoneDevice.h"
#include "engine/UiBridge.h"
#include "platform/SerialPorts.h"
#include "platform/TextUtil.h"
#include "platform/TickCount.h"

#include <algorithm>

void CMultiThread::GoOffHook() {
    // The line is taken for the speakerphone no longer, unless the call is
    // talked at the PC (a recording or hold music taken while talking).
    if (!m_phone.Device().Talking())
        m_state.bSpeakerphone = false;
    m_state.curCall.Update([](CNumber& c) { c.m_sAnnouncement.clear(); });
    m_phone.Device().GoOffHook();
    m_ui.SetCallBusy(true);
    m_events.Publish(CallAnswered{m_machine.Answering() ? AnsweredBy::Machine : AnsweredBy::User});
    m_state.bOffHookRequest = false;
    m_state.bOffHook = true;
}

void CMultiThread::HangUp() {
    // Rings that end after this were answered here (a recording, the
    // answering machine, a talk), not by someone lifting a handset.
    m_ringWatcher.LineHungUp(m_state.bOffHook);
    m_state.bTalking = false;
    m_state.bHold = false;
    m_state.bOffHook = false;
    // A call that is hung up has no speakerphone either: a request left set
    // here would hold every later request back, the loop no longer running.
    m_state.bSpeakerphone = false;
    m_actions.LineHungUp();
    m_state.bHangUpRequest = false;
    ClearHandsetRecording();
    if (m_phone.Device().IsOpen())
        m_phone.Device().HangUp();
    m_state.bPlaying = false;
    m_state.bOffHook = false;
    m_state.bOffHookRequest = false;
    m_ui.SetCallBusy(false);
    m_events.Publish(CallEnded{});
}

void CMultiThread::PlayThenHangUp(const std::string& file) {
    GoOffHook();
    m_phone.Device().PlayFile(file, false);
    StopCall();
    HangUp();
}

void CMultiThread::ClearHandsetRecording() {
    // The handset is tracked for one call: left set, a later recording would
    // end when someone puts a handset back, and a lifted handset would no
    // longer be noticed.
    m_phone.Device().SetHandsetTracking(false);
    if (m_bHandsetRecording) {
        m_bHandsetRecording = false;
        m_ui.SetHandsetRecording(false);
    }
}

void CMultiThread::StopCall() {
    m_state.bHangUpRequest = true;
    m_phone.Device().SetStopRequest(true);
}

std::string CMultiThread::DeviceLabel() const {
    // Only the modem's port has a name to tell one from another here.
    if (!m_phone.IsSerialModem())
        return "";
    const int nComPort = m_phone.DriverSettings().nComPort;
    std::string path = ComPortDevice(nComPort);
    return StrPrintf("COM%d (%s)", nComPort,
                     path.empty() ? "no device set in [Ports]" : path.c_str());
}

void CMultiThread::OpenDevice() {
    m_phone.m_dwFaxDeadline = 0;
    // The main window's mark goes with ours: a recording the handset started
    // is over once the device is set up afresh.
    ClearHandsetRecording();
    ITelephoneDevice& dev = m_phone.Device();
    // Open before, and closed without our asking (CloseDevice clears the
    // mark): the device went away under us.
    if (m_bDeviceUp && !dev.IsOpen()) {
        m_bDeviceUp = false;
        m_events.Publish(LineEvent(DeviceState::Lost, dev.Kind(), DeviceLabel(), ""));
    }
    if (!dev.IsAvailable()) {
        // Nothing to drive: say so, and why when it is known, and stay
        // paused, rather than pretend.
        const std::string why = dev.OpenError();
        m_phone.SetStatusText(DeviceKindName(dev.Kind()) + ": not available" +
                              (why.empty() ? "" : ": " + why));
        if (!m_state.bPaused) {
            m_state.bPaused = true;
            m_ui.MonitoringChanged(true);
        }
        return;
    }
    if (!dev.Open()) {
        m_events.Publish(
            LineEvent(DeviceState::OpenFailed, dev.Kind(), DeviceLabel(), dev.OpenError()));
        SleepMs(
            static_cast<uint32_t>(std::clamp(m_phone.DriverSettings().dwTimeoutDefault, 1, 10000)));
        return;
    }
    m_bDeviceUp = true;
    {
        std::lock_guard lock(m_fieldMutex);
        m_sUnavailableTold.clear();
    }
    m_events.Publish(LineEvent(dev.DeviceFailure() ? DeviceState::NotResponding : DeviceState::Open,
                               dev.Kind(), DeviceLabel(), ""));
    if (dev.DeviceFailure() && !m_state.bPaused) {
        // The port opened but the modem failed its set-up: monitoring goes
        // off, so the user sees it, instead of a line that never rings.
        m_state.bPaused = true;
        m_ui.MonitoringChanged(true);
    }
    SleepQuantum();
    dev.SetStopRequest(false);
}

bool CMultiThread::CloseIfSetUpFailed() {
    // A modem that stops answering its set-up (as a call ends, say) is no
    // longer ready and would never hear a ring again, nor be tried again:
    // it is opened afresh, as at the start. One that answers then goes on
    // taking calls; one that does not pauses monitoring, and says so.
    ITelephoneDevice& dev = m_phone.Device();
    if (dev.IsReady() || !dev.DeviceFailure() || m_state.bOffHook)
        return false;
    // Not lost: the next open tells how the set-up went.
    m_bDeviceUp = false;
    dev.Close(false);
    return true;
}

void CMultiThread::FollowAvailability() {
    ITelephoneDevice& dev = m_phone.Device();
    const std::string reason = dev.UnavailableReason();
    {
        std::lock_guard lock(m_fieldMutex);
        if (reason == m_sUnavailableTold)
            return;
        m_sUnavailableTold = reason;
    }
    const std::string status =
        reason.empty() ? DeviceKindName(dev.Kind()) + ": waiting for calls" : reason;
    m_events.Publish(LineEvent(reason.empty() ? DeviceState::Open : DeviceState::Unavailable,
                               dev.Kind(), DeviceLabel(), reason));
    m_phone.SetStatusText(status);
    m_ui.SetTrayTooltip(status);
}

void CMultiThread::CloseDevice() {
    ITelephoneDevice& dev = m_phone.Device();
    m_bDeviceUp = false;
    if (dev.IsOpen())
        dev.Close(false);
    dev.SetStopRequest(false);
    m_state.bPaused = true;
    m_state.bOffHook = false;
    // A call that rang while monitoring went off is forgotten with the device:
    // it must not end as a missed call, nor count its rings on into the next
    // call, once monitoring is back.
    m_ringWatcher.ResetRings();
    m_recorder.ForgetCurrentFile();
    std::lock_guard lock(m_fieldMutex);
    m_sUnavailableTold.clear();
}

std::string CMultiThread::DeviceUnavailable() const {
    std::lock_guard lock(m_fieldMutex);
    return m_sUnavailableTold;
}
