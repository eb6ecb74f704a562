// A two-minute message served to a browser as 16-bit PCM WAV in the 64 KiB
// pieces a web server asks for: from the GSM 6.10 file the recorder keeps
// (decoded on the fly) and from a PCM file, each as a ratio to reading the
// PCM file of the same length straight from the disk in the same run; and a
// seek into the GSM message (one piece at a random place). Times are the
// benchmark thread's CPU time.
#include "BenchFolder.h"

#include "audio/Cacm.h"
#include "audio/WaveFile.h"
#include "web/MediaSource.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

// The thread's own time (user and system), so that other work on the
// machine does not count.
double CpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr uint32_t kSeconds = 120;
constexpr size_t kPiece = 64 * 1024;

struct Message {
    Message() {
        std::vector<int16_t> s(8000 * kSeconds);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 300);
        for (size_t i = 0; i < s.size(); ++i) {
            const double env = 0.5 + 0.5 * std::sin(static_cast<double>(i) * 2 * M_PI / 4000);
            s[i] = static_cast<int16_t>(
                std::lround(env * (6000 * std::sin(static_cast<double>(i) * 0.23)) + noise(rng)));
        }
        CWaveFile wav;
        if (!wav.Create(pcm, PcmFormat(8000)) || !wav.WriteSamples(s.data(), s.size()) ||
            !wav.CloseWrite() || !ConvertToGsm(pcm, gsm))
            std::abort();
    }
    std::string folder = MakeBenchFolder();
    std::string pcm = folder + "pcm.wav";
    std::string gsm = folder + "gsm.wav";
};

Message& TheMessage() {
    static Message m;
    return m;
}

double g_fileSeconds = 0;

// The PCM file's bytes as they lie on the disk.
void BM_ReadPcmFile(benchmark::State& state) {
    std::vector<uint8_t> piece(kPiece);
    const std::string path = TheMessage().pcm;
    const double t0 = CpuSeconds();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        off_t at = 0;
        for (ssize_t n; (n = ::pread(fd, piece.data(), piece.size(), at)) > 0; at += n)
            benchmark::DoNotOptimize(piece.data());
        ::close(fd);
    }
    g_fileSeconds = (CpuSeconds() - t0) / static_cast<double>(state.iterations());
    state.counters["ms"] = g_fileSeconds * 1e3;
}
BENCHMARK(BM_ReadPcmFile);

void Serve(benchmark::State& state, const std::string& path) {
    std::vector<uint8_t> piece(kPiece);
    const double t0 = CpuSeconds();
    for (auto _ : state) {
        std::unique_ptr<CMediaSource> source = CMediaSource::Open(path, nullptr);
        for (uint64_t at = 0; at < source->Size();)
            at += source->Read(at, piece.data(), piece.size()).value_or(source->Size());
    }
    const double seconds = (CpuSeconds() - t0) / static_cast<double>(state.iterations());
    state.counters["ms"] = seconds * 1e3;
    state.counters["x_realtime"] = kSeconds / seconds;
    state.counters["x_pcm_file"] = g_fileSeconds > 0 ? seconds / g_fileSeconds : 0;
}

void BM_ServeGsmAsPcm(benchmark::State& state) {
    Serve(state, TheMessage().gsm);
}
BENCHMARK(BM_ServeGsmAsPcm);

void BM_ServePcm(benchmark::State& state) {
    Serve(state, TheMessage().pcm);
}
BENCHMARK(BM_ServePcm);

// A page seeking: one piece at a random place of an open GSM message.
void BM_SeekGsm(benchmark::State& state) {
    std::unique_ptr<CMediaSource> source = CMediaSource::Open(TheMessage().gsm, nullptr);
    std::vector<uint8_t> piece(kPiece);
    std::mt19937 rng(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(source->Read(rng() % source->Size(), piece.data(), kPiece));
}
BENCHMARK(BM_SeekGsm);

} // namespace

BENCHMARK_MAIN();
