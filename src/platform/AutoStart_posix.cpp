#include "platform/AutoStart.h"

#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {

// The Exec key's quoting rules: the path goes in double quotes with ", `, $
// and \ escaped, and "%" doubled, so any folder name survives.
std::string QuoteExec(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '\n' || c == '\r')
            continue;
        if (c == '\\') {
            out += "\\\\\\\\"; // escaped for the argument, then for the string
            continue;
        }
        if (c == '"' || c == '`' || c == '$')
            out += "\\\\";
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string AutoStartEntryPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/')
        base = WithTrailingSlash(xdg);
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = WithTrailingSlash(home) + ".config/";
    else
        return "";
    return base + "autostart/vorella.desktop";
}

bool IsAutoStart() {
    const std::string path = AutoStartEntryPath();
    if (path.empty() || !FileExists(path))
        return false;
    ProfileFile entry(path);
    return !EqualsNoCase(entry.GetString("Desktop Entry", "Hidden", "false"), "true");
}

bool SetAutoStart(bool on, const std::string& exePath) {
    const std::string path = AutoStartEntryPath();
    if (path.empty())
        return false;
    if (!on)
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    if (exePath.empty() || !MakeDirectories(path.substr(0, path.rfind('/') + 1), 0700))
        return false;
    std::string content = "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vorella\n"
                          "Comment=Telephone call recorder and answering machine\n"
                          "Exec=" +
                          QuoteExec(exePath) +
                          "\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomic(path, content, 0644);
}

bool SetAutoStart(bool on) {
    return SetAutoStart(on, GetExecutablePath());
}
