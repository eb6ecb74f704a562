// The ring watcher's rings: each ring and the caller ID read with it, the
// ring sound, the ring timing and the step taken when the rings end.
#include "engine/RingWatcher.h"

#include "engine/CallForwarding.h"

#include "audio/PlaySound.h"
#include "engine/CallControl.h"
#include "engine/CallEvents.h"
#include "engine/CallHistory.h"
#include "engine/CallState.h"
#include "engine/CallerIdDisplay.h"
#include "engine/CallerIdSources.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/ModemCallerId.h"
#include "engine/NotInService.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "engine/UiBridge.h"
#include "modem/ResultCodes.h"
#include "platform/TickCount.h"

#include <ctime>
#include <utility>

CRingWatcher::CRingWatcher(CPhone& phone, CCallStateData& state, IUiBridge& ui,
                           CCallEventPublisher& events, ICallControl& line, IRingHost& host)
    : m_phone(phone), m_state(state), m_ui(ui), m_events(events), m_line(line), m_host(host) {}

void CRingWatcher::ResetRings() {
    m_rings.Reset();
    m_nRingCount = 0;
    m_state.bRinging = false;
    m_state.bCidBusy = false;
    m_bPopupShown = false;
    m_bAnswerAsked = false;
    m_bScreened = false;
    m_bForwardTried = false;
    m_heldCid.clear();
}

void CRingWatcher::RingsEnded(const CRingState& rings) {
    Log("Rings ended.\n");
    CNumber cur = m_state.curCall.Update([&](CNumber& c) {
        c.m_nKind = rings.nRings;
        return c;
    });
    m_state.CloseLastRecentCall();
    // Rings that stop without our answer mean a handset took the call; a
    // call this program took and gave back is over and is not recorded again.
    if (m_phone.bHandsetStart && !rings.bLineTaken) {
        m_host.RecordHandsetCall();
    } else {
        m_host.HangUp();
    }
    if (m_phone.bEMailCID && rings.nRings >= m_phone.nRings) {
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
        for (int i = 0; i < m_nMailSettleRounds && !m_host.StopAsked() && !m_state.bShuttingDown;
             ++i) {
            m_host.PumpMessages();
            SleepMs(50);
        }
        m_host.SendMissedCalls(calls, bRecorded);
        if (!m_phone.m_dwFaxDeadline)
            m_line.OpenDevice();
    }
}

