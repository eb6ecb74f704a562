// The worker's modem diagnostics: a run asked for from another thread, and
// the run itself on the worker's thread.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/Phone.h"
#include "modem/Diagnostics.h"

DiagnosticsState CMultiThread::StartDiagnostics() {
    // Asked from another thread: the driver's own state is read, never the
    // device the worker may be choosing anew.
    const CCommDriver* drv = m_phone.ModemDriver();
    if (m_state.bPaused || !drv || !drv->IsOpen() || !drv->m_bInitialized)
        return DiagnosticsState::NoModem;
    if (m_diagnostics.Now().state == DiagnosticsState::Running)
        return DiagnosticsState::Running;
    // The probes would break into a call, and a request already waiting
    // would be lost under this one.
    if (m_state.bActionPending || m_state.bOffHook || m_state.bRinging || m_state.bCidBusy ||
        m_state.bRecording || m_state.bPlaying || m_state.bHold)
        return DiagnosticsState::Busy;
    if (!m_diagnostics.Begin())
        return DiagnosticsState::Running;
    m_phone.Device().SetStopRequest(false);
    m_phone.CallState().RequestAction(kActionDiagnostics);
    Wake();
    return DiagnosticsState::Running;
}

void CMultiThread::RunDiagnostics() {
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem || !modem->Driver().IsOpen()) {
        m_diagnostics.Finish("", true);
        return;
    }
    std::string report = ::RunDiagnostics(modem->Driver(), [this](const std::string& sSoFar) {
        return m_diagnostics.Update(sSoFar) && !m_phone.m_bClosing && !m_bStop;
    });
    // The probes leave the modem at its factory settings ("&F"): without
    // its set-up the next call would come without caller ID.
    m_phone.Device().Open();
    m_diagnostics.Finish(report, false);
}
