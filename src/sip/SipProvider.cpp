#include "sip/SipProvider.h"
#include "sip/SipProviderListener.h"

#include "sip/SipCallerId.h"
#include "sip/SipCore.h"
#include "sip/SipSocketGuard.h"

#include "platform/ThreadName.h"

#include <linphone++/linphone.hh>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace sipprovider;

namespace {

// Line handles are the device id plus this (0 is no handle).
constexpr uint32_t kLineHandleBase = 0x200;
constexpr uint32_t kFirstCall = 0x20001;
// How often the stacks are driven while a line has a call: the sound
// flows on the media streamer's own thread, this turn carries the call's
// signalling and its keys (heard within this time).
constexpr auto kIteratePeriod = std::chrono::milliseconds(40);
// How long idle lines wait for a packet before their timers get a turn:
// often while a registration waits for its answer (the stack resends it and
// looks the registrar up on sockets of its own, not watched here), seldom
// otherwise (refreshes and keep-alives are minutes apart).
constexpr auto kIdlePeriod = std::chrono::milliseconds(1000);
constexpr auto kQuietPeriod = std::chrono::milliseconds(5000);
// The stack often answers a packet on the turn after the one that read it:
// that turn comes this soon.
constexpr auto kFollowUp = std::chrono::milliseconds(5);
// The shortest time between two turns, whatever wakes the thread: a socket
// the stack leaves readable must not make it spin.
constexpr auto kMinTurn = std::chrono::milliseconds(2);
// How long closing a line waits for its calls to end: 25 turns, a second.
constexpr int kCloseIterations = 25;

} // namespace

namespace {

std::vector<std::string> LineNames(const std::vector<SipAccount>& accounts) {
    std::vector<std::string> names;
    for (const SipAccount& a : accounts)
        names.push_back(a.LineName());
    return names;
}

} // namespace

CSipProvider::CSipProvider(std::vector<SipAccount> accounts, Options options)
    : m_options(std::move(options)), m_sound("sip", LineNames(accounts)),
      m_table("SIP", kLineHandleBase, kFirstCall, accounts.size()) {
    for (SipAccount& a : accounts) {
        Line line;
        line.account = std::move(a);
        line.gate = CSipCallGate(line.account.sRegistrar);
        if (m_options.bHearLineSignals)
            line.signals = std::make_unique<CSipLineSignals>();
        m_lines.push_back(std::move(line));
    }
    linphone::LoggingService::get()->setLogLevel(linphone::LogLevel::Error);
    m_thread = std::thread([this] {
        NameThisThread("sip-stacks");
        Run();
    });
}

CSipProvider::~CSipProvider() {
    Shutdown();
    m_bQuit = true;
    m_cv.notify_all();
    m_wake.Wake();
    m_thread.join();
}

// ---- under m_mutex -------------------------------------------------------------


void CSipProvider::SetState(uint32_t hCall, uint32_t dwState) {
    Call* c = m_table.Find(hCall);
    if (!c || c->dwState == dwState)
        return;
    m_table.SetState(hCall, dwState);
    FollowSound(hCall, *c);
}

// A call's far end is heard while its sound flows to us: connected, or
// early media on a call we placed (a busy tone often comes that way).
void CSipProvider::FollowSound(uint32_t hCall, const Call& c) {
    Line& line = m_lines[c.dwDevice];
    if (!line.signals || !line.bMonitor)
        return;
    const bool bSound = c.dwState == kCallConnected || c.dwState == kCallProceeding;
    if (bSound && line.hHeard != hCall) {
        line.signals->Listen();
        line.hHeard = hCall;
        line.nDroppedSeen = 0;
    } else if (!bSound && line.hHeard == hCall) {
        StopHearing(hCall);
    }
}

void CSipProvider::StopHearing(uint32_t hCall) {
    for (Line& line : m_lines) {
        if (line.hHeard == hCall && line.signals) {
            line.signals->Stop();
            line.hHeard = 0;
        }
    }
}

