#include "platform/PortHolder.h"

#include <cctype>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool IsNumber(const char* s) {
    if (!*s)
        return false;
    for (; *s; ++s)
        if (!std::isdigit(static_cast<unsigned char>(*s)))
            return false;
    return true;
}

// The program's name as the kernel keeps it (at most 15 bytes); anything
// unprintable shown as "?", since a process names itself.
std::string ProcessName(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    for (char& c : name)
        if (!std::isprint(static_cast<unsigned char>(c)))
            c = '?';
    return name.empty() ? "process" : name;
}

bool HoldsDevice(const std::string& pid, dev_t device) {
    const std::string fdDir = "/proc/" + pid + "/fd";
    DirPtr dir(::opendir(fdDir.c_str()));
    if (!dir)
        return false; // gone meanwhile, or another user's
    while (dirent* e = ::readdir(dir.get())) {
        if (!IsNumber(e->d_name))
            continue;
        struct stat st {};
        // stat follows the fd's link to the open file itself, so a device
        // reached through another name (/dev/serial/by-id/...) still matches.
        if (::stat((fdDir + "/" + e->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
            st.st_rdev == device)
            return true;
    }
    return false;
}

} // namespace

std::string DescribePortHolder(const std::string& devicePath) {
    struct stat target {};
    if (devicePath.empty() || ::stat(devicePath.c_str(), &target) != 0 || !S_ISCHR(target.st_mode))
        return "";
    DirPtr proc(::opendir("/proc"));
    if (!proc)
        return "";
    while (dirent* e = ::readdir(proc.get())) {
        if (!IsNumber(e->d_name))
            continue;
        const std::string pid = e->d_name;
        if (HoldsDevice(pid, target.st_rdev))
            return ProcessName(pid) + " (pid " + pid + ")";
    }
    return "";
}
