// How soon a caller's number reaches the front end after the modem sends it,
// measured through the real modem driver on the simulated modem, against the
// round trip of a plain AT command on the same line as the reference.
#include "BenchFolder.h"
#include "ModemSim.h"
#include "engine/CommDriverCidChannel.h"
#include "engine/ModemCallerId.h"
#include "modem/CommDriver.h"
#include "platform/FileUtil.h"
#include "platform/SerialPorts.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// One simulated modem and one driver for the whole run, in a private folder.
struct Line {
    Line() {
        folder = MakeBenchFolder();
        ::setenv("VORELLA_HOME", folder.c_str(), 1);
        sim = std::make_unique<modemsim::ModemSim>(modemsim::ModemSimOptions::For("v253"));
        if (!sim->Start() || !SetComPortDevice(kPort, sim->SlavePath()))
            std::abort();
        drv.Profile().Load(".Custom");
        if (drv.Open(kPort, 115200) == CCommDriver::kInvalidHandle)
            std::abort();
        drv.InitModem();
    }
    ~Line() {
        drv.Close(false);
        sim->Stop();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    static constexpr int kPort = 9;
    std::string folder;
    std::unique_ptr<modemsim::ModemSim> sim;
    CCommDriver drv;
};

Line& TheLine() {
    static Line line;
    return line;
}

double g_referenceMs = 0;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_AtCommandRoundTrip(benchmark::State& state) {
    Line& line = TheLine();
    double total = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        int r = line.drv.CommOut("E0", 1);
        double ms = Ms(Clock::now() - t0);
        if (r != 1)
            state.SkipWithError("the modem did not answer OK");
        state.SetIterationTime(ms / 1000);
        total += ms;
    }
    g_referenceMs = total / static_cast<double>(state.iterations());
    state.counters["ms"] = g_referenceMs;
}
BENCHMARK(BM_AtCommandRoundTrip)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

// From the ring report (the caller-ID lines follow it at once) to the number
// handed to the front end. Target: well under 100 ms.
void BM_CallerNumberLatency(benchmark::State& state) {
    Line& line = TheLine();
    modemsim::CallerId id{"1206", "1530", "2125551234", "JOHN SMITH", ""};
    CidReadSettings s;
    double total = 0;
    for (auto _ : state) {
        line.sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
        line.sim->Ring(1, {60000, 0});
        if (line.drv.WaitResult(20000, 65535) != kResultRing) {
            state.SkipWithError("no ring");
            break;
        }
        auto t0 = Clock::now();
        Clock::time_point tNumber{};
        CidReadHooks hooks;
        hooks.onReceived = [&](const CNumber&) {
            if (tNumber == Clock::time_point{})
                tNumber = Clock::now();
        };
        CCommDriverCidChannel channel(line.drv);
        CNumber call;
        ReadModemCallerId(channel, s, call, hooks);
        if (call.m_sCidNumber != id.number) {
            state.SkipWithError("wrong number");
            break;
        }
        double ms = Ms(tNumber - t0);
        state.SetIterationTime(ms / 1000);
        total += ms;
    }
    double mean =
        total / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["ms"] = mean;
    if (g_referenceMs > 0)
        state.counters["x_at_round_trip"] = mean / g_referenceMs;
}
BENCHMARK(BM_CallerNumberLatency)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
