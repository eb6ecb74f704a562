// The modem log "modem.log" in the program folder: one line per command,
// answer and event, opened and closed for every line so that it survives a
// crash and can be read while the program runs.
#pragma once

#include <atomic>
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

// The program's trace: lines go to "modem.log" only while it is switched on
// (a debug level is set). Safe from any thread.
class CModemTrace {
public:
    void SetDebugLevel(int nDebugLevel) { m_bEnabled = nDebugLevel != 0; }
    bool Enabled() const { return m_bEnabled.load(); }
    void Log(std::string_view sText, std::string_view sPrefix) const {
        if (m_bEnabled)
            AppendModemLog(sPrefix, sText);
    }

private:
    std::atomic<bool> m_bEnabled{false};
};
