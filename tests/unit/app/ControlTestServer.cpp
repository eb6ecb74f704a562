// A small stand-in for a running instance: the real command-line handling,
// control socket and control block, with a fake core that appends each
// action to the log file named by the first argument. Prints "ready" once it
// serves; ends on "quit" or the exit command.
//
// usage: control_test_server LOGFILE [--relaunch] [command-line words...]
//        control_test_server /copy      (a restart; logs to $VORELLA_HOME/restarted.log)
//
// With --relaunch the server restarts itself (the program's restart: the
// executable again with "/copy") after it has stopped serving.
#include "FakeExternalControl.h"

#include "app/CommandLine.h"
#include "app/ControlService.h"
#include "app/StartupEnvironment.h"

#include "platform/ProcessLaunch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: control_test_server LOGFILE [--relaunch] [words...]\n");
        return 2;
    }
    const bool restarted = argc == 2 && std::strcmp(argv[1], "/copy") == 0;
    const char* home = std::getenv("VORELLA_HOME");
    const std::string logPath =
        restarted ? std::string(home ? home : ".") + "/restarted.log" : std::string(argv[1]);
    bool relaunch = false;
    for (int i = 2; i < argc; ++i)
        relaunch = relaunch || std::strcmp(argv[i], "--relaunch") == 0;
    std::ofstream logFile(logPath, std::ios::app);
    auto log = [&](const std::string& line) { logFile << line << std::endl; };

    StartupPlan plan =
        restarted ? ParseCommandLine("/copy") : ParseCommandLine(JoinArguments(argc - 1, argv + 1));
    CStartupEnvironment env([&](const std::string& text) { log("message " + text); });
    if (ApplyStartupPlan(plan, env) == StartupOutcome::End) {
        log("ended at start");
        return 0;
    }

    FakeExternalControl control;
    control.onAction = log;
    control.caller = {"Initial Name", "5550100", "initial text"};
    control.sFile = "/calls/initial.wav";
    CControlService service(control);
    std::string error;
    const uint32_t wait = plan.word == StartupWord::Go ? 10000 : 0;
    CControlService::StartResult r = service.Start(&error, wait);
    if (r != CControlService::StartResult::Serving) {
        log("not serving: " + error);
        std::printf("not serving\n");
        return 3;
    }
    service.CommDll().Enable();
    log("serving");
    std::printf("ready\n");
    std::fflush(stdout);
    while (!control.bQuit)
        service.Process(100);
    service.Stop();
    log("stopped");
    if (relaunch) {
        LaunchResult r = RestartSelf();
        log(r.status == LaunchStatus::Started ? "relaunched" : "relaunch failed: " + r.error);
    }
    return 0;
}
