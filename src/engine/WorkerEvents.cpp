// Thread messages, line events and touch-tone keys: what the worker does
// with each, and which of them end a recording.
#include "engine/MultiThread.h"

#include "engine/CallState.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/UiBridge.h"
#include "platform/TickCount.h"

void CMultiThread::Dispatch(const ThreadMessage& msg) {
    switch (msg.message) {
    case kMsgRing:
        HandleRing();
        break;
    case kMsgDial:
        m_dialer.Dial();
        break;
    case kMsgCallerIdReady:
        ReadCallerId();
        break;
    case kMsgRemoteHangUp:
        m_ui.SetCallBusy(false);
        if (m_state.bOffHook)
            StopCall();
        break;
    case kMsgDeviceEvent: {
        int ch = static_cast<int>(msg.wParam & 0xFF);
        switch (ReactToLineKey(ch, m_phone.bRecordImmediately, m_phone.m_bEnhancedHold,
                               m_state.bRecording || m_state.bPlaying, m_phone.m_bDetectEvents,
                               m_state.bRecording)) {
        case LineKeyReaction::StopCall:
            StopCall();
            break;
        case LineKeyReaction::RequestAnswer:
            m_phone.CallState().RequestAction(kActionAnswer);
            break;
        case LineKeyReaction::RequestRecord:
            m_phone.CallState().RequestAction(kActionRecord);
            break;
        case LineKeyReaction::Dispatch:
            StopAudio();
            OnEvent(ch);
            break;
        case LineKeyReaction::Nothing:
            break;
        }
        m_nLastKey = ch;
        m_ui.AppendToneKey(static_cast<char>(ch));
        break;
    }
    case kMsgMediaEvent: {
        int ch = static_cast<int>(msg.wParam & 0xFF);
        if (!m_state.bRecording && !m_state.bPlaying)
            StopAudio();
        if (m_nLastKey != 255) {
            m_nLastKey = ch;
            OnEvent(ch);
        }
        break;
    }
    case kMsgSendMail:
        m_events.Publish(CallsForNotice{{m_state.curCall.Get()}, true});
        break;
    case kMsgCallOffered:
        if (m_rings.nRings == 0)
            m_ui.StartTimer(UiTimer::MainCallRefresh, 500);
        break;
    case kMsgCallDeallocated:
        StopAudio();
        m_phone.Device().SetHandsetOffHook(false);
        m_ui.SetCallBusy(false);
        break;
    case kMsgExit:
        SleepMs(110);
        StopAudio();
        SleepMs(110);
        m_ui.StartTimer(UiTimer::OrderlyExit, 1);
        break;
    default:
        break;
    }
}

void CMultiThread::OnEvent(int ch) {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetLastEvent(ch);
    if (IsToneKey(ch)) {
        m_state.bHangUpRequest = false;
        dev.SetStopRequest(false);
        OnKey(ch);
        return;
    }
    switch (ch) {
    case 'H':
    case 't':
        dev.SetHandsetOffHook(true);
        break;
    case 'h':
        dev.SetHandsetOffHook(false);
        break;
    case 'c':
        if (m_phone.bFax)
            HandOffFax();
        break;
    case 'f':
        // A data call: only a telephony line can hand it over.
        if (!m_phone.IsSerialModem())
            dev.HandOffCall(false, "");
        break;
    default:
        break;
    }
}

void CMultiThread::OnKey(int ch) {
    m_nLastKey = ch;
    KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
    if (!k.bKey)
        return;
    m_ui.AppendToneKey(static_cast<char>(ch));
    if (!k.bRuns)
        return;
    m_state.nAction = k.nAction;
    RunAction();
}

// What a line event does while a recording runs: keys mapped to stopping
// actions end it, so do the far end's busy or dial tone and a handset put
// back; a fax tone hands the call over.
bool CMultiThread::EventEndsRecording(int ch) {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetLastEvent(ch);
    if (IsToneKey(ch)) {
        m_nLastKey = ch;
        m_ui.AppendToneKey(static_cast<char>(ch));
        KeyAction k = LookupKeyAction(ch, m_phone.DriverSettings().m_dtmf);
        if (!k.bRuns)
            return false;
        switch (k.nAction) {
        case kActionStopHangUp:
        case kActionStop:
        case kActionDisconnect:
            return true;
        default:
            // A recording does not start another action in the middle.
            return false;
        }
    }
    switch (ch) {
    case 'b':
    case 'd':
        m_phone.SetStatusText(EventStatusText(ch));
        return true;
    case 'h':
        dev.SetHandsetOffHook(false);
        return dev.HandsetTracking() || m_bHandsetRecording;
    case 'H':
    case 't':
        dev.SetHandsetOffHook(true);
        return false;
    case 'c':
        if (m_phone.bFax) {
            m_bFaxAfterRecording = true;
            return true;
        }
        return false;
    default:
        return false;
    }
}
