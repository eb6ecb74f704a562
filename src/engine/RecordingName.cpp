#include "engine/RecordingName.h"

#include "engine/CallState.h"
#include "engine/UiBridge.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kCallFolder = "Recorded Calls";
constexpr const char* kExtension = ".wav";
// Recordings started in one second that we tell apart before giving up.
constexpr int kMaxSameNameRecordings = 10000;

std::string OneTrailingSlash(std::string s) {
    while (!s.empty() && s.back() == '/')
        s.pop_back();
    return s + "/";
}

} // namespace

std::string RecordingFolder(const std::string& sDataFolder, std::string& sWorkerDataPath,
                            const std::string& sSelectedFolder,
                            const std::string& sTargetOverride) {
    std::string data = OneTrailingSlash(sDataFolder);
    if (sWorkerDataPath.empty())
        sWorkerDataPath = data;
    std::string folder = sSelectedFolder;
    if (folder.find(kCallFolder) == std::string::npos)
        folder = sWorkerDataPath + kCallFolder;
    if (!sTargetOverride.empty())
        folder = sTargetOverride;
    return OneTrailingSlash(folder);
}

std::string SafeNamePart(const std::string& part) {
    std::string out = Utf8Truncate(part, 200);
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F)
            c = '_';
    }
    if (out == "." || out == "..")
        out = "_";
    return out;
}

std::string RecordingFileName(const std::string& folder, const RecordingNameSettings& s,
                              std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    if (!s.fKestrixCustomization)
        return StrPrintf("%s%s%04d-%02d-%02d, %02d_%02d_%02d%s", folder.c_str(), "rec",
                         tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec, kExtension);
    std::string requested = s.sRequestedName.empty() ? "" : SafeNamePart(s.sRequestedName);
    if (!requested.empty())
        return StrPrintf("%s%s%s", folder.c_str(), requested.c_str(), kExtension);
    // Calendar days, not 86400-second periods: across a change to summer time
    // the periods come out one short, and two days would share an index.
    std::string year = StrPrintf("%02d", (tm.tm_year + 1900) % 100);
    int seconds = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    return StrPrintf("%s%s%s%03d%05d%s", folder.c_str(),
                     SafeNamePart(s.sKestrixThisComputerID).c_str(), year.c_str(), tm.tm_yday,
                     seconds, kExtension);
}

std::string ReserveFreeFileName(const std::string& name) {
    std::string stem = name;
    std::string ext;
    if (size_t dot = name.rfind('.');
        dot != std::string::npos && name.find('/', dot) == std::string::npos) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
    for (int n = 1; n <= kMaxSameNameRecordings; ++n) {
        std::string candidate =
            n == 1 ? name : StrPrintf("%s (%d)%s", stem.c_str(), n, ext.c_str());
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            break;
    }
    return name;
}

std::string BuildRecordingFileName(const std::string& folder, const RecordingNameSettings& s,
                                   std::string& sCurrentFile, IUiBridge& ui, CCallStateData& state,
                                   std::time_t t) {
    MakeDirectories(folder);
    std::string name = ReserveFreeFileName(RecordingFileName(folder, s, t));
    state.AppendRecentCall(state.curCall.Get());
    sCurrentFile = name;
    ui.ClearLastPlayed();
    ui.UpdateCurrentCall(false);
    return name;
}
