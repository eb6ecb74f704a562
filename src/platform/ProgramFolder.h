// The program folder: where the settings, the modem catalogue and profiles,
// the shipped sounds and the modem log live.
//
// VORELLA_HOME, when set, is the program folder (tests, several instances side
// by side). Otherwise it is the executable's folder when that holds
// "vorella.def" (the build tree, a portable install), else
// $XDG_DATA_HOME/vorella/, seeded once from the installed share/vorella/.
#pragma once

#include <string>

// Always ends with "/".
std::string GetProgramFolder();
// The folder of the running executable, with a trailing "/".
std::string GetExecutableFolder();
// The settings file: "vorella.ini" in the program folder (all programs of the
// suite share it), and the file it is seeded from.
std::string GetSettingsPath();
std::string GetSettingsDefaultsPath();
// Fills the program folder `to` from the installed `from` (both ending in
// "/"): copies what is missing, never overwrites. "vorella.def" comes last
// and only when everything else arrived, because its presence marks the
// folder as seeded: a seeding cut short is finished at the next start.
// False when something could not be copied.
bool SeedProgramFolder(const std::string& from, const std::string& to);
// Copies "vorella.def" to "vorella.ini" when the ".ini" does not exist yet;
// an existing ".ini" is never touched. True when the ".ini" exists afterwards.
bool SeedSettingsFile();
// Appends "/" unless s already ends with one.
std::string WithTrailingSlash(std::string s);
