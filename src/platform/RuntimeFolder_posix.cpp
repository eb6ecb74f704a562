#include "platform/RuntimeFolder.h"

#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kSocketName = "CommDllVorellaCallback0001";
constexpr const char* kBlockBase = "/VorellaSharedMemorySection";

// 64-bit FNV-1a: a stable, well-spread hash of the folder name.
uint64_t HashName(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

bool EnsurePrivateFolder(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return fail(StrPrintf("cannot create %s: %s", path.c_str(), std::strerror(errno)));
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return fail(StrPrintf("cannot inspect %s: %s", path.c_str(), std::strerror(errno)));
    if (!S_ISDIR(st.st_mode))
        return fail(StrPrintf("%s is not a folder", path.c_str()));
    if (st.st_uid != ::geteuid())
        return fail(StrPrintf("%s belongs to another user (uid %u)", path.c_str(),
                              static_cast<unsigned>(st.st_uid)));
    if ((st.st_mode & 077) != 0)
        return fail(StrPrintf("%s is open to other users (mode %03o); it must be 0700",
                              path.c_str(), static_cast<unsigned>(st.st_mode & 0777)));
    return true;
}

std::string GetRuntimeFolder(std::string* error) {
    std::string folder;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg)
        folder = WithTrailingSlash(xdg) + "vorella";
    else
        folder = StrPrintf("/tmp/vorella-%u", static_cast<unsigned>(::geteuid()));
    if (!EnsurePrivateFolder(folder, error))
        return "";
    return folder + "/";
}

std::string ControlSocketPath(const std::string& runtimeFolder) {
    return WithTrailingSlash(runtimeFolder) + kSocketName;
}

std::string ControlBlockName(const std::string& runtimeFolder) {
    const unsigned uid = static_cast<unsigned>(::geteuid());
    std::string name = StrPrintf("%s.%u", kBlockBase, uid);
    const std::string standard = StrPrintf("/run/user/%u/vorella/", uid);
    const std::string folder = WithTrailingSlash(runtimeFolder);
    if (folder != standard)
        name += StrPrintf(".%016llx", static_cast<unsigned long long>(HashName(folder)));
    return name;
}
