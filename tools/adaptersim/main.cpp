// adaptersim: a USB telephone adapter simulated on a Unix socket; see README.md.
#include "Script.h"
#include "SimServer.h"
#include "adapter/SimulatedAdapter.h"
#include "audio/WaveFile.h"
#include "platform/RuntimeFolder.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const char kUsage[] =
    "usage: adaptersim [--socket PATH] [--script FILE] [--played OUT.wav] [--pace 0] [--stay]\n";

bool WritePlayed(CSimulatedAdapter& sim, const std::string& path) {
    std::vector<int16_t> played = sim.TakePlayed();
    CWaveFile wav;
    if (!wav.Create(path, PcmFormat(8000)) || !wav.WriteSamples(played.data(), played.size()) ||
        !wav.CloseWrite()) {
        std::fprintf(stderr, "adaptersim: cannot write %s: %s\n", path.c_str(),
                     wav.LastError().c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string socketPath, scriptPath, playedPath;
    bool bStay = false, bPaced = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool bHasValue = i + 1 < argc;
        if (a == "--socket" && bHasValue)
            socketPath = argv[++i];
        else if (a == "--script" && bHasValue)
            scriptPath = argv[++i];
        else if (a == "--played" && bHasValue)
            playedPath = argv[++i];
        else if (a == "--pace" && bHasValue)
            bPaced = std::string(argv[++i]) != "0";
        else if (a == "--stay")
            bStay = true;
        else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }

    std::vector<ScriptStep> steps;
    if (!scriptPath.empty()) {
        std::ifstream in(scriptPath);
        if (!in) {
            std::fprintf(stderr, "adaptersim: cannot read %s\n", scriptPath.c_str());
            return 2;
        }
        std::stringstream text;
        text << in.rdbuf();
        try {
            steps = ParseScript(text.str());
        } catch (const std::invalid_argument& e) {
            std::fprintf(stderr, "adaptersim: %s: %s\n", scriptPath.c_str(), e.what());
            return 2;
        }
    }
    if (socketPath.empty()) {
        std::string error;
        std::string folder = GetRuntimeFolder(&error);
        if (folder.empty()) {
            std::fprintf(stderr, "adaptersim: %s\n", error.c_str());
            return 1;
        }
        socketPath = folder + "adaptersim";
    }

    // SIGINT and SIGTERM are waited for, not delivered, in every thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    auto sim = CSimulatedAdapter::Create();
    CSimServer server(sim);
    std::string error;
    if (!server.Listen(socketPath, &error)) {
        std::fprintf(stderr, "adaptersim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", socketPath.c_str());
    std::fflush(stdout);

    int rc = 0;
    ScriptContext ctx{server, sim, bPaced};
    // The steps after "repeat" run again and again until a stop signal; a
    // step of theirs that fails (a call nobody answered) ends only its round.
    size_t repeatAt = steps.size();
    for (size_t i = 0; i < steps.size(); ++i)
        if (steps[i].sVerb == "repeat") {
            repeatAt = i + 1;
            break;
        }
    bool bStopped = false;
    for (size_t i = 0; i < steps.size() && !bStopped;) {
        bool bRoundFailed = false;
        try {
            RunStep(steps[i], ctx);
            ++i;
        } catch (const std::runtime_error& e) {
            std::fprintf(stderr, "adaptersim: %s: %s\n", scriptPath.c_str(), e.what());
            if (i < repeatAt) {
                rc = 1;
                break;
            }
            i = steps.size();
            bRoundFailed = true;
        }
        if (i == steps.size() && repeatAt < steps.size())
            i = repeatAt;
        // A round that failed at once must not spin: a second's pause.
        const timespec pause{bRoundFailed ? 1 : 0, 0};
        bStopped = sigtimedwait(&stopSignals, nullptr, &pause) > 0;
    }
    if (!bStopped && (bStay || scriptPath.empty())) {
        int sig = 0;
        sigwait(&stopSignals, &sig);
    }
    if (!playedPath.empty() && !WritePlayed(*sim, playedPath))
        rc = 1;
    return rc;
}
