// CPU the modem channel costs: per minute of received voice and per idle
// minute waiting for a ring, each against a plain read loop on the same
// simulated line in the same run (the reference: one poll() and one read()
// per burst, no protocol at all).
//
// The voice stream is 3600 bytes a second, the byte rate of 7200 Hz 4-bit
// ADPCM, sent in real time by the simulator. Each case runs a few seconds of
// wall time (VORELLA_BENCH_SECONDS, default 10 for voice and 5 idle) and
// scales to a minute.
#include "BenchFolder.h"
#include "ModemSim.h"
#include "modem/CommDriver.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kVoiceBytesPerSecond = 3600;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double WallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double RunSeconds(double def) {
    const char* s = std::getenv("VORELLA_BENCH_SECONDS");
    return s ? std::max(1.0, std::atof(s)) : def;
}

void UsePrivateHome() {
    static std::string home = [] {
        std::string t = MakeBenchFolder();
        ::setenv("VORELLA_HOME", t.c_str(), 1);
        return t;
    }();
}

struct Line {
    explicit Line(bool voice) : sim(Options()) {
        sim.Start();
        if (voice) {
            sim.SetVoiceFormat({8, kVoiceBytesPerSecond});
            modemsim::SignalSource s;
            s.Noise(600000, 12000); // DLE bytes turn up as in real sound
            sim.SetVoiceSource(s);
        }
    }
    static modemsim::ModemSimOptions Options() {
        modemsim::ModemSimOptions o;
        o.personality = "hash";
        return o;
    }
    modemsim::ModemSim sim;
};

// CPU seconds per minute of wall time for the loop body run for `seconds`.
template <typename Body>
double CpuPerMinute(double seconds, Body body) {
    double cpu0 = ThreadCpuSeconds(), t0 = WallSeconds();
    while (WallSeconds() - t0 < seconds)
        body();
    return (ThreadCpuSeconds() - cpu0) / (WallSeconds() - t0) * 60.0;
}

double ReferenceVoiceLoop(double seconds) {
    Line line(true);
    int fd = ::open(line.sim.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    const char cmd[] = "AT#CLS=8\rAT#VRX\r";
    [[maybe_unused]] ssize_t w = ::write(fd, cmd, sizeof cmd - 1);
    char buf[4096];
    long total = 0;
    double cpu = CpuPerMinute(seconds, [&] {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) > 0) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            total += n > 0 ? n : 0;
        }
    });
    ::close(fd);
    benchmark::DoNotOptimize(total);
    return cpu;
}

void BM_ReceiveVoiceCpuPerMinute(benchmark::State& state) {
    UsePrivateHome();
    const double seconds = RunSeconds(10);
    for (auto _ : state) {
        double reference = ReferenceVoiceLoop(seconds);
        Line line(true);
        CCommDriver drv;
        drv.Profile().Load(".Custom");
        drv.Profile().nCompression = 8;
        drv.OpenDevice(line.sim.SlavePath(), 115200);
        drv.InitModem();
        drv.InitVoice();
        drv.CommOut(drv.Profile().sVoiceReceiveVoice, kModeResult);
        unsigned char buf[1024];
        long total = 0;
        double cpu = CpuPerMinute(seconds, [&] {
            unsigned char ev = 0;
            total += drv.ReceiveVoice(buf, sizeof buf, 2000, true, &ev);
        });
        drv.StopReceive();
        drv.Shutdown();
        state.counters["cpu_s_per_voice_min"] = cpu;
        state.counters["reference_cpu_s_per_min"] = reference;
        state.counters["ratio_to_reference"] = reference > 0 ? cpu / reference : 0;
        state.counters["bytes_per_s"] = double(total) / seconds;
    }
}
BENCHMARK(BM_ReceiveVoiceCpuPerMinute)->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleWaitCpuPerMinute(benchmark::State& state) {
    UsePrivateHome();
    const double seconds = RunSeconds(5);
    for (auto _ : state) {
        Line line(false);
        int fd = ::open(line.sim.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        double reference = CpuPerMinute(seconds, [&] {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 1000);
        });
        ::close(fd);
        CCommDriver drv;
        drv.Profile().Load(".Custom");
        drv.OpenDevice(line.sim.SlavePath(), 115200);
        drv.InitModem();
        // The ring watcher: wait for a character, as long as none comes.
        double cpu = CpuPerMinute(seconds, [&] {
            uint32_t mask = 0;
            drv.WaitCommEvent(&mask, 1000);
        });
        drv.Shutdown();
        state.counters["cpu_s_per_idle_min"] = cpu;
        state.counters["reference_cpu_s_per_min"] = reference;
        state.counters["ratio_to_reference"] = reference > 0 ? cpu / reference : 0;
    }
}
BENCHMARK(BM_IdleWaitCpuPerMinute)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
