// Start-up and save costs of the configuration: loading every setting plus
// one modem profile, and one full SaveSettings. Each reports its time per
// operation and its ratio to the least such an operation can cost, measured
// in the same run: a load against reading the raw bytes of the settings file,
// a save against one atomic (synced) replace of the same bytes. Both must
// stay well under 10 ms; a save's wall time is mostly the disk's sync.
#include "BenchFolder.h"
#include "config/ModemProfile.h"
#include "config/SettingsStore.h"
#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A program folder seeded from the shipped data, as after a first start.
class BenchHome {
public:
    BenchHome() {
        m_path = MakeBenchFolder();
        ::setenv("VORELLA_HOME", m_path.c_str(), 1);
        fs::copy(VORELLA_DATA_DIR, m_path, fs::copy_options::recursive);
        SeedSettingsFile();
    }
    ~BenchHome() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }

private:
    std::string m_path;
};

struct Holders {
    CPhoneSettings phone;
    CDriverSettings driver;
    CGlobalSettings global;
    CWorkerSettings worker;
    CSettingsHolders Refs() { return {phone, driver, global, worker}; }
};

constexpr const char* kModem = "Rockwell HCF Compatible";

// Mean seconds of one raw read of the settings file.
double RawReadSeconds() {
    const std::string path = GetSettingsPath();
    constexpr int kRounds = 200;
    const auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        benchmark::DoNotOptimize(ReadWholeFile(path, 1 << 20));
    return std::chrono::duration<double>(Clock::now() - start).count() / kRounds;
}

// Mean seconds of one atomic replace of the settings file with its own bytes.
double RawWriteSeconds() {
    const std::string path = GetSettingsPath();
    const std::string bytes = ReadWholeFile(path, 1 << 20).value_or("");
    constexpr int kRounds = 50;
    const auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        benchmark::DoNotOptimize(WriteFileAtomic(path, bytes));
    return std::chrono::duration<double>(Clock::now() - start).count() / kRounds;
}

void Report(benchmark::State& state, Clock::time_point start, double reference,
            const char* referenceName) {
    const double perOp = std::chrono::duration<double>(Clock::now() - start).count() /
                         static_cast<double>(state.iterations());
    state.counters["ms_per_op"] = perOp * 1e3;
    state.counters[referenceName] = perOp / reference;
}

void BM_RawReadOfSettingsFile(benchmark::State& state) {
    BenchHome home;
    const std::string path = GetSettingsPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(path, 1 << 20));
}
BENCHMARK(BM_RawReadOfSettingsFile)->Unit(benchmark::kMicrosecond);

void BM_LoadSettingsAndProfile(benchmark::State& state) {
    BenchHome home;
    const double reference = RawReadSeconds();
    Holders h;
    const auto start = Clock::now();
    for (auto _ : state) {
        CModemProfile profile;
        profile.Load(kModem);
        LoadSettings(h.Refs(), profile);
        benchmark::DoNotOptimize(h.phone.nRings);
    }
    Report(state, start, reference, "x_raw_read");
}
BENCHMARK(BM_LoadSettingsAndProfile)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings(benchmark::State& state) {
    BenchHome home;
    const double reference = RawWriteSeconds();
    Holders h;
    CModemProfile profile;
    profile.Load(kModem);
    LoadSettings(h.Refs(), profile);
    int round = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        h.phone.nRings = ++round; // a real change every time
        benchmark::DoNotOptimize(SaveSettings(h.Refs(), profile));
    }
    Report(state, start, reference, "x_raw_write");
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
