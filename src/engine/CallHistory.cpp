#include "engine/CallHistory.h"

#include "config/DataFolder.h"
#include "config/SettingsProvider.h"
#include "engine/HistoryRebuild.h"
#include "engine/CallState.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "platform/TextUtil.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <algorithm>
#include <ctime>

CCallHistory::CCallHistory(CPhone& phone) : m_phone(phone) {}

// The worker's loop stops the subscription (Stop) before the publisher goes.
CCallHistory::~CCallHistory() = default;

void CCallHistory::Report(const std::string& text) {
    m_phone.Trace(text + "\n");
    m_phone.SetStatusText(text);
}

void CCallHistory::Start(CCallEventPublisher& events) {
    if (!m_bOpenTried) {
        m_bOpenTried = true;
        m_numbers = std::make_unique<CPhoneNumbers>(m_phone.sCountry, m_phone.AreaCode);
        auto store = std::make_unique<CContactStore>(*m_numbers);
        const std::string path = ProgramFile(m_phone.sFileContacts);
        if (store->Open(path)) {
            m_store = std::move(store);
            RebuildIfLost();
        } else {
            Report(store->Error() + "; calls are not screened and not kept in the history");
        }
    }
    if (!m_store || m_pEvents)
        return;
    CountNewMessages();
    m_pEvents = &events;
    m_nSubscription =
        events.Subscribe("call history", [this](const CallEvent& event) { OnEvent(event); });
}

void CCallHistory::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription, true);
    m_pEvents = nullptr;
    if (m_bInCall)
        EndCall();
}

void CCallHistory::RebuildIfLost() {
    if (m_store->CallCount() != 0)
        return;
    std::string error;
    const std::vector<HistoryEntry> calls =
        HistoryFromIndexes(GetDataFolder() + "Recorded Calls/", *m_numbers, error);
    if (!error.empty())
        Report("the call history is not rebuilt from every call folder: " + error);
    if (calls.empty())
        return;
    if (m_store->AppendCalls(calls))
        Report("the call history was rebuilt from the call folders' index.dat: " +
               std::to_string(calls.size()) + " recordings");
    else
        Report("the call history cannot be rebuilt from the call folders' index.dat: " +
               m_store->Error());
}

ScreeningDecision CCallHistory::Screen(const ScreeningCall& call,
                                       std::optional<Contact>& contact) {
    contact.reset();
    if (!m_store)
        return {};
    ScreeningSettings settings;
    settings.nBlackAction = m_phone.nBlackAction;
    settings.nWhiteAction = m_phone.nWhiteAction;
    settings.bDropBlackCalls = m_phone.bDropBlackCalls;
    // Read afresh: the tray and vorellactl pause screening in a running program.
    settings.bPaused = SettingsProvider().GetBool("bScreeningPaused");
    settings.bChallenge = m_phone.bChallengeUnknown;
    settings.nRepeatMinutes = m_phone.nRepeatCallerMinutes;
    const ScreeningFacts facts = LookUpCaller(*m_store, *m_numbers, call);
    contact = facts.contact;
    return Decide(call, facts, settings);
}

void CCallHistory::OnEvent(const CallEvent& event) {
    if (const auto* ring = std::get_if<CallRinging>(&event)) {
        if (ring->nRings <= 1 || !m_bInCall)
            BeginCall();
    } else if (const auto* caller = std::get_if<CallerIdentified>(&event)) {
        if (m_bInCall) {
            m_call.sNumber = caller->sNumber;
            m_call.sName = caller->sNetworkName;
            m_call.sNormalised = m_numbers->Normalise(caller->sNumber);
        }
    } else if (const auto* screened = std::get_if<CallScreened>(&event)) {
        if (m_bInCall && screened->bChallengeFailed) {
            m_call.outcome = CallOutcome::ChallengeFailed;
        } else if (m_bInCall) {
            m_call.decision = screened->action;
            m_call.sRule = screened->sRule;
            m_call.nContactId = screened->nContactId;
        }
    } else if (std::holds_alternative<CallAnswered>(event)) {
        m_bAnswered = m_bInCall;
    } else if (const auto* stored = std::get_if<RecordingStored>(&event)) {
        const CallOutcome outcome = stored->bMessage ? CallOutcome::Message : CallOutcome::Recorded;
        if (m_bInCall) {
            m_call.outcome = outcome;
            m_call.sRecording = stored->sFile;
        } else if (m_nLastId && !m_store->SetOutcome(m_nLastId, outcome, stored->sFile)) {
            Report("the call history does not have the recording " + stored->sFile + ": " +
                   m_store->Error());
        } else if (m_nLastId) {
            CountNewMessages();
        }
    } else if (const auto* forwarded = std::get_if<CallForwarded>(&event)) {
        Forwarded(*forwarded);
    } else if (const auto* back = std::get_if<LineBack>(&event)) {
        m_sLine = !back->sDevice.empty()                    ? back->sDevice
                  : back->kind == DeviceKind::TelephonyLine ? "telephony line"
                  : back->kind == DeviceKind::UsbAdapter    ? "USB telephone adapter"
                                                            : "modem";
    } else if (std::holds_alternative<CallEnded>(event)) {
        if (m_bInCall)
            EndCall();
    }
}