// What the far end's sound carried since the last turn becomes the
// messages a telephony provider posts for it.
void CSipProvider::HearLineSignals(Line& line) {
    if (!line.signals || line.hHeard == 0)
        return;
    const uint32_t hCall = line.hHeard;
    const std::vector<LineSignal> heard = line.signals->Hear();
    const uint64_t dropped = line.signals->Dropped();
    if (dropped > line.nDroppedSeen) {
        std::fprintf(stderr,
                     "SIP: the line %s: %llu samples of the call's sound came too fast to be "
                     "heard for line signals\n",
                     line.account.LineName().c_str(),
                     static_cast<unsigned long long>(dropped - line.nDroppedSeen));
        line.nDroppedSeen = dropped;
    }
    const Call* c = m_table.Find(hCall);
    if (!c)
        return;
    for (const LineSignal& s : heard) {
        switch (s.kind) {
        case LineSignalKind::FaxCallingTone:
            // Once: a call already taken as fax has been handed on.
            if (!(c->info.dwMediaMode & (kMediaG3Fax | kMediaG4Fax)))
                m_table.Queue(hCall, TapiMsg::MonitorMedia, kMediaG3Fax);
            break;
        case LineSignalKind::BusyTone:
            m_table.Queue(hCall, TapiMsg::MonitorTone, kToneCharBusy);
            break;
        case LineSignalKind::DialTone:
            m_table.Queue(hCall, TapiMsg::MonitorTone, kToneCharDial);
            break;
        default:
            // Keys come as RFC 4733 events (OnDtmf); caller ID from the
            // call's headers.
            break;
        }
    }
}

// The stack does what it is asked at once; the reply still comes through
// the queue, as the telephony layer waits for one.
TapiResult CSipProvider::Reply(bool bOk) {
    return m_table.Request(bOk ? 0 : kTapiErrOperationUnavail);
}

uint32_t CSipProvider::DeviceOf(const Line& line) const {
    return static_cast<uint32_t>(&line - m_lines.data());
}


uint32_t CSipProvider::HandleOf(const std::shared_ptr<linphone::Call>& call) const {
    for (const auto& [h, c] : m_table.Calls())
        if (c.call == call)
            return h;
    return 0;
}

std::shared_ptr<linphone::Core> CSipProvider::MakeCore(Line& line, std::string* pWhy) {
    return MakeSipCore(line.account, m_options.sStateFolder, m_sound,
                       static_cast<int>(&line - m_lines.data()), pWhy, line.signals.get());
}

TapiResult CSipProvider::FailOpen(Line& line, TapiResult r, const std::string& sWhy) {
    // Told by the line's user, which asks OpenFailure.
    line.sOpenError = sWhy;
    return r;
}

std::string CSipProvider::Target(const Line& line, const std::string& sNumber) const {
    // A full address is used as it is; a bare number goes to the registrar.
    if (sNumber.find('@') != std::string::npos || sNumber.rfind("sip:", 0) == 0 ||
        sNumber.rfind("sips:", 0) == 0)
        return sNumber;
    std::string digits;
    for (char c : sNumber)
        if (IsDtmfKey(c) || c == '+')
            digits += c;
    if (line.account.sRegistrar.empty() || digits.empty())
        return {};
    return "sip:" + digits + "@" + line.account.sRegistrar;
}

bool CSipProvider::RefuseStranger(Line& line, const std::shared_ptr<linphone::Call>& call) {
    const auto params = call->getRemoteParams();
    const std::string via = params ? params->getCustomHeader("Via") : "";
    if (line.gate.Allows(via))
        return false;
    // Declined once the stack has finished telling us about it.
    m_declined.emplace_back(call, static_cast<int>(linphone::Reason::Forbidden));
    const std::string report = line.gate.Refused(CleanSipText(CSipCallGate::ViaSource(via)),
                                                 std::chrono::steady_clock::now());
    if (!report.empty())
        LogLine(line.account, report);
    return true;
}

