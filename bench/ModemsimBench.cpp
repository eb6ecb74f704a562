// What the simulator costs to stream a minute of a caller's voice, against
// rendering the same sound alone (the reference in the same run): the
// difference is coding, DLE shielding, GSM framing and queueing.
#include "ModemCore.h"

#include <benchmark/benchmark.h>

using namespace modemsim;

namespace {

constexpr int kRate = 8000;
constexpr size_t kMinuteSamples = 60 * kRate;

SignalSource Voice() {
    return SignalSource().Tone(440, 30000, 9000, 1330).Noise(30000, 3000);
}

void BM_RenderReference(benchmark::State& state) {
    for (auto _ : state) {
        SignalSource source = Voice();
        int16_t block[kBlockSamples];
        for (size_t done = 0; done < kMinuteSamples; done += kBlockSamples) {
            source.Render(block, kBlockSamples, kRate);
            benchmark::DoNotOptimize(block);
        }
    }
}

// Streams one minute in the given format; bytesPerMinute is what the host
// would read.
void Stream(benchmark::State& state, const char* personality, int id, size_t bytesPerMinute) {
    for (auto _ : state) {
        ModemCore core(*FindPersonality(personality), 0);
        core.SetVoiceSource(Voice());
        core.SetVoiceFormat({id, kRate, 0});
        std::string line =
            FindPersonality(personality)->plusV ? "ATE0+FCLASS=8;+VRX\r" : "ATE0#CLS=8;#VRX\r";
        uint32_t now = 0;
        core.Feed(line.data(), line.size(), now);
        core.Output().clear();
        size_t got = 0;
        while (got < bytesPerMinute) {
            core.Tick(++now);
            got += core.Output().size();
            core.Output().clear();
        }
        benchmark::DoNotOptimize(got);
    }
}

void BM_StreamPcm8(benchmark::State& state) {
    Stream(state, "v253", 8, kMinuteSamples);
}

void BM_StreamGsmFramed(benchmark::State& state) {
    Stream(state, "usr", 128, kMinuteSamples / 160 * 38);
}

} // namespace

BENCHMARK(BM_RenderReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamPcm8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamGsmFramed)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
