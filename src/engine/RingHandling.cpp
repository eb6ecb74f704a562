// The ring watcher: waiting for the modem's rings, each ring and the caller
// ID read with it, the ring sound, and the step taken when the rings end.
#include "engine/MultiThread.h"

#include "audio/PlaySound.h"
#include "engine/CallState.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CallerIdSources.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/ModemCallerId.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "engine/UiBridge.h"
#include "modem/ResultCodes.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kResultLimit = 65535;
// A modem that keeps sending caller-ID lines without a ring must not fill
// the worker's memory.
constexpr size_t kMaxHeldCidLines = 8;

bool IsCidLine(int r) {
    return r >= kResultCidDate && r <= kResultCidMesg;
}

} // namespace

void CMultiThread::ResetRings() {
    m_rings.Reset();
    m_nRingCount = 0;
    m_state.bRinging = false;
    m_state.bCidBusy = false;
    m_bPopupShown = false;
    m_bAnswerAsked = false;
    m_heldCid.clear();
}

void CMultiThread::RingsEnded() {
    Log("Rings ended.\n");
    CNumber cur = m_state.curCall.Update([&](CNumber& c) {
        c.m_nKind = m_rings.nRings;
        return c;
    });
    m_state.CloseLastRecentCall();
    // Rings that stop without our answer mean a handset took the call; a
    // call this program took and gave back is over and is not recorded again.
    if (m_phone.bHandsetStart && !m_rings.bLineTaken) {
        m_bHandsetRecording = true;
        m_ui.SetHandsetRecording(true);
        RecordCall(kRecordHandset);
    } else {
        HangUp();
    }
    if (m_phone.bEMailCID && m_rings.nRings >= m_phone.nRings) {
        // The calls recorded since the last notice go with their recordings;
        // a call that rang unanswered has none.
        bool bRecorded = true;
        std::vector<CNumber> calls = m_state.recentCalls.Update([&](std::vector<CNumber>& v) {
            if (v.empty()) {
                bRecorded = false;
                v.insert(v.begin(), cur);
            }
            std::vector<CNumber> out = v;
            v.clear();
            return out;
        });
        // Give the front end a moment to store the call before it is mailed.
        for (int i = 0; i < m_nMailSettleRounds && !m_bStop && !m_state.bShuttingDown; ++i) {
            PumpMessages();
            SleepMs(50);
        }
        m_mail.Send(calls, bRecorded);
        if (!m_phone.m_dwFaxDeadline)
            OpenDevice();
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
        m_rings.nRings == 0 && !m_state.bOffHook && !m_state.bOffHookRequest &&
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

bool CMultiThread::WaitEvent() {
    ITelephoneDevice& dev = m_phone.Device();
    ISerialModemExtras* modem = dev.SerialExtras();
    if (!modem) {
        // Rings of other devices arrive as thread messages.
        HandsetCheck();
        WaitForMessage();
        return false;
    }
    CCommDriver& drv = modem->Driver();
    if (!dev.IsReady() || m_state.bShuttingDown || m_state.bPaused || m_state.bTalking ||
        m_state.bHold) {
        SleepMs(1);
        return false;
    }
    // A ring or caller-ID lines that came while the modem was set up start
    // the ring handling as if the watcher had read them.
    const bool bHeldLines = TakeHeldCidLines();
    const bool bHeldRing = drv.TakeHeldRing();
    m_bCidWithoutRing = bHeldLines && !bHeldRing && !m_state.bTestRing;
    if (m_state.bTestRing || bHeldLines || bHeldRing)
        return true;
    drv.SetQuantumTimeouts();
    dev.SetStopRequest(false);
    m_bInWait = true;
    int r = kResultNone;
    if (m_queue.Size() == 0 && !m_state.bActionPending && !m_state.bOffHookRequest &&
        !m_state.bHangUpRequest && !m_state.bPaused && !m_state.bHold && !m_bStop)
        r = drv.WaitResult(static_cast<uint32_t>(std::max(drv.dwTimeoutDefault, 1)), kResultLimit);
    m_bInWait = false;
    dev.SetStopRequest(false);
    drv.SetDefaultTimeouts();
    if (dev.DeviceFailure() || !dev.IsOpen()) {
        // The modem went away: close it and let the line check reopen it.
        dev.Close(false);
        return false;
    }
    // A caller-ID line while waiting (ahead of the first ring, as some lines
    // send it): its value is read now and kept for the caller-ID reader the
    // ring handling starts, which would otherwise see only the lines after it.
    if (IsCidLine(r))
        drv.HoldCidLine(r);
    const bool bHeld = TakeHeldCidLines();
    m_bCidWithoutRing = bHeld && r != kResultRing && !m_state.bTestRing;
    HandsetCheck();
    return r == kResultRing || bHeld || m_state.bTestRing;
}

// Moves the caller-ID lines the driver held (read by the ring watcher, or by
// a command of the modem's set-up in place of its answer) to the call; true
// when there were any.
bool CMultiThread::TakeHeldCidLines() {
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem)
        return false;
    std::deque<HeldCidLine> lines = modem->Driver().TakeHeldCidLines();
    for (HeldCidLine& l : lines)
        if (m_heldCid.size() < kMaxHeldCidLines)
            m_heldCid.push_back(std::move(l));
    return !lines.empty();
}

void CMultiThread::HandsetCheck() {
    ITelephoneDevice& dev = m_phone.Device();
    if (!dev.HandsetOffHook() || !m_phone.bHandsetStart)
        return;
    if (m_phone.bHandsetStop)
        dev.SetHandsetTracking(true);
    if (!m_phone.bRecordImmediately) {
        if (!m_state.bOffHook) {
            m_state.bOffHookRequest = true;
            m_state.bTalking = true;
            m_state.bHangUpRequest = false;
            m_state.bHold = false;
            m_state.bSpeakerphone = false;
            m_state.bActionPending = false;
            dev.SetStopRequest(true);
        }
    } else {
        RecordCall(kRecordNormal);
    }
    dev.SetStopRequest(false);
}

void CMultiThread::HandleRing() {
    m_ui.StopTimer(UiTimer::MainCallRefresh);
    m_ui.ClearLastPlayed();
    Log("RING detected\n");
    const uint32_t now = GetTickCount();
    m_rings.dwLastRing = now;
    if (m_rings.nRings == 0)
        m_rings.dwRingStart = now;
    m_state.bTestRing = false;
    m_state.bTalking = false;
    m_state.bHold = false;
    m_state.bHangUpRequest = false;
    m_state.bCidBusy = true;
    m_state.bRinging = true;
    m_bRearm = true;
    if (m_rings.nRings == 0)
        m_state.curCall.Update([](CNumber& c) { c.Reset(); });
    const int before = m_rings.nRings;
    m_state.curCall.Update([&](CNumber& c) { c.m_nKind = before; });
    const bool bQuietRing = m_phone.nTextToSpeech != 0;
    if (m_phone.bRingBeforeCallerID && !bQuietRing)
        PlayRingSound(false);
    // The first ring after caller-ID lines that came ahead of it was counted
    // with them, and their caller ID is read already.
    const bool bCounted = CountRing(std::exchange(m_bCidWithoutRing, false));
    m_events.Publish(CallRinging{m_rings.nRings});
    if (bCounted && m_rings.nRings == 1) {
        m_ui.CallerChanged({});
        m_ui.SetWindowTitle("Vorella");
        m_ui.ActivateMainWindow();
    }
    const bool bSerial = m_phone.IsSerialModem();
    if (bCounted && ReadsCallerIdAtThisRing(m_rings, m_phone.nCIDType, bSerial)) {
        m_rings.nCidReadAt = m_rings.nRings == 1 ? 1 : 2;
        if (bSerial || m_phone.nCIDType == kCidFormattedAny || m_rings.nRings > 1)
            ReadCallerId();
    }
    if (bCounted && m_rings.nRings == 1 && ReadsCallerIdAtFirstRing(m_phone.nCIDType, bSerial))
        m_ui.SetWindowTitle(CallWindowTitle(m_state.curCall.Get()));
    if ((!m_phone.bRingBeforeCallerID && !bQuietRing) ||
        (m_rings.nRings > 1 && m_rings.nCidReadAt < m_rings.nRings))
        PlayRingSound(false);
    // The toll-saver point: where a machine set to "away" answers.
    const int answerAt =
        UsesTollSaver(m_phone.nCIDType)
            ? TollSaverRing(m_phone.nRings, m_phone.bTollSaver, m_state.bNewMessages)
            : m_phone.nRings;
    // (Rings seen while the caller ID was read count too, so the point may
    // have been passed rather than met.)
    if (m_rings.nRings >= answerAt && !m_bAnswerAsked) {
        m_bAnswerAsked = true;
        m_bRearm = true;
        if (m_phone.nAction == 1 && !m_state.bActionPending && !m_state.bOffHook)
            m_phone.CallState().RequestAction(kActionAnswer);
    }
    if (m_phone.iPopup != 0) {
        m_ui.StartTimer(UiTimer::PopupClose, kPopupRingMs);
        if (!m_bPopupShown) {
            m_bPopupShown = true;
            m_ui.ShowPopup();
        }
    }
    m_state.bTestRing = false;
    m_rings.bCidSeen = false;
    m_state.bCidBusy = false;
    m_bRearm = true;
}

// Counts a ring of the call; false when it was counted already. Caller-ID
// lines that some lines send ahead of the first ring start the call as that
// ring (bCidOnly), so the ring that follows them is not counted again: the
// toll saver and the answer count the rings the caller let go by.
bool CMultiThread::CountRing(bool bCidOnly) {
    if (bCidOnly && m_rings.nRings == 0) {
        m_rings.bRingAhead = true;
    } else if (!bCidOnly && m_rings.bRingAhead) {
        m_rings.bRingAhead = false;
        return false;
    }
    m_rings.nRings += 1;
    m_nRingCount = m_rings.nRings;
    return true;
}

void CMultiThread::ReadCallerId() {
    ITelephoneDevice& dev = m_phone.Device();
    dev.SetStopRequest(false);
    m_state.bCidBusy = true;
    m_state.curCall.Update([](CNumber& c) { c.m_nKind = 1; });
    CallerIdContext ctx{m_ui, m_state, m_phone.bFilterCalls,
                        [this](const std::string& s) { Log(s); },
                        [&dev] { dev.SetStopRequest(false); }};
    if (ISerialModemExtras* modem = dev.SerialExtras()) {
        CCommDriver& drv = modem->Driver();
        // A hardware caller-ID modem sends the number between the first two
        // rings, so the wait for the second ring has read it with that ring.
        std::string held;
        if (m_phone.nCIDType == kCidHardware)
            held = DigitLineBeforeRing(drv.LineBuffer());
        CCommDriverCidChannel channel(drv, held, std::exchange(m_heldCid, {}));
        CModemCallerIdSource source(channel, CidReadSettings::From(m_phone, drv), [this] {
            CountRing(false);
            m_rings.dwLastRing = GetTickCount();
        });
        CallerIdFill fill = ::ReadCallerId(source, ctx);
        m_rings.bCidSeen = fill.bCidSeen;
    } else {
        DeviceCallerData d = dev.CallerData();
        if (dev.Kind() == DeviceKind::UsbAdapter) {
            CRawCallerIdSource source(d.sRawMessage);
            ::ReadCallerId(source, ctx);
        } else {
            CLineCallerIdSource source([d] {
                return LineCallerData{d.bPresent, d.sName, d.sNumber};
            });
            ::ReadCallerId(source, ctx);
        }
    }
    TellCaller();
}

void CMultiThread::PlayRingSound(bool bWait) {
    if ((m_phone.Device().HandsetOffHook() && !bWait) || IsSoundPlaying())
        return;
    if (RingSoundSuppressed(m_nTrayState))
        return;
    CNumber c = m_state.curCall.Get();
    std::string sound =
        ProgramFile(RingSoundFor(c.m_nContactStatus, c.m_sRingSound, m_phone.sWaveRingIn));
    if (!sound.empty())
        PlaySoundFile(sound, !bWait);
}
