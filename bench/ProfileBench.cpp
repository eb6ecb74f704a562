// Reading and writing a settings file of realistic size.
#include "platform/ProfileFile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string TempPath() {
    return (std::filesystem::temp_directory_path() / "vorella-bench.ini").string();
}

void MakeFile(const std::string& path, int keys) {
    ProfileFile f(path);
    for (int i = 0; i < keys; ++i)
        f.WriteString("Options", "key" + std::to_string(i), "value " + std::to_string(i));
    f.Save(true);
}

void BM_ProfileLoadAndReadAll(benchmark::State& state) {
    const std::string path = TempPath();
    MakeFile(path, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ProfileFile f(path);
        int sum = 0;
        for (int i = 0; i < state.range(0); ++i)
            sum += f.GetInt("Options", "key" + std::to_string(i), 0);
        benchmark::DoNotOptimize(sum);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ProfileLoadAndReadAll)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_ProfileRewriteAllAndSave(benchmark::State& state) {
    const std::string path = TempPath();
    MakeFile(path, static_cast<int>(state.range(0)));
    ProfileFile f(path);
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < state.range(0); ++i)
            f.WriteInt("Options", "key" + std::to_string(i), round);
        f.Save();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ProfileRewriteAllAndSave)->Arg(300)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
