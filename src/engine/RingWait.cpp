// The ring watcher's waiting: for the modem's rings and the caller-ID lines
// ahead of them, for a lifted handset, and for the handset flag's request.
#include "engine/RingWatcher.h"

#include "engine/CallState.h"
#include "engine/Phone.h"
#include "modem/ResultCodes.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kResultLimit = 65535;
// A modem that keeps sending caller-ID lines without a ring must not fill
// the worker's memory.
constexpr size_t kMaxHeldCidLines = 8;

// RequestHandsetFlag's requests.
constexpr int kHandsetNone = 0;
constexpr int kHandsetIfNoRing = 1; // no stop pending: set unless a ring came
constexpr int kHandsetClear = 2;    // a stop is pending

bool IsCidLine(int r) {
    return r >= kResultCidDate && r <= kResultCidMesg;
}

} // namespace

bool CRingWatcher::WaitEvent() {
    ITelephoneDevice& dev = m_phone.Device();
    ISerialModemExtras* modem = dev.SerialExtras();
    if (!modem) {
        // Rings of other devices arrive as thread messages.
        HandsetCheck();
        m_host.WaitForMessage();
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
    m_host.SetWaiting(true);
    int r = kResultNone;
    if (!m_host.MessagesWaiting() && !m_state.bActionPending && !m_state.bOffHookRequest &&
        !m_state.bHangUpRequest && !m_state.bPaused && !m_state.bHold && !m_host.StopAsked())
        r = drv.WaitResult(static_cast<uint32_t>(std::max(drv.Settings().dwTimeoutDefault, 1)),
                           kResultLimit);
    m_host.SetWaiting(false);
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
bool CRingWatcher::TakeHeldCidLines() {
    ISerialModemExtras* modem = m_phone.Device().SerialExtras();
    if (!modem)
        return false;
    std::deque<HeldCidLine> lines = modem->Driver().TakeHeldCidLines();
    for (HeldCidLine& l : lines)
        if (m_heldCid.size() < kMaxHeldCidLines)
            m_heldCid.push_back(std::move(l));
    return !lines.empty();
}

void CRingWatcher::HandsetCheck() {
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
        m_host.RecordCall();
    }
    dev.SetStopRequest(false);
}

void CRingWatcher::RequestHandsetFlag(bool bStopPending, uint32_t afterMs) {
    m_dwHandsetDue = GetTickCount() + afterMs;
    m_nHandsetRequest = bStopPending ? kHandsetClear : kHandsetIfNoRing;
}

void CRingWatcher::CancelHandsetFlag() {
    m_nHandsetRequest = kHandsetNone;
}

void CRingWatcher::ApplyHandsetRequest() {
    int nRequest = m_nHandsetRequest.load();
    if (nRequest == kHandsetNone ||
        static_cast<int32_t>(GetTickCount() - m_dwHandsetDue.load()) < 0)
        return;
    if (!m_nHandsetRequest.compare_exchange_strong(nRequest, kHandsetNone))
        return; // replaced or cancelled meanwhile: seen next time
    // A call that rings is someone calling in; one offered without a ring
    // is the local handset placing a call.
    const bool bOffHook = nRequest == kHandsetIfNoRing && m_rings.nRings == 0;
    m_phone.Device().SetHandsetOffHook(bOffHook);
    Log(bOffHook ? "Handset off hook: a call with no ring\n" : "Handset flag cleared\n");
}
