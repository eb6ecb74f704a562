#include "engine/HistoryRebuild.h"

#include "calllog/CallTime.h"
#include "calllog/DataStructure.h"
#include "platform/ProgramFolder.h"
#include "screening/PhoneNumbers.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

int64_t CallTimeOf(const CallTimeLocale& loc, const CDataStructure& rec, const std::string& path) {
    std::tm when{};
    std::tm time{};
    if (loc.ParseDate(rec.m_sDate, when) && loc.ParseTime(rec.m_sTime, time)) {
        when.tm_hour = time.tm_hour;
        when.tm_min = time.tm_min;
        when.tm_sec = time.tm_sec;
        when.tm_isdst = -1;
        if (const std::time_t t = std::mktime(&when); t != -1)
            return t;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : 0;
}

void AddIndex(const std::string& folder, const CPhoneNumbers& numbers, const CallTimeLocale& loc,
              std::vector<HistoryEntry>& out, std::string& sError) {
    const std::string index = folder + "index.dat";
    CDataStructureArray records;
    records.Load(index);
    if (records.LoadFailed()) {
        sError += (sError.empty() ? "" : "; ") + records.LastError();
        return;
    }
    for (int i = 0; i < records.GetSize(); ++i) {
        const CDataStructure& rec = records.GetAt(i);
        if (rec.m_sFile.empty())
            continue;
        HistoryEntry e;
        e.sRecording = folder + rec.m_sFile;
        e.tTime = CallTimeOf(loc, rec, e.sRecording);
        e.sNumber = rec.m_sNumber;
        e.sNormalised = numbers.Normalise(rec.m_sNumber);
        e.sName = rec.m_sName;
        e.outcome = rec.m_bMessage ? CallOutcome::Message : CallOutcome::Recorded;
        e.bHeard = !rec.m_bMessage;
        out.push_back(std::move(e));
    }
}

} // namespace

std::vector<HistoryEntry> HistoryFromIndexes(const std::string& sCallFolder,
                                             const CPhoneNumbers& numbers, std::string& sError) {
    std::vector<HistoryEntry> out;
    const CallTimeLocale loc;
    const std::string root = WithTrailingSlash(sCallFolder);
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        return out;
    AddIndex(root, numbers, loc, out, sError);
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                             ec),
         end;
         !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            AddIndex(WithTrailingSlash(it->path().string()), numbers, loc, out, sError);
    }
    if (ec)
        sError += (sError.empty() ? "" : "; ") + root + " cannot be read through: " + ec.message();
    std::stable_sort(out.begin(), out.end(),
                     [](const HistoryEntry& a, const HistoryEntry& b) { return a.tTime < b.tTime; });
    return out;
}
