#include "app/ServiceCallLog.h"

#include "engine/LoggingUiBridge.h"
#include "platform/TextUtil.h"

namespace {

// The system's reason without the path it starts with when the device's
// name already shows it: "/dev/ttyACM0: No such file or directory".
std::string ReasonText(const std::string& sDevice, const std::string& sReason) {
    if (sReason.empty())
        return "reason unknown";
    size_t colon = sReason.find(": ");
    if (colon != std::string::npos && colon > 0 &&
        sDevice.find("(" + sReason.substr(0, colon) + ")") != std::string::npos)
        return LogEscape(sReason.substr(colon + 2));
    return LogEscape(sReason);
}

// How the log speaks of each kind of device: what it opens, and what the
// worker does when that fails or goes away (a missing adapter pauses
// monitoring, told in a line of its own; the others are tried again).
struct DeviceWording {
    DeviceKind kind;
    const char* sWhat;     // "modem port COM9 (/dev/ttyACM0)"
    const char* sRetry;    // after a failed open
    const char* sLostWhy;  // what going away means
    const char* sNoAnswer; // opened, but not set up for calls (after sWhat)
};

constexpr DeviceWording kDeviceWording[] = {
    {DeviceKind::SerialModem, "modem port", "; trying again until it can be opened",
     "unplugged, or its program ended", ": the modem does not answer its set-up"},
    {DeviceKind::TelephonyLine, "telephony line", "; trying again until it can be opened",
     "its provider ended", " does not answer"},
    {DeviceKind::UsbAdapter, "USB telephone adapter", "", "unplugged", " does not answer"},
};

const DeviceWording& WordingFor(DeviceKind kind) {
    for (const DeviceWording& w : kDeviceWording)
        if (w.kind == kind)
            return w;
    return kDeviceWording[0];
}

} // namespace

CServiceCallLog::CServiceCallLog(LineSink sink) : m_sink(std::move(sink)) {}

void CServiceCallLog::OnEvent(const CallEvent& event) {
    struct Teller {
        CServiceCallLog& log;
        void operator()(const CallRinging& e) { log.RingCounted(e.nRings); }
        void operator()(const CallerIdentified& e) {
            log.CallerChanged({e.sName, e.sDisplayNumber, e.sMemo});
        }
        // The worker tells the decision on the status line, which the log has.
        void operator()(const CallScreened&) {}
        void operator()(const CallAnswered&) { log.Answered(); }
        void operator()(const RecordingStarted& e) {
            log.RecordingWritten(e.sFile, false, e.bMessage, 0);
        }
        void operator()(const RecordingStored& e) {
            log.RecordingWritten(e.sFile, true, e.bMessage, e.nSeconds);
        }
        void operator()(const CallEnded&) { log.LineHungUp(); }
        void operator()(const LineLost& e) {
            log.DeviceStateChanged(e.state, e.kind, e.sDevice, e.sReason);
        }
        void operator()(const LineBack& e) {
            log.DeviceStateChanged(DeviceState::Open, e.kind, e.sDevice, "");
        }
        // The notice says for itself what became of it.
        void operator()(const CallsForNotice&) {}
        // A forward that failed, and a message's, the worker tells on the status line.
        void operator()(const CallForwarded& e) {
            if (e.sProblem.empty() && e.sRecording.empty())
                log.Line((e.bTransferred ? "call transferred to " : "call redirected to ") +
                         LogEscape(e.sTarget));
        }
    };
    std::visit(Teller{*this}, event);
}

void CServiceCallLog::Line(const std::string& text) {
    if (m_sink)
        m_sink(text);
}

void CServiceCallLog::RingCounted(int nRings) {
    std::lock_guard lock(m_mutex);
    if (nRings <= 1 || !m_bInCall) {
        m_bInCall = true;
        m_bAnswered = false;
        m_sCallerLogged.clear();
    }
    m_nRings = nRings;
    Line(StrPrintf("ring %d", nRings));
}

void CServiceCallLog::CallerChanged(const CallerDisplay& caller) {
    std::lock_guard lock(m_mutex);
    // The fields are cleared at the first ring and filled as the caller ID
    // comes in; only a caller who is there is worth a line, once.
    if (!m_bInCall || (caller.sName.empty() && caller.sNumber.empty()))
        return;
    std::string text = "caller: name \"" + LogEscape(caller.sName) + "\", number \"" +
                       LogEscape(caller.sNumber) + "\"";
    if (!caller.sMemo.empty())
        text += ", \"" + LogEscape(caller.sMemo) + "\"";
    if (text == m_sCallerLogged)
        return;
    m_sCallerLogged = text;
    Line(text);
}

void CServiceCallLog::Answered() {
    std::lock_guard lock(m_mutex);
    if (m_bAnswered)
        return;
    m_bAnswered = true;
    if (m_bInCall && m_nRings > 0) {
        Line(StrPrintf("answered at ring %d", m_nRings));
    } else {
        // Our own call, a recording or a play asked for with no call ringing.
        m_bInCall = true;
        m_nRings = 0;
        Line("line taken");
    }
}

void CServiceCallLog::RecordingWritten(const std::string& sFile, bool bFinished, bool bMessage,
                                       int nSeconds) {
    std::lock_guard lock(m_mutex);
    const char* what = bMessage ? "message" : "recording";
    if (bFinished)
        Line(StrPrintf("%s stored (%d s): ", what, nSeconds) + LogEscape(sFile));
    else
        Line(std::string(what) + " started: " + LogEscape(sFile));
}

void CServiceCallLog::LineHungUp() {
    std::lock_guard lock(m_mutex);
    if (!m_bInCall)
        return;
    if (m_nRings == 0)
        Line("call ended");
    else
        Line(StrPrintf("call ended (%d ring%s, %s)", m_nRings, m_nRings == 1 ? "" : "s",
                       m_bAnswered ? "answered" : "not answered"));
    m_bInCall = false;
    m_bAnswered = false;
    m_nRings = 0;
    m_sCallerLogged.clear();
}

void CServiceCallLog::DeviceStateChanged(DeviceState state, DeviceKind kind,
                                         const std::string& sDevice, const std::string& sReason) {
    std::lock_guard lock(m_mutex);
    if (m_bDeviceTold && state == m_deviceState && sReason == m_sDeviceReason)
        return;
    const bool bWasDown = m_bDeviceTold && m_deviceState != DeviceState::Open;
    m_bDeviceTold = true;
    m_deviceState = state;
    m_sDeviceReason = sReason;
    const DeviceWording& w = WordingFor(kind);
    const std::string what = w.sWhat + (sDevice.empty() ? "" : " " + LogEscape(sDevice));
    switch (state) {
    case DeviceState::Open:
        Line(what + (bWasDown ? " is back" : " open") + "; waiting for calls");
        break;
    case DeviceState::OpenFailed:
        Line("cannot open the " + what + ": " + ReasonText(sDevice, sReason) + w.sRetry);
        break;
    case DeviceState::Lost:
        Line(what + " lost (" + w.sLostWhy + "); trying to open it again");
        break;
    case DeviceState::NotResponding:
        Line(what + w.sNoAnswer + "; monitoring paused");
        break;
    case DeviceState::Unavailable:
        Line(what + ": " + ReasonText(sDevice, sReason));
        break;
    }
}
