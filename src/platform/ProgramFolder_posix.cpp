#include "platform/ProgramFolder.h"

#include "platform/FileUtil.h"

#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kDefaultsName = "vorella.def";

// Through a temporary file, so that a copy cut short never stands as a
// shipped file that the next seeding would take for complete.
bool CopyWhole(const std::string& from, const std::string& to) {
    auto data = ReadWholeFile(from, static_cast<size_t>(256) << 20);
    return data && WriteFileAtomic(to, *data, 0644);
}

// Copies what is missing from one folder tree into another; files already
// there are the user's and stay as they are. `skip` is left out. False when
// a file or folder could not be made.
bool SeedTree(const std::string& from, const std::string& to, const std::string& skip = "") {
    DIR* dir = ::opendir(from.c_str());
    if (!dir)
        return false;
    bool bOk = MakeDirectories(to);
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || name == skip)
            continue;
        std::string src = from + name;
        std::string dst = to + name;
        if (DirectoryExists(src))
            bOk = SeedTree(src + "/", dst + "/") && bOk;
        else if (!FileExists(dst))
            bOk = CopyWhole(src, dst) && bOk;
    }
    ::closedir(dir);
    return bOk;
}

} // namespace

bool SeedProgramFolder(const std::string& from, const std::string& to) {
    if (!SeedTree(from, to, kDefaultsName))
        return false;
    return FileExists(to + kDefaultsName) || CopyWhole(from + kDefaultsName, to + kDefaultsName);
}

std::string WithTrailingSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

std::string GetExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

std::string GetProgramFolder() {
    if (const char* home = std::getenv("VORELLA_HOME"); home && *home) {
        std::string folder = WithTrailingSlash(home);
        MakeDirectories(folder);
        return folder;
    }
    const std::string exeFolder = GetExecutableFolder();
    if (FileExists(exeFolder + kDefaultsName))
        return exeFolder;

    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = WithTrailingSlash(xdg);
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = WithTrailingSlash(h) + ".local/share/";
    else
        return exeFolder;
    std::string folder = base + "vorella/";
    // A seeding that failed part way leaves "vorella.def" out, so the next
    // start tries again.
    if (!FileExists(folder + kDefaultsName))
        SeedProgramFolder(exeFolder + "../share/vorella/", folder);
    MakeDirectories(folder);
    return folder;
}

std::string GetSettingsPath() {
    return GetProgramFolder() + "vorella.ini";
}

std::string GetSettingsDefaultsPath() {
    return GetProgramFolder() + kDefaultsName;
}

bool SeedSettingsFile() {
    const std::string ini = GetSettingsPath();
    if (FileExists(ini))
        return true;
    const std::string def = GetSettingsDefaultsPath();
    if (!FileExists(def))
        return false;
    // Through a temporary file, so a crash never leaves half an ".ini" that a
    // later start would take for the user's.
    auto data = ReadWholeFile(def, static_cast<size_t>(16) << 20);
    return data && WriteFileAtomic(ini, *data);
}
