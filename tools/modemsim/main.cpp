// modemsim: a voice modem on a pseudo-terminal, for trying Vorella without a
// modem and for reproducing line problems by script.
//
//   modemsim --personality usr --script call.txt --link /tmp/ttyVORELLA --log bytes.log
#include "ModemSim.h"
#include "Personality.h"
#include "Scenario.h"

#include "platform/FileUtil.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

using namespace modemsim;

namespace {

const char kUsage[] =
    "usage: modemsim [--personality NAME] [--script FILE] [--link PATH] [--log FILE]\n"
    "                [--pace FACTOR] [--stay] [--list]\n"
    "  --personality NAME  the modem family to pretend to be (default v253; see --list)\n"
    "  --script FILE       run this scenario (see tools/modemsim/README.md), then exit\n"
    "  --stay              keep serving after the script has ended\n"
    "  --link PATH         make PATH a symbolic link to the pty slave\n"
    "  --log FILE          log every byte both ways to FILE\n"
    "  --pace FACTOR       voice stream speed: 1 real time (default), 0 as fast as read\n"
    "  --list              list the personalities\n"
    "The pty slave path is printed on the first line of standard output.\n"
    "SIGINT or SIGTERM end the program.\n";

struct Args {
    ModemSimOptions options;
    std::string script;
    bool stay = false;
    bool list = false;
};

bool ParseArgs(int argc, char** argv, Args& args, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string pace;
        if (a == "--personality") {
            if (!value(args.options.personality))
                return false;
        } else if (a == "--script") {
            if (!value(args.script))
                return false;
        } else if (a == "--link") {
            if (!value(args.options.linkPath))
                return false;
        } else if (a == "--log") {
            if (!value(args.options.logFile))
                return false;
        } else if (a == "--pace") {
            if (!value(pace))
                return false;
            char* end = nullptr;
            double v = std::strtod(pace.c_str(), &end);
            if (end == pace.c_str() || *end || v < 0 || v > 1000) {
                error = "--pace takes a number from 0 to 1000";
                return false;
            }
            args.options.voicePace = v;
        } else if (a == "--stay") {
            args.stay = true;
        } else if (a == "--list") {
            args.list = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            error = "unknown argument " + a;
            return false;
        }
    }
    return true;
}

// Ends the program on SIGINT or SIGTERM: the signals are blocked in every
// thread and taken here, so no handler runs inside the simulator's thread.
class SignalWatch {
public:
    SignalWatch() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGINT);
        sigaddset(&m_set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_set, nullptr);
    }
    // Waits up to ms for a signal; true when one came.
    bool Wait(int ms) {
        timespec ts{ms / 1000, (ms % 1000) * 1000000L};
        return sigtimedwait(&m_set, nullptr, &ts) > 0;
    }

private:
    sigset_t m_set;
};

} // namespace

int main(int argc, char** argv) {
    Args args;
    std::string error;
    if (!ParseArgs(argc, argv, args, error)) {
        std::cerr << "modemsim: " << error << "\n" << kUsage;
        return 2;
    }
    if (args.list) {
        for (const std::string& name : PersonalityNames())
            std::cout << name << "\t" << FindPersonality(name)->description << "\n";
        return 0;
    }
    std::vector<ScenarioStep> steps;
    if (!args.script.empty()) {
        auto text = ReadWholeFile(args.script, kMaxScenarioBytes);
        if (!text) {
            std::cerr << "modemsim: cannot read " << args.script
                      << " (missing, or larger than 1 MB)\n";
            return 2;
        }
        auto parsed = ParseScenario(*text, &error);
        if (!parsed) {
            std::cerr << "modemsim: " << args.script << ": " << error << "\n";
            return 2;
        }
        steps = std::move(*parsed);
    }

    SignalWatch signals; // before any thread starts, so all of them inherit the mask
    ModemSim sim(args.options);
    if (!sim.Start(&error)) {
        std::cerr << "modemsim: " << error << "\n";
        return 1;
    }
    std::cout << sim.SlavePath() << std::endl;

    int status = 0;
    if (!steps.empty()) {
        std::atomic<bool> stop{false};
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            while (!done)
                if (signals.Wait(200))
                    stop = true;
        });
        std::string base = std::filesystem::path(args.script).parent_path().string();
        ScenarioContext context{sim, SignalSource(), &stop, &std::cerr, base};
        if (!RunScenario(steps, context, &error)) {
            std::cerr << "modemsim: " << args.script << ": " << error << "\n";
            status = 1;
        }
        if (args.stay)
            while (!stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        done = true;
        watcher.join();
    } else {
        while (!signals.Wait(1000)) {
        }
    }
    sim.Stop();
    return status;
}
