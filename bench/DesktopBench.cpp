// The desktop program's start and idle memory, against the smallest Qt
// Widgets program started the same way (qt_startup_reference): the time from
// starting the process until its event loop runs with its window shown, and
// the resident memory once it idles. vorella runs on a simulated line with
// its worker watching the modem; both run on the offscreen platform.
// Goals: start under 0.5 s, idle under 60 MB resident.
#include "BenchFolder.h"
#include "ModemSim.h"
#include "platform/ControlSocket.h"
#include "platform/RuntimeFolder.h"
#include "platform/TickCount.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory of a process in MB (VmRSS of /proc/PID/status).
double ResidentMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

pid_t Spawn(const std::string& program, int stdoutFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void End(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

struct Run {
    double seconds = 0;
    double residentMb = 0;
};

// The reference: ready when it writes its byte.
Run RunReference(const std::string& program) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const auto start = Clock::now();
    pid_t pid = Spawn(program, fds[1]);
    ::close(fds[1]);
    Run run;
    pollfd p{fds[0], POLLIN, 0};
    char byte;
    if (pid > 0 && ::poll(&p, 1, 30000) == 1 && ::read(fds[0], &byte, 1) == 1)
        run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fds[0]);
    if (pid > 0) {
        SleepMs(500); // idle
        run.residentMb = ResidentMb(pid);
        End(pid);
    }
    return run;
}

// vorella: ready when its loop answers on the control socket.
Run RunDesktop(const std::string& program, const std::string& socket) {
    const auto start = Clock::now();
    pid_t pid = Spawn(program, -1);
    Run run;
    if (pid <= 0)
        return run;
    for (int i = 0; i < 15000; ++i) {
        if (SendControlRequest(socket, "status", 1000).status == ControlStatus::Ok) {
            run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
        SleepMs(1);
    }
    SleepMs(500); // idle, the worker watching the line
    run.residentMb = ResidentMb(pid);
    End(pid);
    return run;
}

void BM_DesktopStartAndIdleMemory(benchmark::State& state) {
    const std::string home = MakeBenchFolder();
    const std::string bin = VORELLA_BIN_DIR;
    modemsim::ModemSim sim(modemsim::ModemSimOptions::For("hash"));
    std::string error;
    if (!sim.Start(&error)) {
        state.SkipWithError(("modemsim: " + error).c_str());
        return;
    }
    for (const char* f : {"vorella.def", "modem.ini", "brand.ini"})
        std::filesystem::copy_file(bin + "/" + f, home + f);
    std::filesystem::copy(bin + "/cfg", home + "cfg", std::filesystem::copy_options::recursive);
    std::ofstream(home + "vorella.ini")
        << "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutDefault=2000\niPopup=1\n"
           "[Startup]\nShowMainDlg=1\n[Ports]\nCOM9="
        << sim.SlavePath() << "\n";
    ::setenv("VORELLA_HOME", home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    ::setenv("VORELLA_AUDIO", "null", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string socket = ControlSocketPath(GetRuntimeFolder(&error));

    Run desktop, reference;
    int n = 0;
    for (auto _ : state) {
        const Run r = RunReference(bin + "/../bench/qt_startup_reference");
        const Run d = RunDesktop(bin + "/vorella", socket);
        if (r.seconds <= 0 || d.seconds <= 0) {
            state.SkipWithError("a program did not come up");
            break;
        }
        state.SetIterationTime(d.seconds);
        reference.seconds += r.seconds;
        reference.residentMb += r.residentMb;
        desktop.seconds += d.seconds;
        desktop.residentMb += d.residentMb;
        ++n;
    }
    if (n == 0)
        return;
    state.counters["start_ms"] = 1000 * desktop.seconds / n;
    state.counters["reference_start_ms"] = 1000 * reference.seconds / n;
    state.counters["start_ratio"] = desktop.seconds / reference.seconds;
    state.counters["rss_mb"] = desktop.residentMb / n;
    state.counters["reference_rss_mb"] = reference.residentMb / n;
    state.counters["rss_ratio"] = desktop.residentMb / reference.residentMb;
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_DesktopStartAndIdleMemory)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
