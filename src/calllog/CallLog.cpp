#include "calllog/CallLog.h"

#include "calllog/CallTime.h"
#include "calllog/DataStructure.h"
#include "calllog/IndexFile.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/Trash.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void SetError(std::string* out, const std::string& text) {
    if (out)
        *out = text;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddProblem(std::string& problems, const std::string& text) {
    if (!problems.empty())
        problems += '\n';
    problems += text;
}

// Moves one recording file; false with the reason when it stays.
bool MoveFile(const std::string& from, const std::string& to, std::string* sError) {
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        SetError(sError, to + ": a file of that name is already there");
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno == EXDEV && CopyFileTo(from, to)) {
        if (::unlink(from.c_str()) == 0)
            return true;
        const int err = errno;
        ::unlink(to.c_str());
        SetError(sError, from + ": " + std::strerror(err));
        return false;
    }
    SetError(sError, from + ": " + std::strerror(errno));
    return false;
}

} // namespace

std::string CCallLog::IndexBeside(const std::string& sRecordingPath) {
    return sRecordingPath.substr(0, sRecordingPath.find_last_of('/') + 1) + "index.dat";
}

bool CCallLog::Store(const FinishedCall& call, KeepExisting keep, std::string* sError) {
    std::string sTime, sDate;
    struct stat st {};
    if (::stat(call.sRecordingPath.c_str(), &st) == 0) {
        std::time_t t = st.st_mtime;
        std::tm local{};
        if (::localtime_r(&t, &local)) {
            CallTimeLocale loc;
            sTime = loc.FormatTime(local);
            sDate = loc.FormatDate(local);
        }
    }
    const std::string sFile = FileNameOf(call.sRecordingPath);
    auto fill = [&](CDataStructure& rec, bool bExists) {
        rec.m_sFile = sFile;
        rec.m_sNumber = CallerFieldForIndex(call.sNumber);
        rec.m_sName = CallerFieldForIndex(call.sName);
        rec.m_sMemo = call.sMemo;
        rec.m_nReserved1 = 0;
        rec.m_nReserved2 = 0;
        if (!bExists || keep == KeepExisting::Nothing) {
            rec.m_sTime = sTime;
            rec.m_sDate = sDate;
            rec.m_nLength = call.nLength;
            rec.m_bMessage = call.bMessage ? 1 : 0;
        }
    };

    const std::string sIndexPath = IndexBeside(call.sRecordingPath);
    bool bStored = false;
    {
        std::lock_guard lock(m_writeMutex);
        switch (UpdateIndexRecord(sIndexPath, sFile,
                                  [&](CDataStructure& rec) { fill(rec, true); }, sError)) {
        case IndexUpdate::Changed:
            bStored = true;
            break;
        case IndexUpdate::Failed:
            return false;
        case IndexUpdate::NoRecord: {
            CDataStructure rec;
            fill(rec, false);
            bStored = AppendIndexRecord(sIndexPath, rec, sError);
            break;
        }
        }
    }
    if (bStored)
        Tell({CallLogChange::Kind::Stored, sIndexPath, {}, {sFile}});
    return bStored;
}

bool CCallLog::StoreFinishedCall(const FinishedCall& call, std::string* sError) {
    return Store(call, KeepExisting::Nothing, sError);
}

bool CCallLog::StoreCallerFields(const FinishedCall& call, std::string* sError) {
    return Store(call, KeepExisting::LengthAndTimes, sError);
}

bool CCallLog::DeleteRecordings(const std::string& sFolder, const std::string& sIndexPath,
                                const std::vector<std::string>& files, std::string* sError) {
    std::string problems;
    {
        std::lock_guard lock(m_writeMutex);
        CDataStructureArray index;
        index.Load(sIndexPath);
        if (index.LoadFailed()) {
            SetError(sError, index.LastError());
            return false;
        }
        for (const std::string& f : files)
            index.Remove(f);
        if (!index.Save(sIndexPath)) {
            SetError(sError, index.LastError());
            return false;
        }
        // The files go only once their records are gone, so a failed save
        // never leaves records pointing at deleted recordings.
        for (const std::string& f : files) {
            std::string error;
            if (RemoveFile(WithTrailingSlash(sFolder) + f, &error) == RemoveOutcome::Failed)
                AddProblem(problems, error);
        }
    }
    Tell({CallLogChange::Kind::Deleted, sIndexPath, {}, files});
    SetError(sError, problems);
    return problems.empty();
}

bool CCallLog::MoveRecordings(const std::string& sFromFolder, const std::string& sFromIndex,
                              const std::string& sToFolder, const std::string& sToIndex,
                              const std::vector<std::string>& files, std::string* sError) {
    if (sFromIndex == sToIndex)
        return true;
    std::string problems;
    std::vector<std::string> moved;
    {
        std::lock_guard lock(m_writeMutex);
        CDataStructureArray from, to;
        from.Load(sFromIndex);
        to.Load(sToIndex);
        for (const CDataStructureArray* index : {&from, &to})
            if (index->LoadFailed()) {
                SetError(sError, index->LastError());
                return false;
            }
        if (!MakeDirectories(sToFolder)) {
            SetError(sError, sToFolder + ": " + std::strerror(errno));
            return false;
        }
        for (const std::string& f : files) {
            const std::string src = WithTrailingSlash(sFromFolder) + f;
            std::string error;
            struct stat st {};
            // A record whose file is gone moves all the same.
            if (::lstat(src.c_str(), &st) == 0 &&
                !MoveFile(src, WithTrailingSlash(sToFolder) + f, &error)) {
                AddProblem(problems, error);
                continue;
            }
            moved.push_back(f);
            if (from.Find(f) >= 0)
                to.Set(f, from.Get(f));
        }
        if (!to.Save(sToIndex)) {
            // The files go back, so their records still find them.
            for (const std::string& f : moved)
                ::rename((WithTrailingSlash(sToFolder) + f).c_str(),
                         (WithTrailingSlash(sFromFolder) + f).c_str());
            AddProblem(problems, to.LastError());
            SetError(sError, problems);
            return false;
        }
        for (const std::string& f : moved)
            from.Remove(f);
        if (!from.Save(sFromIndex))
            AddProblem(problems, from.LastError());
    }
    Tell({CallLogChange::Kind::Moved, sFromIndex, sToIndex, moved});
    SetError(sError, problems);
    return problems.empty();
}

void CCallLog::AddListener(ICallLogListener& listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listeners.push_back(&listener);
}

void CCallLog::RemoveListener(ICallLogListener& listener) {
    // Waits for a change being told to it on another thread.
    std::lock_guard lock(m_listenerMutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), &listener),
                      m_listeners.end());
}

void CCallLog::Tell(const CallLogChange& change) {
    std::lock_guard lock(m_listenerMutex);
    for (ICallLogListener* listener : m_listeners)
        listener->CallLogChanged(change);
}
