// The main window's "Calls" view without its widgets: the rows of the call
// history as the view shows them, the outcome in words, which of the caller
// commands ("Block caller", "Always let through", "Add to contacts") a row
// offers, the pages the view reads, and the window's own connection to the
// contacts file (Options/sFileContacts), opened when first needed.
#pragma once

#include "screening/Contact.h"
#include "screening/ScreeningTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CContactStore;
class CPhoneNumbers;
class CallTimeLocale;

// How a call ended, in words ("missed", "challenge failed").
const char* OutcomeWord(CallOutcome outcome);

// One row of the view.
struct CallsRow {
    int64_t nId = 0;
    std::string sTime;        // date text, one blank, time text, as the call list
    std::string sCaller;      // the contact's name, else the network's
    std::string sNetworkName; // the network's, when the contact's is shown ("" else)
    std::string sNumber;      // in its display form
    std::string sSent;        // as the network sent it
    std::string sNormalised;  // its one form: the caller's earlier calls
    std::string sOutcome;
    std::string sRule;
    std::string sFile;      // the recording's file name ("" none)
    std::string sRecording; // and its path
    bool bMessage = false;
    bool bBold = false; // an unheard message, with bHilightNew
};

// sDisplayNumber: the number in its display form (CPhoneNumbers::Display).
CallsRow CallsRowFor(const HistoryEntry& call, const std::string& sContactName,
                     const std::string& sDisplayNumber, const CallTimeLocale& locale,
                     bool bHilightNew);

// Which caller commands a row offers: none without a number; a number no
// contact has, all three; a contact's, the lists it is not on yet.
struct CallerCommands {
    bool bBlock = false;
    bool bPermit = false;
    bool bAdd = false;
};
CallerCommands CallerCommandsFor(const std::string& sNumber,
                                 std::optional<ContactList> contactsList);

// The view reads a page of rows at a time: the first when it is shown, the
// next when the list is scrolled to its end, and again all those shown when
// the history changed.
class CCallsPages {
public:
    static constexpr int kPageRows = 300;
    explicit CCallsPages(int nPageRows = kPageRows) : m_nPageRows(nPageRows) {}

    void Reset() { m_nRows = 0, m_bMore = true; }
    bool HasMore() const { return m_bMore; }
    // The next page starts after the rows shown.
    int Offset() const { return m_nRows; }
    int PageRows() const { return m_nPageRows; }
    // nGot rows came for a read of nAsked: a short page is the last.
    void Took(int nAsked, int nGot);
    // What a reading again asks for (from the start): the rows shown, at
    // least a page.
    int ReloadRows() const { return m_nRows > m_nPageRows ? m_nRows : m_nPageRows; }

private:
    int m_nPageRows;
    int m_nRows = 0;
    bool m_bMore = true;
};

// The window's connection to the contacts file, opened at its first use
// with the settings of then. A file that cannot be opened is tried again at
// each use; its error is handed out once (TakeError) until it opens.
class CCallsSource {
public:
    CCallsSource();
    ~CCallsSource();
    CCallsSource(const CCallsSource&) = delete;
    CCallsSource& operator=(const CCallsSource&) = delete;

    // Newest first.
    std::vector<CallsRow> Calls(HistoryFilter filter, int offset, int limit);
    std::vector<CallsRow> CallsOf(const std::string& sNormalised, int limit);
    // The list of the contact that has sNumber (nothing: no contact has it).
    std::optional<ContactList> ListOf(const std::string& sNumber);
    // A message was played.
    void MarkHeard(int64_t nId);
    // The message with this recording was played: false, with why, when no
    // call has it or the file cannot be written.
    bool MarkRecordingHeard(const std::string& sPath, std::string* pError);
    // Someone (the worker, a tool, a command) wrote the file since the last
    // look; the first look says true.
    bool Changed();
    // The failure not told yet ("" none).
    std::string TakeError();
    // The last read's failure ("" it went well).
    const std::string& Error() const { return m_sError; }

private:
    bool Open();
    void Failed();
    std::vector<CallsRow> Rows(const std::vector<HistoryEntry>& calls);
    const std::string& DisplayOf(const std::string& sSent);

    std::unique_ptr<CPhoneNumbers> m_numbers;
    std::unique_ptr<CContactStore> m_store;
    bool m_bOpen = false;
    bool m_bHilightNew = true;
    int64_t m_nSeenVersion = -1;
    std::string m_sError, m_sTold;
    std::map<int64_t, std::string> m_names; // contact names of the rows read
    // Numbers in their display form: the number library is slow, and most
    // callers call again.
    std::map<std::string, std::string> m_display;
};
