// The greeting the schedule chooses (bScheduleGreeting with
// sScheduleGreeting, config/GreetingSchedule.h) for a moment of the week.
#pragma once

#include <string>

struct ScheduledGreetingChoice {
    std::string sFile;    // the file to play (a program file); empty: the normal greeting
    std::string sProblem; // why a schedule gave none: its text refused, its file unreadable
};

// nWeekday 0 Monday ... 6 Sunday, nMinute minutes after midnight.
ScheduledGreetingChoice ChooseScheduledGreeting(const std::string& text, int nWeekday,
                                                int nMinute);
// ... at the local time now.
ScheduledGreetingChoice ChooseScheduledGreetingNow(const std::string& text);