void CSipProvider::OnIncoming(uint32_t dwDevice, const std::shared_ptr<linphone::Call>& call) {
    if (RefuseStranger(m_lines[dwDevice], call))
        return;
    for (const auto& [h, c] : m_table.Calls()) {
        if (c.dwDevice == dwDevice && c.dwState != kCallIdle) {
            // One call per line, as on an analogue line: the second caller
            // hears busy instead of ringing unheard (declined once the
            // stack has finished telling us about it).
            m_declined.emplace_back(call, static_cast<int>(linphone::Reason::Busy));
            return;
        }
    }
    Call c;
    c.dwDevice = dwDevice;
    c.call = call;
    c.info.dwMediaMode = kMediaInteractiveVoice;
    SipIdentity from;
    if (auto addr = call->getRemoteAddress()) {
        from.sDisplayName = addr->getDisplayName();
        from.sUser = addr->getUsername();
        from.sHost = addr->getDomain();
    }
    std::string asserted;
    if (auto params = call->getRemoteParams())
        asserted = params->getCustomHeader("P-Asserted-Identity");
    FillSipCallerId(from, asserted, &c.info);
    c.nextRing =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.nRingRepeatMs);
    const uint32_t hCall = m_table.Add(std::move(c));
    const uint32_t hLine = m_table.LineHandle(dwDevice);
    m_table.Queue(hLine, TapiMsg::AppNewCall, 0, hCall);
    SetState(hCall, kCallOffering);
    m_table.Queue(hLine, TapiMsg::LineDevState, kLineDevStateRinging);
    m_table.Queue(hCall, TapiMsg::CallInfo, kCallInfoCallerId);
}

void CSipProvider::OnCallState(uint32_t dwDevice, const std::shared_ptr<linphone::Call>& call,
                               int state) {
    using S = linphone::Call::State;
    const auto s = static_cast<S>(state);
    if (s == S::IncomingReceived) {
        OnIncoming(dwDevice, call);
        return;
    }
    const uint32_t hCall = HandleOf(call);
    Call* c = m_table.Find(hCall);
    if (!c)
        return;
    switch (s) {
    case S::OutgoingProgress:
        SetState(hCall, kCallDialing);
        break;
    case S::OutgoingRinging:
        SetState(hCall, kCallRingBack);
        break;
    case S::OutgoingEarlyMedia:
        SetState(hCall, kCallProceeding);
        break;
    case S::Connected:
    case S::StreamsRunning:
        c->bEverConnected = true;
        SetState(hCall, kCallConnected);
        break;
    case S::Error:
        SetState(hCall,
                 call->getReason() == linphone::Reason::Busy ? kCallBusy : kCallDisconnected);
        break;
    case S::End:
        // A transfer the call ended before the far end told of: as far as
        // it got, else failed.
        if (c->nTransferRequest > 0)
            OnTransferState(call, static_cast<int>(call->getTransferState()));
        if (c->nTransferRequest > 0)
            OnTransferState(call, static_cast<int>(S::Error));
        if (c->dwState != kCallIdle && c->dwState != kCallBusy)
            SetState(hCall, kCallDisconnected);
        break;
    case S::Released:
        // Nothing of this call's sound is left for the next one.
        m_sound.Clear(static_cast<int>(c->dwDevice));
        c->call.reset();
        // A call that never connected leaves nothing to hang up: the line
        // is free again at once (the far end gave up ringing).
        if (!c->bEverConnected)
            SetState(hCall, kCallIdle);
        break;
    default:
        break;
    }
}

