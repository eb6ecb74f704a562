#include "engine/ScheduledGreeting.h"

#include "config/GreetingSchedule.h"
#include "engine/ProgramFile.h"
#include "platform/FileUtil.h"

#include <ctime>

ScheduledGreetingChoice ChooseScheduledGreeting(const std::string& text, int nWeekday,
                                                int nMinute) {
    const GreetingSchedule schedule = ParseGreetingSchedule(text);
    if (!schedule.sError.empty())
        return {"", schedule.sError};
    const std::optional<std::string> name = ScheduledGreeting(schedule, nWeekday, nMinute);
    if (!name)
        return {};
    const std::string file = ProgramFile(*name);
    if (const std::string why = ReadProblem(file); !why.empty())
        return {"", "sScheduleGreeting: cannot open " + file + ": " + why};
    return {file, ""};
}

ScheduledGreetingChoice ChooseScheduledGreetingNow(const std::string& text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ChooseScheduledGreeting(text, (local.tm_wday + 6) % 7,
                                   local.tm_hour * 60 + local.tm_min);
}
