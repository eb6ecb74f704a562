// The contacts, the screening rules and the call history, kept in one SQLite
// file (sFileContacts). Numbers are stored as written and in their one form
// (CPhoneNumbers), and found by that form through an index. Several
// processes may use the file at once (the desktop program, the service,
// vorella-tool): each change is one transaction that waits for the others,
// so nothing is lost and nothing is left half-written.
//
// A failure never throws: the operation returns false (or nothing) and
// Error() says what and why ("The contacts file /x/minidb.dat cannot be
// opened: file is not a database"). One object may be used from several
// threads.
#pragma once

#include "screening/Contact.h"
#include "screening/Database.h"
#include "screening/ScreeningTypes.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CPhoneNumbers;

class CContactStore {
public:
    // The layout of the file this program writes (PRAGMA user_version).
    static constexpr int kLayoutVersion = 4;

    explicit CContactStore(const CPhoneNumbers& numbers) : m_numbers(numbers) {}

    // Opens the file, making it when missing and bringing an older layout up
    // to date in place. False for a file that cannot be opened or written,
    // that is no database, or that a newer version of the program made;
    // the file is then left as it is.
    bool Open(const std::string& path);
    void Close();
    const std::string& Path() const { return m_sPath; }
    std::string Error() const;

    // Contacts. Add gives the new contact's id (0 on failure); Import adds
    // all or, on any failure, none.
    int64_t AddContact(const Contact& contact);
    bool ImportContacts(const std::vector<Contact>& contacts);
    bool UpdateContact(const Contact& contact);
    bool DeleteContact(int64_t id);
    std::optional<Contact> GetContact(int64_t id);
    // Contacts whose name or one of whose numbers contains text (every
    // contact for ""), by name.
    std::vector<Contact> FindContacts(const std::string& text, int limit = 1000);
    // The contact with this number (in its one form); the oldest when
    // several have it.
    std::optional<Contact> ContactForNumber(const std::string& normalised);
    int64_t ContactCount();

    // Number ranges. The prefix is read as the user wrote it ("0900").
    bool AddPrefixRule(const std::string& prefix, ContactList list);
    bool DeletePrefixRule(const std::string& prefix);
    std::vector<PrefixRule> PrefixRules();
    // The longest range that holds the number (in its one form).
    std::optional<PrefixRule> PrefixRuleFor(const std::string& normalised);

    // The list of callers of one kind of caller ID (None: no rule).
    bool SetClassRule(CallerClass callerClass, ContactList list);
    ContactList ClassRule(CallerClass callerClass);

    // The call history. Append gives the call's id (0 on failure); the
    // calls of AppendCalls are added all or, on any failure, none.
    int64_t AppendCall(const HistoryEntry& call);
    bool AppendCalls(const std::vector<HistoryEntry>& calls);
    int64_t CallCount();
    bool SetOutcome(int64_t id, CallOutcome outcome, const std::string& recording);
    // Where a call's message was forwarded after the call, or why not.
    bool SetForwarding(int64_t id, const std::string& forwardedTo, const std::string& problem);
    bool MarkHeard(int64_t id, bool heard);
    // The newest call with this recording: its path as stored, else (the
    // file moved to another call folder since) its file name.
    std::optional<int64_t> CallOfRecording(const std::string& path);
    // Newest first, a page at a time.
    std::vector<HistoryEntry> Calls(HistoryFilter filter, int offset, int limit);
    // The calls of one number (in its one form), newest first.
    std::vector<HistoryEntry> CallsOf(const std::string& normalised, int limit);
    // A number that changes when another connection (another process, or
    // another store in this one) has written the file since: a cheap look
    // for whether to read again. -1 when it cannot be read.
    int64_t DataVersion();

private:
    bool Migrate();
    bool Failed(const char* what);
    bool Fail(const char* what, const std::string& why);
    bool Unwritten();
    bool WriteContact(const Contact& contact, int64_t& id);
    bool InsertCall(const HistoryEntry& call);
    bool ReadNumbers(Contact& contact);
    std::vector<HistoryEntry> ReadCalls(CQuery& query);

    const CPhoneNumbers& m_numbers;
    mutable std::mutex m_mutex;
    CDatabase m_db;
    std::string m_sPath;
    std::string m_sError;
};
