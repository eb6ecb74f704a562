// The desktop program's start and idle memory, against the smallest Qt
// Widgets program started the same way (qt_startup_reference): the time from
// starting the process until its event loop runs with its window shown, and
// the resident memory once it idles. vorella runs on a simulated line with
// its worker watching the modem; both run on the offscreen platform.
// Goals: start under 0.5 s, idle under 60 MB resident.
//
// Then the whole program with a call log of 100,000 calls in its main
// window, against the same program with an empty log: resident and peak
// memory once the list has loaded. Goal: under 150 MB.
#include "BenchFolder.h"
#include "BenchIndex.h"
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
    double peakMb = 0;
};

// A /proc/PID/status value in MB ("VmRSS:", "VmHWM:").
double StatusMb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == field) {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// Waits until the resident memory has not moved by more than 1 % for a
// second (the list has loaded), at most 60 s.
void WaitUntilSettled(pid_t pid) {
    double last = StatusMb(pid, "VmRSS:");
    int steady = 0;
    for (int i = 0; i < 600 && steady < 10; ++i) {
        SleepMs(100);
        const double now = StatusMb(pid, "VmRSS:");
        steady = (now - last) < last / 100 ? steady + 1 : 0;
        last = now;
    }
}

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
        run.residentMb = StatusMb(pid, "VmRSS:");
        End(pid);
    }
    return run;
}

// vorella: ready when its loop answers on the control socket.
Run RunDesktop(const std::string& program, const std::string& socket, bool settle = false) {
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
    if (settle)
        WaitUntilSettled(pid);
    else
        SleepMs(500); // idle, the worker watching the line
    run.residentMb = StatusMb(pid, "VmRSS:");
    run.peakMb = StatusMb(pid, "VmHWM:");
    End(pid);
    return run;
}

// A program folder with a simulated line for vorella; the control socket's
// path. The simulator lives as long as the returned object.
struct DesktopSetup {
    std::string home;
    std::string bin = VORELLA_BIN_DIR;
    std::string socket;
    modemsim::ModemSim sim{modemsim::ModemSimOptions::For("hash")};
    std::string error;

    bool Start() {
        home = MakeBenchFolder();
        if (!sim.Start(&error))
            return false;
        for (const char* f : {"vorella.def", "modem.ini", "brand.ini"})
            std::filesystem::copy_file(bin + "/" + f, home + f);
        std::filesystem::copy(bin + "/cfg", home + "cfg", std::filesystem::copy_options::recursive);
        std::ofstream(home + "vorella.ini")
            << "[Options]\nnComPort=9\nbStartDisabled=0\ndwTimeoutDefault=2000\niPopup=1\n"
               "[Startup]\nShowMainDlg=1\n[Ports]\nCOM9="
            << sim.SlavePath() << "\n";
        std::filesystem::create_directories(home + "Recorded Calls");
        ::setenv("VORELLA_HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        ::setenv("VORELLA_AUDIO", "null", 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        socket = ControlSocketPath(GetRuntimeFolder(&error));
        return true;
    }
    ~DesktopSetup() {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
};

void BM_DesktopStartAndIdleMemory(benchmark::State& state) {
    DesktopSetup setup;
    if (!setup.Start()) {
        state.SkipWithError(("modemsim: " + setup.error).c_str());
        return;
    }
    const std::string& bin = setup.bin;
    const std::string& socket = setup.socket;

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
}
BENCHMARK(BM_DesktopStartAndIdleMemory)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_DesktopMemoryWith100000Calls(benchmark::State& state) {
    DesktopSetup setup;
    if (!setup.Start()) {
        state.SkipWithError(("modemsim: " + setup.error).c_str());
        return;
    }
    const std::string index = setup.home + "Recorded Calls/index.dat";
    Run empty, full;
    for (auto _ : state) {
        std::filesystem::remove(index);
        const Run e = RunDesktop(setup.bin + "/vorella", setup.socket, true);
        WriteBenchIndex(index, 100000);
        const Run f = RunDesktop(setup.bin + "/vorella", setup.socket, true);
        if (e.seconds <= 0 || f.seconds <= 0) {
            state.SkipWithError("vorella did not come up");
            return;
        }
        empty = e;
        full = f;
    }
    state.counters["rss_mb"] = full.residentMb;
    state.counters["peak_mb"] = full.peakMb;
    state.counters["empty_rss_mb"] = empty.residentMb;
    state.counters["rss_ratio_to_empty"] = full.residentMb / empty.residentMb;
    state.counters["peak_ratio_to_goal"] = full.peakMb / 150.0;
}
BENCHMARK(BM_DesktopMemoryWith100000Calls)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
