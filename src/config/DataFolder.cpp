#include "config/DataFolder.h"

#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

std::string DataFolderFromPath(const std::string& sPath) {
    std::string path = sPath;
    while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    if (path.empty()) {
        // Only slashes: the root itself. Nothing at all: the program folder,
        // since there is no drive root to fall back on here.
        return sPath.empty() ? GetProgramFolder() : std::string("/");
    }
    return path + "/";
}

std::string GetDataFolder() {
    return DataFolderFromPath(GetProfileStringFrom(GetSettingsPath(), "Options", "sPath", ""));
}
