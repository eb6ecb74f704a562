#include "engine/MessageForwarder.h"

#include "engine/CallControl.h"
#include "engine/CallForwarding.h"
#include "engine/CallState.h"
#include "engine/DialSteps.h"
#include "engine/Dialer.h"
#include "engine/Phone.h"
#include "engine/RemoteMenu.h"
#include "platform/RuntimeFolder.h"
#include "platform/TextUtil.h"
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

#include <optional>

CMessageForwarder::CMessageForwarder(CPhone& phone, CCallStateData& state, CDialer& dialer,
                                     ICallControl& line)
    : m_phone(phone), m_state(state), m_dialer(dialer), m_line(line) {}

void CMessageForwarder::Start(CCallEventPublisher& events) {
    m_pEvents = &events;
    m_nSubscription =
        events.Subscribe("message forwarding", [this](const CallEvent& e) { OnEvent(e); });
}

void CMessageForwarder::Stop() {
    if (m_pEvents && m_nSubscription)
        m_pEvents->Unsubscribe(m_nSubscription, true);
    m_nSubscription = 0;
}

size_t CMessageForwarder::Pending() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void CMessageForwarder::OnEvent(const CallEvent& event) {
    if (const auto* ring = std::get_if<CallRinging>(&event)) {
        if (ring->nRings <= 1) {
            m_call = HistoryEntry{};
            m_bBlocked = false;
        }
    } else if (const auto* caller = std::get_if<CallerIdentified>(&event)) {
        m_call.sNumber = caller->sNumber;
        m_call.sName = caller->sName;
    } else if (const auto* screened = std::get_if<CallScreened>(&event)) {
        m_bBlocked = !screened->sRule.empty() && BlocksCaller(screened->action);
    } else if (const auto* stored = std::get_if<RecordingStored>(&event)) {
        if (!stored->bMessage || stored->nSeconds <= 0)
            return;
        Queued p;
        p.message = m_call;
        p.message.sRecording = stored->sFile;
        p.bBlocked = m_bBlocked;
        p.due = std::chrono::steady_clock::now();
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(p));
    }
}

namespace {
// A wait as a person says it: "2 min", "30 s".
std::string WaitText(std::chrono::milliseconds wait) {
    const auto s = std::chrono::ceil<std::chrono::seconds>(wait).count();
    return s >= 60 && s % 60 == 0 ? StrPrintf("%lld min", static_cast<long long>(s / 60))
                                  : StrPrintf("%lld s", static_cast<long long>(s));
}
} // namespace

void CMessageForwarder::Tell(const std::string& text) {
    m_phone.Trace(text + "\n");
    m_phone.SetStatusText(text);
}

void CMessageForwarder::RunDue() {
    std::optional<Queued> p;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty() || m_queue.front().due > std::chrono::steady_clock::now())
            return;
        p = std::move(m_queue.front());
        m_queue.pop_front();
    }
    // A telephony line forwards the call itself.
    if (ForwardMethodOf(m_phone.nFwdMethod).method == ForwardMethod::Off ||
        m_phone.Device().Kind() == DeviceKind::TelephonyLine || (p->bBlocked && !m_phone.bFwdBlack))
        return;
    const std::string caller =
        "message from " + (p->message.sNumber.empty() ? "an unknown caller" : p->message.sNumber);
    const std::string number = Trim(m_phone.sFwdPhone);
    std::string why;
    if (number.empty()) {
        Done(*p, number, caller, ForwardProblem(number, "no number to forward to is set"));
        return;
    }
    if (Attempt(*p, number, &why)) {
        Done(*p, number, caller, "");
        return;
    }
    if (++p->nAttempt >= kAttempts) {
        Done(*p, number, caller,
             ForwardProblem(number, why) + StrPrintf(" (the last of %d attempts)", kAttempts));
        return;
    }
    // Each attempt is told: the user sees the line being tried again.
    Tell(caller + " " + ForwardProblem(number, why) +
         StrPrintf("; attempt %d of %d, trying again in %s", p->nAttempt, kAttempts,
                   WaitText(m_retryDelay).c_str()));
    p->due = std::chrono::steady_clock::now() + m_retryDelay;
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(*p));
}

void CMessageForwarder::Done(const Queued& p, const std::string& sNumber,
                             const std::string& sCaller, const std::string& sProblem) {
    Tell(sCaller + " " + (sProblem.empty() ? "forwarded to " + sNumber : sProblem));
    if (m_pEvents)
        m_pEvents->Publish(CallForwarded{sNumber, false, p.message.sRecording, sProblem});
}

bool CMessageForwarder::Attempt(const Queued& p, const std::string& sNumber, std::string* pWhy) {
    ITelephoneDevice& dev = m_phone.Device();
    if (!m_dialer.PrepareModem()) {
        *pWhy = "the line cannot be dialled";
        return false;
    }
    DialPrepSettings ds;
    ds.bCompatibleDial = m_phone.bCompatibleDial;
    ds.fKestrixCustomization = m_phone.fKestrixCustomization;
    ds.bAlphaConvert = m_phone.bAlphaConvert;
    dev.SetStopRequest(false);
    const int result = dev.Dial(PrepareDialNumber(sNumber, ds), false);
    m_state.bOffHook = true;
    if (!LookupDialResult(result).bConnected) {
        *pWhy = DialStatusText(result);
        m_line.StopCall();
        return false;
    }
    dev.SetStopRequest(false);
    int ev = -1;
    // Who left it and when, in speech; without speech the message alone.
    std::string why;
    const std::string folder = GetRuntimeFolder(&why);
    const std::string spoken = folder.empty() ? "" : folder + "forward-speech.wav";
    if (!spoken.empty() && SpeakToWaveFile(MessageAnnouncement(p.message, 1, p.message.sName),
                                           UserPhrases().language, spoken, &why))
        ev = dev.PlayFile(spoken, true);
    else
        Tell("the forwarded message goes without its announcement: " + why);
    if (ev != 'b' && ev != 'd')
        ev = dev.PlayFile(p.message.sRecording, true);
    m_line.StopCall();
    if (ev == 'b' || ev == 'd') {
        *pWhy = "the far end hung up before the message ended";
        return false;
    }
    return true;
}