void CCallHistory::Forwarded(const CallForwarded& f) {
    const bool bWent = f.sProblem.empty();
    // The call on the line, or its message forwarded after the call.
    if (m_bInCall && (f.sRecording.empty() || f.sRecording == m_call.sRecording)) {
        if (!bWent)
            m_call.sForwardProblem = f.sProblem;
        else
            m_call.sForwardedTo = f.sTarget;
        if (bWent && !f.bTransferred && f.sRecording.empty())
            m_call.outcome = CallOutcome::Forwarded;
        return;
    }
    if (f.sRecording.empty())
        return;
    const std::optional<int64_t> id = m_store->CallOfRecording(f.sRecording);
    if (!id || !m_store->SetForwarding(*id, bWent ? f.sTarget : "", f.sProblem)) {
        const std::string why = m_store->Error();
        Report("the call history does not have the forwarding of " + f.sRecording + ": " +
               (why.empty() ? "no call has that message" : why));
    }
}

void CCallHistory::BeginCall() {
    if (m_bInCall)
        EndCall();
    m_call = HistoryEntry{};
    m_call.tTime = static_cast<int64_t>(std::time(nullptr));
    m_call.sLine = m_sLine;
    m_bInCall = true;
    m_bAnswered = false;
    m_nLastId = 0;
}

void CCallHistory::EndCall() {
    m_bInCall = false;
    if (m_call.outcome == CallOutcome::Ringing) {
        const ScreenAction a = m_call.decision;
        if (a == ScreenAction::HangUp || a == ScreenAction::NotInService ||
            (a == ScreenAction::ShowBlocked && !m_bAnswered))
            m_call.outcome = CallOutcome::Blocked;
        else
            m_call.outcome = m_bAnswered ? CallOutcome::Answered : CallOutcome::Missed;
    }
    m_nLastId = m_store->AppendCall(m_call);
    // Told once when writing starts to fail, and once when it works again.
    if (!m_nLastId && !m_bWriteFailed)
        Report("the call history cannot be written: " + m_store->Error());
    else if (m_nLastId && m_bWriteFailed)
        Report("the call history is written again");
    m_bWriteFailed = !m_nLastId;
    CountNewMessages();
}

std::vector<HistoryEntry> CCallHistory::UnheardMessages() {
    if (!m_store)
        return {};
    // A history holds few unheard messages; more than this are not offered at once.
    constexpr int kMostMessages = 1000;
    std::vector<HistoryEntry> calls =
        m_store->Calls(HistoryFilter::UnheardMessages, 0, kMostMessages);
    std::reverse(calls.begin(), calls.end());
    return calls;
}

std::string CCallHistory::ContactName(const HistoryEntry& call) {
    if (!m_store || call.nContactId == 0)
        return {};
    const std::optional<Contact> contact = m_store->GetContact(call.nContactId);
    return contact ? contact->sName : std::string();
}

bool CCallHistory::MarkHeard(int64_t id, bool bHeard) {
    if (!m_store)
        return false;
    if (!m_store->MarkHeard(id, bHeard)) {
        Report("the call history cannot mark a message heard: " + m_store->Error());
        return false;
    }
    CountNewMessages();
    return true;
}

void CCallHistory::CountNewMessages() {
    const bool bNew = !m_store->Calls(HistoryFilter::UnheardMessages, 0, 1).empty();
    m_phone.CallState().EngineState().bNewMessages = bNew;
}

CallerClass CallerClassOf(const std::string& sNumber, const std::string& sCidMessage) {
    if (!DigitsOf(sNumber).empty())
        return CallerClass::Number;
    const std::string all = ToLowerAscii(sNumber + " " + sCidMessage);
    const std::string n = ToLowerAscii(Trim(sNumber));
    if (n == "p" || all.find("private") != std::string::npos ||
        all.find("anonymous") != std::string::npos || all.find("withheld") != std::string::npos)
        return CallerClass::Withheld;
    if (n == "o" || all.find("out of area") != std::string::npos ||
        all.find("unavailable") != std::string::npos)
        return CallerClass::OutOfArea;
    if (n == "c" || all.find("payphone") != std::string::npos ||
        all.find("coin") != std::string::npos)
        return CallerClass::Payphone;
    return CallerClass::Invalid;
}

std::string ScreeningText(const ScreeningDecision& d) {
    switch (d.action) {
    case ScreenAction::ShowBlocked:
    case ScreenAction::HangUp:
        return "caller blocked: " + d.sRule;
    case ScreenAction::NotInService:
        return "caller blocked, told the number is not in service: " + d.sRule;
    case ScreenAction::TakeMessage:
        return "caller blocked, the machine takes a message: " + d.sRule;
    case ScreenAction::NeverAnswer:
        return "caller let through, not answered by the machine: " + d.sRule;
    case ScreenAction::AnswerAtFirstRing:
        return "caller let through, answered at once: " + d.sRule;
    case ScreenAction::Challenge:
        return "caller to be challenged: " + d.sRule;
    case ScreenAction::LetRing:
        break;
    }
    return "caller rings: " + d.sRule;
}