void CSipProvider::OnTransferState(const std::shared_ptr<linphone::Call>& call, int state) {
    using S = linphone::Call::State;
    Call* c = m_table.Find(HandleOf(call));
    if (!c || c->nTransferRequest <= 0)
        return;
    // The far end took the REFER and calls the address (its progress), or
    // refused it or could not reach the address (an error).
    const auto s = static_cast<S>(state);
    bool bOk = false;
    if (s == S::OutgoingProgress || s == S::OutgoingRinging || s == S::OutgoingEarlyMedia ||
        s == S::Connected || s == S::StreamsRunning)
        bOk = true;
    else if (s != S::Error && s != S::End && s != S::Released)
        return;
    m_table.Queue(
        0, TapiMsg::Reply, static_cast<uintptr_t>(std::exchange(c->nTransferRequest, 0)),
        static_cast<uintptr_t>(static_cast<uint32_t>(bOk ? 0 : kTapiErrOperationUnavail)));
}

void CSipProvider::OnDtmf(const std::shared_ptr<linphone::Call>& call, int dtmf) {
    const uint32_t hCall = HandleOf(call);
    Call* c = m_table.Find(hCall);
    if (!c || !c->bMonitorDigits || dtmf < 0 || dtmf > 255 || !IsDtmfKey(static_cast<char>(dtmf)))
        return;
    m_table.Queue(hCall, TapiMsg::MonitorDigits, static_cast<uintptr_t>(dtmf), kDigitModeDtmf);
}

void CSipProvider::OnRegistration(uint32_t dwDevice,
                                  const std::shared_ptr<linphone::Account>& account, int state,
                                  const std::string& sMessage) {
    using S = linphone::RegistrationState;
    if (dwDevice >= m_lines.size() || !account)
        return;
    Line& line = m_lines[dwDevice];
    SipRegistration reg = line.reg;
    switch (static_cast<S>(state)) {
    case S::Progress:
        // A new attempt after a failure leaves the line as it is until the
        // registrar answers.
        if (reg.state == SipRegistration::State::Failed)
            return;
        reg = {};
        reg.state = SipRegistration::State::Registering;
        break;
    case S::Ok: {
        reg = {};
        reg.state = SipRegistration::State::Registered;
        // What the registrar granted, else what was asked for.
        reg.nExpires = std::atoi(account->getCustomHeader("Expires").c_str());
        auto params = account->getParams();
        if (reg.nExpires <= 0 && params)
            reg.nExpires = params->getExpires();
        line.nFailures = 0;
        if (line.gate.Resolve(&line.sResolveError))
            line.sResolveError.clear();
        break;
    }
    case S::Failed: {
        reg = {};
        reg.state = SipRegistration::State::Failed;
        if (auto info = account->getErrorInfo()) {
            reg.nCode = info->getProtocolCode();
            reg.sReason = CleanSipText(info->getPhrase());
        }
        if (reg.sReason.empty())
            reg.sReason = CleanSipText(sMessage);
        // No answer and no address: the name is what failed.
        if ((reg.nCode == 0 || reg.nCode == 503) && !line.sResolveError.empty()) {
            reg.nCode = 0;
            reg.sReason = line.sResolveError;
        }
        reg.nRetrySeconds = SipRetrySeconds(++line.nFailures);
        line.retryAt = std::chrono::steady_clock::now() + std::chrono::seconds(reg.nRetrySeconds);
        break;
    }
    default:
        return;
    }
    SetRegistration(line, reg);
}

void CSipProvider::SetRegistration(Line& line, const SipRegistration& reg) {
    if (reg == line.reg)
        return;
    const bool bWasInService = line.reg.state != SipRegistration::State::Failed;
    const bool bInService = reg.state != SipRegistration::State::Failed;
    line.reg = reg;
    LogLine(line.account, SipRegistrationText(reg, line.account.sRegistrar));
    if (bWasInService != bInService)
        m_table.Queue(m_table.LineHandle(DeviceOf(line)), TapiMsg::LineDevState,
              bInService ? kLineDevStateInService : kLineDevStateOutOfService);
}

