// The modem log "modem.log" in the program folder: one line per command,
// answer and event, opened and closed for every line so that it survives a
// crash and can be read while the program runs.
#pragma once

#include <string>
#include <string_view>

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// The local time now.
LogTime LogTimeNow();
// One line as written: "%d.%d.%d %d:%d:%d.%d", a tab, the prefix and the text
// trimmed of blanks and line ends, and "\n".
std::string FormatLogLine(const LogTime& t, std::string_view prefix, std::string_view text);
// Appends a line to "modem.log" in the program folder.
void AppendModemLog(std::string_view prefix, std::string_view text);
std::string ModemLogPath();