void CRingWatcher::HandleRing() {
    // A line that is taken rings no more: a ring handled while it is came
    // before it was taken and waited while the call ran. It is that call's;
    // counted, it would undo the call's hang-up and hold the line.
    if (m_state.bOffHook) {
        Log("RING while off hook: passed over\n");
        m_state.bTestRing = false;
        return;
    }
    // The rings before this one may be over (their call answered and the
    // line put back) before the line check has seen it: that call is closed
    // first, so that this ring starts the next call instead of joining one
    // whose answer was asked already. Caller-ID lines held for this ring
    // stay with it.
    std::deque<HeldCidLine> held = std::exchange(m_heldCid, {});
    CheckTiming();
    m_heldCid = std::move(held);
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
    if (m_rings.nRings == 0)
        m_state.curCall.Update([](CNumber& c) { c.Reset(); });
    const int before = m_rings.nRings;
    m_state.curCall.Update([&](CNumber& c) { c.m_nKind = before; });
    const bool bQuietRing = m_phone.nTextToSpeech != 0;
    if (m_phone.bRingBeforeCallerID && !bQuietRing)
        PlayRingSound();
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
    // A caller the caller ID told nothing of by the second ring is
    // forwarded unscreened.
    if (bCounted && m_rings.nRings >= 2 && !m_bScreened && ForwardOffered())
        return;
    if ((!m_phone.bRingBeforeCallerID && !bQuietRing) ||
        (m_rings.nRings > 1 && m_rings.nCidReadAt < m_rings.nRings))
        PlayRingSound();
    // The toll-saver point: where a machine set to "away" answers.
    const int answerAt =
        UsesTollSaver(m_phone.nCIDType)
            ? TollSaverRing(m_phone.nRings, m_phone.bTollSaver, m_state.bNewMessages)
            : m_phone.nRings;
    // (Rings seen while the caller ID was read count too, so the point may
    // have been passed rather than met.)
    if (m_rings.nRings >= answerAt && !m_bAnswerAsked) {
        m_bAnswerAsked = true;
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
}

// Counts a ring of the call; false when it was counted already. Caller-ID
// lines that some lines send ahead of the first ring start the call as that
// ring (bCidOnly), so the ring that follows them is not counted again: the
// toll saver and the answer count the rings the caller let go by.
bool CRingWatcher::CountRing(bool bCidOnly) {
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

void CRingWatcher::ReadCallerId() {
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
        CModemCallerIdSource source(channel, CidReadSettings::From(m_phone, drv.Profile()), [this] {
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
    const std::optional<ScreeningDecision> d = ScreenCaller();
    TellCaller();
    if (d)
        ActOn(*d);
}

std::optional<ScreeningDecision> CRingWatcher::ScreenCaller() {
    const CNumber c = m_state.curCall.Get();
    if (m_bScreened || (c.m_sNumber.empty() && c.m_sCidNumber.empty() && c.m_sName.empty()))
        return std::nullopt;
    m_bScreened = true;
    ScreeningCall call;
    call.sNumber = c.m_sCidNumber.empty() ? c.m_sNumber : c.m_sCidNumber;
    call.callerClass = CallerClassOf(call.sNumber, c.m_sCidMessage);
    call.tTime = static_cast<int64_t>(std::time(nullptr));
    call.bCallInProgress = m_state.bOffHook || m_state.bTalking || m_phone.Device().Talking();
    std::optional<Contact> contact;
    const ScreeningDecision d = m_host.Screen(call, contact);
    if (!d.sRule.empty() && BlocksCaller(d.action))
        m_state.curCall.Update([](CNumber& n) { n.m_bBlocked = true; });
    // A contact is shown by its name everywhere the call is (the network's
    // stays in m_sCidName), and the machine greets it with its own greeting.
    if (contact) {
        const CNumber named = m_state.curCall.Update([&](CNumber& n) {
            if (!contact->sName.empty())
                n.m_sName = contact->sName;
            if (!contact->sGreeting.empty())
                n.m_sGreeting = contact->sGreeting;
            n.m_nContactId = contact->nId;
            return n;
        });
        m_ui.CallerChanged({named.m_sName, named.m_sDisplayNumber, named.m_sMemo});
        m_ui.SetTrayTooltip(named.m_sName + "\n" + named.m_sNumber);
    }
    return d;
}

void CRingWatcher::ActOn(const ScreeningDecision& d) {
    // Told also when no rule decided: the caller is screened, and rings.
    m_events.Publish(CallScreened{d.action, d.sRule, d.nContactId});
    if (ForwardOffered())
        return;
    if (d.sRule.empty() || d.action == ScreenAction::LetRing)
        return;
    m_phone.SetStatusText(ScreeningText(d));
    // An analogue line stops ringing only when taken; a telephony line
    // declines the call it has not answered.
    const auto hangUp = [this] {
        m_phone.CallState().RequestAction(m_phone.Device().Kind() == DeviceKind::TelephonyLine
                                              ? kActionStopHangUp
                                              : kActionDisconnect);
    };
    const bool bMachineFree = m_phone.nAction == 1 && !m_state.bActionPending && !m_state.bOffHook;
    switch (d.action) {
    case ScreenAction::LetRing:
    case ScreenAction::ShowBlocked:
        break;
    case ScreenAction::Challenge:
        // Put by the machine when it takes the call; with the machine off
        // the caller rings as any.
        if (bMachineFree && !std::exchange(m_bAnswerAsked, true)) {
            m_state.curCall.Update([](CNumber& n) { n.m_bChallenge = true; });
            m_phone.CallState().RequestAction(kActionAnswer);
        }
        break;
    case ScreenAction::NotInService: {
        m_bAnswerAsked = true;
        std::string why;
        if (const std::string file = NotInServiceFile(&why); !file.empty()) {
            if (!why.empty())
                m_phone.SetStatusText(why);
            m_host.PlayThenHangUp(file);
        } else {
            m_phone.SetStatusText(why + "; the blocked caller is hung up on instead");
            hangUp();
        }
        break;
    }
    case ScreenAction::HangUp:
        m_bAnswerAsked = true;
        hangUp();
        break;
    case ScreenAction::NeverAnswer:
        m_bAnswerAsked = true;
        break;
    case ScreenAction::TakeMessage:
    case ScreenAction::AnswerAtFirstRing:
        if (bMachineFree && !std::exchange(m_bAnswerAsked, true))
            m_phone.CallState().RequestAction(kActionAnswer);
        break;
    }
}

bool CRingWatcher::ForwardOffered() {
    if (std::exchange(m_bForwardTried, true) ||
        !ForwardCallAt(ForwardMethod::Always, m_phone, m_state, m_events))
        return false;
    // The call is gone: nothing to answer, and the line forgets it now
    // rather than when no more rings come.
    m_bAnswerAsked = true;
    m_phone.CallState().RequestAction(kActionStopHangUp);
    return true;
}

void CRingWatcher::PlayRingSound() {
    if (m_phone.Device().HandsetOffHook() || IsSoundPlaying())
        return;
    if (RingSoundSuppressed(m_nTrayState))
        return;
    CNumber c = m_state.curCall.Get();
    std::string sound =
        ProgramFile(RingSoundFor(c.m_nContactStatus, c.m_sRingSound, m_phone.sWaveRingIn));
    if (sound.empty())
        return;
    if (std::string why; PlaySoundFile(sound, true, -1, &why))
        m_phone.SoundWorks();
    else
        m_phone.TellSoundProblem("the ring is not played on the sound card: " + why);
}

void CRingWatcher::TellCaller() {
    const CNumber c = m_state.curCall.Get();
    if (c.m_sNumber.empty() && c.m_sDisplayNumber.empty() && c.m_sName.empty())
        return;
    m_events.Publish(CallerIdentified{c.m_sNumber, c.m_sDisplayNumber, c.m_sName, c.m_sMemo,
                                      c.m_sCidName});
}

void CRingWatcher::CheckTiming() {
    const RingTiming timing = CheckRingTiming(m_rings, GetTickCount(), m_phone.CallState().Flags());
    if (timing == RingTiming::NoRing || timing == RingTiming::Ringing)
        return;
    // Forgotten before the call is closed: a ring taken meanwhile (the pause
    // before a notice takes messages) is the next call's first.
    const CRingState ended = m_rings;
    ResetRings();
    if (timing == RingTiming::RingsEnded)
        RingsEnded(ended);
}

void CRingWatcher::ForgetIfAsked() {
    if (m_bForgetRings.exchange(false))
        ResetRings();
}

void CRingWatcher::LineHungUp(bool bWasOffHook) {
    // A line taken with no call ringing (the user's own call) says nothing
    // about the next call's rings.
    if (bWasOffHook && m_rings.nRings > 0)
        m_rings.bLineTaken = true;
    m_rings.nCidReadAt = 0;
    m_rings.bCidSeen = false;
}

void CRingWatcher::CallOffered() {
    if (m_rings.nRings == 0)
        m_ui.StartTimer(UiTimer::MainCallRefresh, 500);
}

void CRingWatcher::Log(const std::string& text) {
    m_phone.Trace(text);
}
