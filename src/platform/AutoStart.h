// Starting with the desktop session: the XDG autostart entry
// "$XDG_CONFIG_HOME/autostart/vorella.desktop" (~/.config when unset).
#pragma once

#include <string>

std::string AutoStartEntryPath();

// True when the entry exists and is not switched off ("Hidden=true").
bool IsAutoStart();

// on = write the entry starting exePath (no arguments); off = remove it.
// False when the file could not be written or removed.
bool SetAutoStart(bool on, const std::string& exePath);
// The same for the running executable.
bool SetAutoStart(bool on);
