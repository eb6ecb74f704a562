// Speech for the line: a short announcement synthesised by espeak-ng and
// brought to the line's 8000 samples/s, ready to play, once espeak's data is
// loaded (the first phrase, not timed). Reported as a ratio of the time it
// takes to the phrase's own length (goal: well under 1; under 50 ms for a
// phrase of about two seconds), in each language with a phrase table.
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void BM_AnnouncementReady(benchmark::State& state, const char* language) {
    const SpeechPhrases& p = PhrasesFor(language);
    std::tm when{};
    when.tm_wday = 1, when.tm_mon = 2, when.tm_mday = 12, when.tm_hour = 15, when.tm_min = 15;
    const std::string text = SpokenCaller(p, "", "+4930123456") + ", " + SpokenDateTime(p, when);
    SpokenText spoken = Speak(text, language); // loads espeak's data and the voice
    if (!spoken.sError.empty()) {
        state.SkipWithError(spoken.sError.c_str());
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        spoken = Speak(text, language);
        benchmark::DoNotOptimize(spoken.samples.data());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double phrase = static_cast<double>(spoken.samples.size()) / kSpeechLineRate;
    state.counters["phrase_s"] = phrase;
    state.counters["ready_ms"] = 1000 * seconds / static_cast<double>(state.iterations());
    state.counters["ratio_to_phrase"] = seconds / static_cast<double>(state.iterations()) / phrase;
}

} // namespace

BENCHMARK_CAPTURE(BM_AnnouncementReady, en, "en")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AnnouncementReady, de, "de")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
