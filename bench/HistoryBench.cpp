// The call history at 100,000 calls: its first page listed (all, missed,
// blocked) and one number's calls found, against reading the same count of
// index lines (the call folder's index.dat) in the same run. Goals: the page
// in 0.3 s and the search in 50 ms, as the call list's.
#include "BenchFolder.h"
#include "BenchIndex.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCalls = 100'000;
constexpr int kPage = 100;

struct History {
    History() : numbers("DE", "030"), store(numbers) {
        folder = MakeBenchFolder();
        WriteBenchIndex(folder + "index.dat", kCalls);
        if (!store.Open(folder + "minidb.dat"))
            std::abort();
        // A call a minute from one of 5,000 callers: most missed or
        // answered, one in ten blocked, one in five a message.
        std::mt19937 random(28);
        std::vector<HistoryEntry> calls(kCalls);
        for (int i = 0; i < kCalls; ++i) {
            HistoryEntry& e = calls[i];
            e.tTime = 1'800'000'000 + int64_t{i} * 60;
            e.sLine = "modem";
            e.sNumber = "030 5" + std::to_string(100000 + random() % 5000);
            e.sNormalised = numbers.Normalise(e.sNumber);
            e.sName = "Caller " + e.sNumber;
            const unsigned kind = random() % 10;
            e.outcome = kind == 0   ? CallOutcome::Blocked
                        : kind < 3  ? CallOutcome::Message
                        : kind < 6  ? CallOutcome::Missed
                                    : CallOutcome::Answered;
            if (e.outcome == CallOutcome::Message)
                e.sRecording = folder + "rec" + std::to_string(i) + ".wav";
        }
        if (!store.AppendCalls(calls))
            std::abort();
        for (int i = 0; i < 99; ++i)
            searched.push_back(numbers.Normalise("030 5" + std::to_string(100000 + random() % 5000)));
    }
    ~History() {
        store.Close();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    CPhoneNumbers numbers;
    CContactStore store;
    std::vector<std::string> searched;
};

History& TheHistory() {
    static History h;
    return h;
}

// Best of five readings of the index's 100,000 lines, in seconds.
double IndexReference() {
    static const double ref = BestIndexReading(TheHistory().folder + "index.dat");
    return ref;
}

// Runs body per iteration; its mean time against the index and the goal.
template <typename Body>
void Timed(benchmark::State& state, double goalSeconds, Body body) {
    TimedAgainst(state, IndexReference(), "vs_index_lines", goalSeconds, body);
}

void BM_HistoryFirstPage(benchmark::State& state) {
    const auto filter = static_cast<HistoryFilter>(state.range(0));
    size_t rows = 0;
    Timed(state, 0.3, [&] { rows = TheHistory().store.Calls(filter, 0, kPage).size(); });
    if (rows != kPage)
        state.SkipWithError("the page is not full");
}
BENCHMARK(BM_HistoryFirstPage)
    ->Arg(static_cast<int>(HistoryFilter::All))
    ->Arg(static_cast<int>(HistoryFilter::Missed))
    ->Arg(static_cast<int>(HistoryFilter::Blocked))
    ->Unit(benchmark::kMillisecond);

void BM_HistorySearchByNumber(benchmark::State& state) {
    History& h = TheHistory();
    size_t i = 0, rows = 0;
    Timed(state, 0.05,
          [&] { rows += h.store.CallsOf(h.searched[i++ % h.searched.size()], kPage).size(); });
    if (rows == 0)
        state.SkipWithError("no number was found");
}
BENCHMARK(BM_HistorySearchByNumber)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
