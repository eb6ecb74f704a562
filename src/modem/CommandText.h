// Building command lines from profile strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The longest packed command line, without the "AT" prefix, that every modem
// we know accepts is 38 characters: a line is closed before it would reach 39.
constexpr size_t kPackedLineLimit = 39;

// The command lines of the fast modem initialisation, in order. The last line
// may be empty (nothing to send).
std::vector<std::string> PackInitCommands(const std::string& sInit0, const std::string& sResponseOn,
                                          const std::string& sUseEnglish,
                                          const std::string& sEchoOff,
                                          const std::string& sDevSpecificInit);

// The sample-rate command and the device-specific voice command of the fast
// voice initialisation: one line, or two when they would reach the limit or
// the modem wants the device command on a line of its own.
std::vector<std::string> PackVoiceInitCommands(const std::string& sRateCommand,
                                               const std::string& sDevSpecificVoiceInit,
                                               bool bSeparateLines);

// A profile format applied to one argument. Profile strings are data from a
// file, so this never hands them to printf: the first conversion (%s, %d, %i,
// %u, %x, with flags and width) takes the argument, "%%" is a percent sign,
// any further conversion produces nothing.
std::string ApplyFormat(std::string_view format, std::string_view arg);
std::string ApplyFormat(std::string_view format, long long arg);

// The digits of a dial string: blanks, "(", ")", "+", "-" and "_" removed;
// for tone generation each character followed by "," and trailing commas cut.
std::string CleanDialNumber(std::string_view number, bool bTones);
