// The call log: the one writer of every call folder's index ("index.dat").
//
// The worker stores the call it records, the main window the fields the
// user types about it, deletes and moves recordings; all of them ask this
// object, which does each load, change and save of an index whole, one
// request after the other, so that no writer undoes another's change. Each
// program has one, made by whoever makes the engine and handed to the parts
// that write calls. Listeners hear of every index it changed.
#pragma once

#include "calllog/CallRecord.h"

#include <mutex>
#include <string>
#include <vector>

// What a request changed.
struct CallLogChange {
    enum class Kind { Stored, Deleted, Moved };
    Kind kind = Kind::Stored;
    std::string sIndexPath;            // the index changed (Moved: the source)
    std::string sToIndexPath;          // Moved: the target index
    std::vector<std::string> files;    // the recordings concerned, without folder
};

class ICallLogListener {
public:
    virtual ~ICallLogListener() = default;
    // Called on the requesting thread, after the index is written and
    // outside the log's lock: a listener may read the index, and must hand
    // anything slow or thread-bound to its own thread.
    virtual void CallLogChanged(const CallLogChange& change) = 0;
};

class CCallLog {
public:
    // The index beside the recording: its folder's "index.dat".
    static std::string IndexBeside(const std::string& sRecordingPath);

    // The call's record in the index beside its recording, added when new:
    // date and time from the recording's last-write time, the seventh field
    // kept. False, with the index on disk untouched, when it cannot be read
    // or written; sError then says why.
    bool StoreFinishedCall(const FinishedCall& call, std::string* sError = nullptr);

    // The caller fields the user edits for the recording running now (name,
    // number, memo): sets them in its record and keeps the rest (length,
    // message flag, date, time, seventh field); a recording without a record
    // yet gets one as StoreFinishedCall makes it. call.nLength and
    // call.bMessage are used only then.
    bool StoreCallerFields(const FinishedCall& call, std::string* sError = nullptr);

    // Removes the records of the given recordings (file names without folder)
    // from the index at sIndexPath and moves the files in sFolder to the
    // desktop's trash (deleted outright only where no trash can take them). A
    // file that is already gone still loses its record. False when the index
    // could not be rewritten (then no file is touched) or a file could not be
    // removed; sError then names each one.
    bool DeleteRecordings(const std::string& sFolder, const std::string& sIndexPath,
                          const std::vector<std::string>& files, std::string* sError = nullptr);

    // Moves recordings (file names without folder) from sFromFolder to
    // sToFolder (made when missing), their records from one index to the
    // other, each keeping every field. A name already taken in the target
    // stays where it is. The target index is written before the source's, so
    // a failure between them leaves a record twice rather than none. False
    // when anything was left behind; sError then says what.
    bool MoveRecordings(const std::string& sFromFolder, const std::string& sFromIndex,
                        const std::string& sToFolder, const std::string& sToIndex,
                        const std::vector<std::string>& files, std::string* sError = nullptr);

    // A listener hears of every change from now until it is removed; it must
    // be removed before it goes away.
    void AddListener(ICallLogListener& listener);
    void RemoveListener(ICallLogListener& listener);

private:
    enum class KeepExisting { Nothing, LengthAndTimes };
    bool Store(const FinishedCall& call, KeepExisting keep, std::string* sError);
    void Tell(const CallLogChange& change);

    // One request at a time, whichever thread it comes from.
    std::mutex m_writeMutex;
    std::mutex m_listenerMutex;
    std::vector<ICallLogListener*> m_listeners;
};
