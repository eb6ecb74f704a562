// What the web page asks of the program that serves it: the line's state,
// the call history, the commands of the line (the same path external
// control takes), the caller lists, and the call log that writes the call
// folders' indexes. The service gives its own; tests give theirs.
#pragma once

#include "screening/Contact.h"
#include "screening/ScreeningTypes.h"

#include <set>
#include <string>
#include <vector>

class CCallEventPublisher;
class CCallLog;

struct WebLineState {
    bool bMonitoring = false;
    std::string sDeviceProblem; // why the device cannot take calls ("" it can)
    bool bRinging = false;
    bool bInCall = false;
    bool bRecording = false;
    std::string sCaller; // name and number of the call on the line
    bool bScreeningOn = true;
};

struct WebHistoryRow {
    std::string sTime;
    std::string sCaller;
    std::string sNumber; // as the network sent it
    std::string sOutcome;
    std::string sFile;
    bool bMessage = false;
    bool bUnheard = false;
};

// The contacts found and the number ranges, or why they cannot be read.
struct WebContacts {
    std::vector<Contact> contacts; // by name
    std::vector<PrefixRule> rules;
    std::string sError;
};

enum class WebLineCommand {
    MonitoringOn,
    MonitoringOff,
    Record,
    Stop,
    HangUp,
    ScreeningOn,
    ScreeningOff,
};

class IWebHost {
public:
    virtual ~IWebHost() = default;
    virtual WebLineState LineState() = 0;
    // Newest first.
    virtual std::vector<WebHistoryRow> History(HistoryFilter filter, int nOffset, int nLimit) = 0;
    // What was done, or why not, in words.
    virtual std::string LineCommand(WebLineCommand command) = 0;
    virtual std::string BlockCaller(const std::string& sNumber) = 0;
    // The contacts whose name or number holds sSearch (all for "") and the
    // number ranges; the changes say what was done, or why not, in words.
    // A contact with id 0 is added; one stored keeps its greeting and the
    // types of the numbers it keeps.
    virtual WebContacts Contacts(const std::string& sSearch) = 0;
    virtual std::string SaveContact(const Contact& contact) = 0;
    virtual std::string DeleteContact(int64_t nId) = 0;
    // ContactList::None takes the range off.
    virtual std::string SetPrefixRule(const std::string& sPrefix, ContactList list) = 0;
    virtual CCallLog& CallLog() = 0;
    // The message recorded at sPath (a call folder's file) was played: ""
    // when it is marked heard, else why not.
    virtual std::string MarkHeard(const std::string& sPath) = 0;
    // The paths of the recordings of the messages not heard yet.
    virtual std::set<std::string> UnheardRecordings() = 0;
    // The call folder "…/Recorded Calls/" (with its "/"); the folders below
    // it are call folders too.
    virtual std::string CallFolderRoot() = 0;
    // The engine's call events, for the open pages' live updates (none: the
    // pages are not told).
    virtual CCallEventPublisher* CallEvents() { return nullptr; }
};
