// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpManual.h"

#include "platform/FileUtil.h"
#include "platform/ProcessLaunch.h"
#include "platform/ProgramFolder.h"

namespace {

constexpr const char* kManualBelowPrefix = "share/doc/vorella/manual/";

// A page name is one of the program's own; anything that could leave the
// manual's folder is refused all the same.
bool IsPageName(const std::string& page) {
    return !page.empty() && page.front() != '/' && page.find("..") == std::string::npos;
}

} // namespace

std::vector<std::string> ManualFolders(const std::string& exeFolder) {
    std::vector<std::string> folders{exeFolder + "../" + kManualBelowPrefix,
                                     WithTrailingSlash(VORELLA_MANUAL_INSTALL_DIR)};
    // A build tree is the program folder that holds the shipped defaults.
    if (FileExists(exeFolder + "vorella.def"))
        folders.push_back(WithTrailingSlash(VORELLA_MANUAL_SOURCE_DIR));
    return folders;
}

std::string FindManualPage(const std::string& page, const std::vector<std::string>& folders) {
    if (!IsPageName(page))
        return "";
    for (const std::string& folder : folders)
        if (FileExists(folder + page))
            return folder + page;
    return "";
}

std::string OpenManualPage(const std::string& page) {
    const std::vector<std::string> folders = ManualFolders(GetExecutableFolder());
    const std::string path = FindManualPage(page, folders);
    if (path.empty()) {
        std::string text = "The user manual is not installed: its page " + page +
                           " is in none of these folders:\n";
        for (const std::string& folder : folders)
            text += "\n" + folder;
        return text;
    }
    const LaunchResult r = OpenWithDesktop(path);
    if (r.status != LaunchStatus::Started)
        return "The user manual could not be opened in the browser (xdg-open): " + r.error +
               "\n\nIt is " + path;
    return "";
}
