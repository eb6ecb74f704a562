// The data folder: the setting Options/sPath with exactly one trailing "/".
// The call folder "Recorded Calls/" and its index lie below it.
#pragma once

#include <string>

// Reads sPath from the settings file at every call, so a change made by the
// options dialog is seen at once. An empty sPath means the program folder.
std::string GetDataFolder();
// The rule on its own, for a given sPath value.
std::string DataFolderFromPath(const std::string& sPath);
