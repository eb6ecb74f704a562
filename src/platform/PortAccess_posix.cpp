#include "platform/PortAccess.h"

#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The group that owns the node, by name when it has one.
std::string OwningGroup(const struct stat& st) {
    std::vector<char> buf(16384);
    group gr{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &gr, buf.data(), buf.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(st.st_gid);
}

// This process's user, as usermod takes it.
std::string UserName() {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user && *user ? user : "$USER";
}

std::string JoinText(const std::string& device, const struct stat& st) {
    const std::string group = OwningGroup(st);
    return "join the group " + group + ", which owns " + device + " (sudo usermod -aG " + group +
           " " + UserName() + ", then log in again)";
}

} // namespace

std::string PortAccessHint(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || ::access(device.c_str(), R_OK | W_OK) == 0)
        return {};
    return JoinText(device, st);
}

std::string NoPermissionText(const std::string& device) {
    std::string text = device + ": " + std::strerror(EACCES);
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0)
        text += ": " + JoinText(device, st);
    return text;
}
