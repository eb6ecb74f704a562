// The engine worker as the service and the desktop make it: what the sound
// layer reports reaches the user through the phone's status line.
#include "TempHome.h"

#include "app/EngineWorker.h"
#include "audio/AudioLog.h"
#include "engine/LoggingUiBridge.h"
#include "tapi/TapiProviders.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> StatusLines(const CLoggingUiBridge& ui) {
    std::vector<std::string> status;
    for (const std::string& line : ui.Lines())
        if (line.starts_with("status: "))
            status.push_back(line.substr(8));
    return status;
}

// A refusal that repeats is told once; routine lines stay out of the status
// line; nothing reaches a worker that is gone.
TEST(EngineWorker, SoundFailuresAreToldOnceAndRoutineLinesAreNot) {
    TempHome home;
    for (const char* f : {"vorella.def", "modem.ini"})
        home.CopyShipped(f);
    CLoggingUiBridge ui;
    CTapiProviders providers;
    {
        CEngineWorker worker(ui, providers);
        AudioLog("card sound device 0: opened\n");
        AudioError("card sound device 0: already playing\n");
        AudioError("card sound device 0: already playing\n");
        AudioError("card sound device 0: no playback at 7200 samples/s\n");
    }
    AudioError("card sound device 0: already recording\n");
    EXPECT_EQ(StatusLines(ui),
              (std::vector<std::string>{"card sound device 0: already playing",
                                        "card sound device 0: no playback at 7200 samples/s"}));
}

} // namespace
