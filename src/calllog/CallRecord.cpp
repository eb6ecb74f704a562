#include "calllog/CallRecord.h"

#include "calllog/CallTime.h"
#include "calllog/DataStructure.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace {

void SetError(std::string* out, const std::string& text) {
    if (out)
        *out = text;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string CallerFieldForIndex(std::string_view text) {
    return Trim(text);
}

std::string IndexPathFor(const std::string& sShownFolder, const std::string& sDataPath) {
    if (sShownFolder.find("Recorded Calls") != std::string::npos)
        return WithTrailingSlash(sShownFolder) + "index.dat";
    return WithTrailingSlash(sDataPath) + "Recorded Calls/index.dat";
}

bool StoreFinishedCall(const std::string& sIndexPath, const FinishedCall& call,
                       std::string* sError) {
    CDataStructure rec;
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

    CDataStructureArray index;
    index.Load(sIndexPath);
    if (index.LoadFailed()) {
        // Saving now would replace the records we could not read.
        SetError(sError, index.LastError());
        return false;
    }
    rec = index.Get(sFile);
    rec.m_sFile = sFile;
    rec.m_sTime = sTime;
    rec.m_sDate = sDate;
    rec.m_sNumber = CallerFieldForIndex(call.sNumber);
    rec.m_sName = CallerFieldForIndex(call.sName);
    rec.m_sMemo = call.sMemo;
    rec.m_nLength = call.nLength;
    rec.m_nReserved1 = 0;
    rec.m_nReserved2 = 0;
    rec.m_bMessage = call.bMessage ? 1 : 0;
    index.Set(sFile, rec);
    if (!index.Save(sIndexPath)) {
        SetError(sError, index.LastError());
        return false;
    }
    return true;
}

bool DeleteRecordings(const std::string& sFolder, const std::string& sIndexPath,
                      const std::vector<std::string>& files, std::string* sError) {
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
    // The files go only once their records are gone, so a failed save never
    // leaves records pointing at deleted recordings.
    for (const std::string& f : files)
        std::remove((WithTrailingSlash(sFolder) + f).c_str());
    return true;
}
