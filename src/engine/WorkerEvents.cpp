// Thread messages: waiting for them, and which part of the worker each one
// goes to.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "platform/TickCount.h"

void CMultiThread::Dispatch(const ThreadMessage& msg) {
    switch (msg.message) {
    case kMsgRing:
        m_ringWatcher.HandleRing();
        break;
    case kMsgDial:
        m_dialer.Dial();
        break;
    case kMsgCallerIdReady:
        m_ringWatcher.ReadCallerId();
        break;
    case kMsgRemoteHangUp:
        m_ui.SetCallBusy(false);
        if (m_state.bOffHook)
            StopCall();
        break;
    case kMsgDeviceEvent:
        m_actions.OnDeviceEvent(static_cast<int>(msg.wParam & 0xFF));
        break;
    case kMsgMediaEvent:
        m_actions.OnMediaEvent(static_cast<int>(msg.wParam & 0xFF));
        break;
    case kMsgSendMail:
        SendMissedCalls({m_state.curCall.Get()}, true);
        break;
    case kMsgCallOffered:
        m_ringWatcher.CallOffered();
        break;
    case kMsgCallDeallocated:
        m_actions.StopAudio();
        m_phone.Device().SetHandsetOffHook(false);
        m_ui.SetCallBusy(false);
        break;
    case kMsgExit:
        SleepMs(110);
        m_actions.StopAudio();
        SleepMs(110);
        m_ui.StartTimer(UiTimer::OrderlyExit, 1);
        break;
    default:
        break;
    }
}

// A telephony line or the adapter with nothing going on has nothing to look
// at until a message comes (a ring, a call offered, a key, the adapter's
// handset lifted or put down) or the front end asks for something (Wake):
// the worker sleeps until then, or kQuietWaitMs at most. Otherwise (a call,
// rings to time, a request) it looks again after a short sleep.
void CMultiThread::WaitForMessage() {
    ITelephoneDevice& dev = m_phone.Device();
    // Marked first: a request made while the flags are read below wakes
    // the wait at once (Wake posts to the queue only while it is marked).
    m_bInWait = true;
    const bool bQuiet =
        (dev.Kind() == DeviceKind::TelephonyLine || dev.Kind() == DeviceKind::UsbAdapter) &&
        m_ringWatcher.RingCount() == 0 && !m_state.bOffHook && !m_state.bOffHookRequest &&
        !m_state.bHangUpRequest && !m_state.bActionPending && !m_state.bReconfigure &&
        !m_state.bTestRing && !m_state.bRecording && !m_state.bPlaying && !m_state.bHold &&
        !m_state.bTalking && !m_state.bRinging && !m_state.bDialing && !m_bStop &&
        !m_state.bShuttingDown && !dev.StopRequested();
    if (!bQuiet) {
        m_bInWait = false;
        SleepMs(kBusyPollMs);
        return;
    }
    const std::optional<ThreadMessage> msg = m_queue.Wait(kQuietWaitMs);
    m_bInWait = false;
    // The stop request Wake raised served to end the wait; left standing,
    // it would end the play or recording the request starts at once.
    dev.SetStopRequest(false);
    if (!msg)
        return;
    // What the line says of a new call comes as several messages (the call,
    // its ring, its caller ID): they are taken together, as between two
    // looks of a busy line, not the first one alone.
    if (msg->message != kMsgWake)
        SleepMs(kBusyPollMs);
    Dispatch(*msg);
}
