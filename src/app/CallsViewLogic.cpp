#include "app/CallsViewLogic.h"

#include "app/ContactsLogic.h"
#include "calllog/CallTime.h"
#include "config/SettingsProvider.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <ctime>

const char* OutcomeWord(CallOutcome outcome) {
    switch (outcome) {
    case CallOutcome::Ringing:
        return "ringing";
    case CallOutcome::Answered:
        return "answered";
    case CallOutcome::Message:
        return "message";
    case CallOutcome::Recorded:
        return "recorded";
    case CallOutcome::Missed:
        return "missed";
    case CallOutcome::Blocked:
        return "blocked";
    case CallOutcome::ChallengeFailed:
        return "challenge failed";
    case CallOutcome::Forwarded:
        return "forwarded";
    }
    return "?";
}

CallsRow CallsRowFor(const HistoryEntry& call, const std::string& sContactName,
                     const std::string& sDisplayNumber, const CallTimeLocale& locale,
                     bool bHilightNew) {
    CallsRow row;
    row.nId = call.nId;
    const std::time_t t = static_cast<std::time_t>(call.tTime);
    std::tm local{};
    if (::localtime_r(&t, &local))
        row.sTime = locale.FormatDate(local) + " " + locale.FormatTime(local);
    row.sCaller = sContactName.empty() ? call.sName : sContactName;
    if (!sContactName.empty() && call.sName != sContactName)
        row.sNetworkName = call.sName;
    row.sNumber = sDisplayNumber;
    row.sSent = call.sNumber;
    row.sNormalised = call.sNormalised;
    row.sOutcome = OutcomeWord(call.outcome);
    if (!call.sForwardedTo.empty())
        row.sOutcome += (call.outcome == CallOutcome::Forwarded ? " to " : ", forwarded to ") +
                        call.sForwardedTo;
    if (!call.sForwardProblem.empty())
        row.sOutcome += ", " + call.sForwardProblem;
    row.sRule = call.sRule;
    row.sRecording = call.sRecording;
    row.sFile = call.sRecording.substr(call.sRecording.find_last_of('/') + 1);
    row.bMessage = call.outcome == CallOutcome::Message;
    row.bBold = bHilightNew && row.bMessage && !call.bHeard;
    return row;
}

CallerCommands CallerCommandsFor(const std::string& sNumber,
                                 std::optional<ContactList> contactsList) {
    CallerCommands c;
    if (DigitsOf(sNumber).empty())
        return c;
    c.bBlock = contactsList != ContactList::Block;
    c.bPermit = contactsList != ContactList::Permit;
    // "Add to contacts" of a contact would take it off its list.
    c.bAdd = !contactsList;
    return c;
}

void CCallsPages::Took(int nAsked, int nGot) {
    m_nRows += nGot;
    m_bMore = nGot >= nAsked;
}

CCallsSource::CCallsSource() = default;
CCallsSource::~CCallsSource() = default;

bool CCallsSource::Open() {
    if (m_bOpen)
        return true;
    m_bHilightNew = SettingsProvider().GetBool("bHilightNew");
    const ContactsPlace place = ContactsPlaceFromSettings();
    if (!m_numbers)
        m_numbers = std::make_unique<CPhoneNumbers>(place.sCountry, place.sAreaCode);
    m_store = std::make_unique<CContactStore>(*m_numbers);
    m_bOpen = m_store->Open(place.sPath);
    if (!m_bOpen)
        Failed();
    else
        m_sTold.clear();
    return m_bOpen;
}

void CCallsSource::Failed() {
    m_sError = m_store->Error();
}

std::string CCallsSource::TakeError() {
    if (m_sError.empty() || m_sError == m_sTold)
        return {};
    m_sTold = m_sError;
    return m_sError;
}

std::vector<CallsRow> CCallsSource::Rows(const std::vector<HistoryEntry>& calls) {
    if (!m_store->Error().empty()) {
        Failed();
        return {};
    }
    m_sError.clear();
    const CallTimeLocale locale;
    std::vector<CallsRow> rows;
    rows.reserve(calls.size());
    for (const HistoryEntry& e : calls) {
        std::string name;
        if (e.nContactId != 0) {
            auto it = m_names.find(e.nContactId);
            if (it == m_names.end()) {
                const std::optional<Contact> c = m_store->GetContact(e.nContactId);
                it = m_names.emplace(e.nContactId, c ? c->sName : "").first;
            }
            name = it->second;
        }
        rows.push_back(CallsRowFor(e, name, DisplayOf(e.sNumber), locale, m_bHilightNew));
    }
    return rows;
}

const std::string& CCallsSource::DisplayOf(const std::string& sSent) {
    constexpr size_t kMaxKept = 10000;
    auto it = m_display.find(sSent);
    if (it != m_display.end())
        return it->second;
    if (m_display.size() >= kMaxKept)
        m_display.clear();
    return m_display.emplace(sSent, m_numbers->Display(sSent)).first->second;
}

std::vector<CallsRow> CCallsSource::Calls(HistoryFilter filter, int offset, int limit) {
    if (!Open())
        return {};
    return Rows(m_store->Calls(filter, offset, limit));
}

std::vector<CallsRow> CCallsSource::CallsOf(const std::string& sNormalised, int limit) {
    if (sNormalised.empty() || !Open())
        return {};
    return Rows(m_store->CallsOf(sNormalised, limit));
}

std::optional<ContactList> CCallsSource::ListOf(const std::string& sNumber) {
    if (!Open())
        return std::nullopt;
    const std::string normalised = m_numbers->Normalise(sNumber);
    const std::optional<Contact> c =
        normalised.empty() ? std::nullopt : m_store->ContactForNumber(normalised);
    return c ? std::optional<ContactList>(c->list) : std::nullopt;
}

void CCallsSource::MarkHeard(int64_t nId) {
    if (Open() && !m_store->MarkHeard(nId, true))
        Failed();
}

bool CCallsSource::MarkRecordingHeard(const std::string& sPath, std::string* pError) {
    if (!Open()) {
        *pError = m_sError;
        return false;
    }
    const std::optional<int64_t> id = m_store->CallOfRecording(sPath);
    if (!id || !m_store->MarkHeard(*id, true)) {
        *pError = id || !m_store->Error().empty() ? m_store->Error()
                                                  : "The call history has no call with it.";
        return false;
    }
    return true;
}

bool CCallsSource::Changed() {
    if (!Open())
        return false;
    const int64_t version = m_store->DataVersion();
    if (version == m_nSeenVersion)
        return false;
    m_nSeenVersion = version;
    // A contact renamed shows under its new name.
    m_names.clear();
    return true;
}