// Failed registrations are tried again when their wait is over; refused
// callers not yet told are told.
void CSipProvider::FollowRegistrations() {
    const auto now = std::chrono::steady_clock::now();
    for (Line& line : m_lines) {
        if (!line.core)
            continue;
        if (line.reg.state == SipRegistration::State::Failed && now >= line.retryAt) {
            line.retryAt = now + std::chrono::hours(24); // until this attempt ends
            if (line.gate.Resolve(&line.sResolveError))
                line.sResolveError.clear();
            if (auto account = line.core->getDefaultAccount())
                account->refreshRegister();
        }
        const std::string report = line.gate.Due(now);
        if (!report.empty())
            LogLine(line.account, report);
    }
}

void CSipProvider::RingAgain() {
    const auto now = std::chrono::steady_clock::now();
    for (auto& [h, c] : m_table.Calls()) {
        if ((c.dwState == kCallOffering || c.dwState == kCallAccepted) && now >= c.nextRing) {
            c.nextRing = now + std::chrono::milliseconds(m_options.nRingRepeatMs);
            m_table.Queue(m_table.LineHandle(c.dwDevice), TapiMsg::LineDevState, kLineDevStateRinging);
        }
    }
}

void CSipProvider::CloseLine(Line& line) {
    if (!line.core)
        return;
    const uint32_t dwDevice = DeviceOf(line);
    m_table.CloseLine(dwDevice); // nothing of this line is queued from here on
    if (line.hHeard)
        StopHearing(line.hHeard);
    line.core->terminateAllCalls();
    // Lets the hang-ups go out before the stack stops, so no far end is
    // left ringing; bounded, as a far end may not answer at all.
    for (int n = 0; n < kCloseIterations && line.core->getCallsNb() > 0; ++n) {
        line.core->iterate();
        std::this_thread::sleep_for(kIteratePeriod);
    }
    line.core->removeListener(line.listener);
    line.core->stop();
    line.core.reset();
    line.listener.reset();
    line.nPort = 0;
    m_table.DropCalls(dwDevice);
}

void CSipProvider::SleepUntil(std::chrono::steady_clock::time_point when) {
    const auto now = std::chrono::steady_clock::now();
    if (now < when && !m_bQuit)
        m_wake.Sleep({}, std::chrono::ceil<std::chrono::milliseconds>(when - now));
}

void CSipProvider::Run() {
    std::unique_lock lock(m_mutex);
    bool bWoken = false; // by a packet (or a wake-up) in the last sleep
    while (!m_bQuit) {
        const auto turn = std::chrono::steady_clock::now();
        for (Line& line : m_lines)
            if (line.core)
                line.core->iterate();
        for (const auto& [call, reason] : m_declined)
            if (CallIsLive(call))
                call->decline(static_cast<linphone::Reason>(reason));
        m_declined.clear();
        FollowRegistrations();
        RingAgain();
        for (Line& line : m_lines)
            HearLineSignals(line);
        // With no call on any line, nothing happens until a packet comes
        // (or a line opens, or a call is placed: they wake the thread).
        const bool bCalls = !m_table.Calls().empty();
        bool bRegistering = false;
        std::vector<int> ports;
        for (const Line& line : m_lines) {
            if (line.core && !bCalls)
                ports.push_back(line.nPort);
            bRegistering = bRegistering ||
                           (line.core && line.reg.state == SipRegistration::State::Registering);
        }
        lock.unlock();
        if (bCalls) {
            SleepUntil(turn + kIteratePeriod);
        } else if (!m_bQuit) {
            // After a packet, not again at once: a socket the stack leaves
            // readable must not make the thread spin.
            if (bWoken)
                SleepUntil(turn + kMinTurn);
            bWoken = m_wake.Sleep(ports, bWoken         ? kFollowUp
                                         : bRegistering ? kIdlePeriod
                                                        : kQuietPeriod);
        }
        lock.lock();
    }
}
