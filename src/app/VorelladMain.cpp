// vorellad: Vorella without windows, for an always-on box next to the line.
#include "app/App.h"
#include "app/CommandLine.h"
#include "app/DaemonFrontEnd.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "app/TelephonyProvider.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>

namespace {
std::mutex g_logMutex;

void LogToStderr(const std::string& line) {
    std::time_t now = std::time(nullptr);
    char stamp[32];
    std::tm tmNow{};
    localtime_r(&now, &tmNow);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tmNow);
    std::lock_guard lock(g_logMutex);
    std::fprintf(stderr, "%s vorellad: %s\n", stamp, line.c_str());
    std::fflush(stderr);
}
} // namespace

int main(int argc, char** argv) {
    CDaemonFrontEnd::InstallSignalHandlers();
    CDaemonFrontEnd frontEnd(LogToStderr);
    // The help goes to the terminal as it is (no time stamp), with the string
    // table's line breaks made the terminal's.
    CStartupEnvironment env(
        [](const std::string& text) {
            std::fputs((TerminalText(text) + "\n").c_str(), stdout);
            std::fflush(stdout);
        },
        LogToStderr);
    // The telephony provider comes with the phone object, once the start
    // goes on: a start that only prints the help or hands over touches nothing.
    CTapiProviders providers;
    CTarvo32App app(frontEnd, env, [&frontEnd, &providers]() -> std::unique_ptr<IAppWorker> {
        InstallTelephonyProvider(providers, LogToStderr);
        auto worker = std::make_unique<CEngineWorker>(frontEnd, providers);
        frontEnd.AttachWorker(worker.get());
        return worker;
    });
    return app.InitInstance(argc, argv);
}
