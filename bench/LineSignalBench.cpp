// What listening for line signals costs: the line signal detector over a
// minute of call sound (talk, keys, a busy tone at the end), as a multiple
// of real time and as a share of one core, next to two references measured
// on the same sound in the same run: the GSM 06.10 encoder every compressed
// recording runs through, and a plain copy. The goal is a whole call's
// detection well under 2 % of a core.
#include "audio/VoiceCodec.h"
#include "linesig/LineAudioSynth.h"
#include "linesig/LineSignalDetector.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kBlock = 160; // 20 ms, as a sound device hands it over

// Talk-like sound (a few tones under a slow envelope, and noise) with the
// line's signals in it.
const std::vector<int16_t>& CallSound() {
    static const std::vector<int16_t> s = [] {
        std::vector<int16_t> v(8000 * 50);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 300);
        for (size_t i = 0; i < v.size(); ++i) {
            double env = 0.5 + 0.5 * std::sin(static_cast<double>(i) * 2 * M_PI / 4000);
            double t = static_cast<double>(i);
            double x = env * (6000 * std::sin(t * 0.23) + 3000 * std::sin(t * 0.61)) + noise(rng);
            v[i] = static_cast<int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
        }
        std::vector<int16_t> signals = SynthesiseLineAudio({
            LineAudioStep::Keys("0123456789*#"),
            LineAudioStep::Silence(500),
            LineAudioStep::Tone("Europe busy", 8000),
        });
        v.insert(v.end(), signals.begin(), signals.end());
        v.resize(8000 * 60);
        return v;
    }();
    return s;
}

void SetRealTime(benchmark::State& state) {
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(CallSound().size()) / 8000.0,
        benchmark::Counter::kIsRate);
}

void BM_Detect(benchmark::State& state) {
    const std::vector<int16_t>& in = CallSound();
    size_t found = 0;
    for (auto _ : state) {
        CLineSignalDetector detector([&](const LineSignal&) { ++found; });
        for (size_t i = 0; i < in.size(); i += kBlock)
            detector.Feed(in.data() + i, std::min(kBlock, in.size() - i));
    }
    benchmark::DoNotOptimize(found);
    SetRealTime(state);
}

void BM_RefGsmEncode(benchmark::State& state) {
    const std::vector<int16_t>& in = CallSound();
    std::vector<uint8_t> out(in.size() * 2);
    VoiceCodecSettings settings;
    settings.nCompression = 128;
    settings.nCompressionSampleRate = 8000;
    settings.bSoftAGC = false;
    for (auto _ : state) {
        CVoiceCodec codec;
        OpenVoiceCodec(codec, 128, settings);
        size_t total = 0;
        for (size_t i = 0; i < in.size(); i += kBlock)
            total += EncodeVoiceBlock(codec, in.data() + i, std::min(kBlock, in.size() - i),
                                      out.data() + total, out.size() - total);
        benchmark::DoNotOptimize(total);
    }
    SetRealTime(state);
}

void BM_RefCopy(benchmark::State& state) {
    const std::vector<int16_t>& in = CallSound();
    std::vector<int16_t> out(in.size());
    for (auto _ : state) {
        for (size_t i = 0; i < in.size(); i += kBlock)
            std::memcpy(out.data() + i, in.data() + i,
                        std::min(kBlock, in.size() - i) * sizeof(int16_t));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetRealTime(state);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("x_realtime");
            if (it != r.counters.end())
                m_speed[r.run_name.function_name] = it->second.value;
        }
    }
    void PrintTable() const {
        double detect = Get("detect"), gsm = Get("ref_gsm_encode"), copy = Get("ref_copy");
        if (detect <= 0)
            return;
        std::printf("\nline signal detection: %.0f x real time, %.3f %% of a core per call "
                    "(goal: well under 2 %%)\n",
                    detect, 100.0 / detect);
        if (gsm > 0)
            std::printf("cost against the GSM encoder on the same sound: %.2f\n", gsm / detect);
        if (copy > 0)
            std::printf("cost against a plain copy: %.0f\n", copy / detect);
    }

private:
    double Get(const std::string& name) const {
        auto it = m_speed.find(name);
        return it == m_speed.end() ? 0 : it->second;
    }
    std::map<std::string, double> m_speed;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("detect", BM_Detect)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ref_gsm_encode", BM_RefGsmEncode)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ref_copy", BM_RefCopy)->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
