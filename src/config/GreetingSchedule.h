// The greeting schedule (sScheduleGreeting, used with bScheduleGreeting):
// which greeting answers by day of week and time of day. Entries are
// separated by ";" and the first that matches wins:
//
//     Mon-Fri 08:00-18:00 office.wav; Sat,Sun holiday.wav; 22:00-06:00 night.wav; * default.wav
//
// An entry is days, a time range, or both, then the file; "*" alone stands
// for always. Days are Mon Tue Wed Thu Fri Sat Sun (any case), in lists
// ("Sat,Sun") and ranges ("Mon-Fri", "Fri-Mon" wraps over the week end).
// A time range HH:MM-HH:MM includes its start and excludes its end; one
// whose end is before its start runs over midnight and belongs to the day
// it starts ("Fri 22:00-06:00" holds Saturday 03:00); equal ends mean the
// whole day. The file is the rest of the entry: a bare name is in the
// program folder's "wave/" folder, a name with a folder is taken as
// sWaveGreet is (relative to the program folder, or absolute).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct GreetingScheduleEntry {
    unsigned nDays = 0x7F; // bit 0 Monday ... bit 6 Sunday
    int nFromMinute = 0;   // minutes after midnight; from == to: the whole day
    int nToMinute = 0;
    std::string sFile; // as the program folder takes it ("wave/office.wav")
};

struct GreetingSchedule {
    std::vector<GreetingScheduleEntry> entries;
    // Why the text was refused, naming the column (1 = its first
    // character): "sScheduleGreeting: column 14: expected a time like
    // 08:00". Empty when it was read; a refused text has no entries.
    std::string sError;
};

GreetingSchedule ParseGreetingSchedule(const std::string& text);

// The file of the first entry that holds the moment: nWeekday 0 Monday ...
// 6 Sunday, nMinute minutes after midnight. None when no entry does.
std::optional<std::string> ScheduledGreeting(const GreetingSchedule& schedule, int nWeekday,
                                             int nMinute);
