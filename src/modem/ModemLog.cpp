#include "modem/ModemLog.h"

#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <chrono>
#include <cstdio>
#include <ctime>

LogTime LogTimeNow() {
    auto now = std::chrono::system_clock::now();
    std::time_t secs = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    std::tm tm{};
    ::localtime_r(&secs, &tm);
    return {
        tm.tm_year + 1900,           tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
        static_cast<int>(ms.count())};
}

std::string FormatLogLine(const LogTime& t, std::string_view prefix, std::string_view text) {
    std::string line = StrPrintf("%d.%d.%d %d:%d:%d.%d\t", t.year, t.month, t.day, t.hour, t.minute,
                                 t.second, t.millisecond);
    line.append(prefix);
    line.append(TrimView(text));
    line.push_back('\n');
    return line;
}

std::string ModemLogPath() {
    return GetProgramFolder() + "modem.log";
}

void AppendModemLog(std::string_view prefix, std::string_view text) {
    std::string line = FormatLogLine(LogTimeNow(), prefix, text);
    if (std::FILE* f = std::fopen(ModemLogPath().c_str(), "a+")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}
