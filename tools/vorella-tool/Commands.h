// The commands of vorella-tool. Each returns the process exit code.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

int CmdSettings(const Args& args);
int CmdDefaults(const Args& args);
int CmdStrings(const Args& args);
int CmdProfile(const Args& args);
int CmdModemType(const Args& args);
int CmdIndex(const Args& args);
int CmdExportXml(const Args& args);
int CmdMail(const Args& args);
int CmdDiagnose(const Args& args);
int CmdEncode(const Args& args);
int CmdDecode(const Args& args);
int CmdGsmWav(const Args& args);
int CmdSoundDevices(const Args& args);
int CmdPlay(const Args& args);
int CmdRecord(const Args& args);
int CmdLines(const Args& args);
int CmdContacts(const Args& args);
int CmdHistory(const Args& args);
int CmdWebPassword(const Args& args);

// Text from callers and files may hold anything; a terminal must not take it
// as commands: control characters are written as C escapes (\n, \x1b).
std::string Printable(const std::string& s);
