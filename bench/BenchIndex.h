// A call index of n made-up calls, the same in every benchmark that needs a
// big call log: varied numbers and names, a memo on every tenth call, lengths
// up to an hour.
#pragma once

#include "calllog/DataStructure.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>

inline void WriteBenchIndex(const std::string& path, int n) {
    CDataStructureArray a;
    for (int i = 0; i < n; ++i) {
        CDataStructure r;
        r.m_sFile = "rec2026-" + std::to_string(i) + ", 10_00_00.wav";
        r.m_sTime = "10:00";
        r.m_sDate = "12/06/26";
        r.m_sNumber = "555" + std::to_string(i);
        r.m_sName = "Caller number " + std::to_string(i);
        r.m_sMemo = i % 10 == 0 ? "Call back about the \"offer\",\r\nafter five." : "";
        r.m_nLength = i % 3600;
        a.Add(r);
    }
    a.Save(path);
}

// Best of five readings of the index at path, in seconds: the reference the
// benches that read a big call log measure themselves against.
inline double BestIndexReading(const std::string& path) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        CDataStructureArray a;
        benchmark::DoNotOptimize(a.Load(path));
        best = std::min(best,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// Runs body once per iteration and gives its mean time as counters: against
// reference (named refName) and against goalSeconds ("x_goal").
template <typename Body>
void TimedAgainst(benchmark::State& state, double reference, const char* refName,
                  double goalSeconds, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        body();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double each = total / static_cast<double>(state.iterations());
    state.counters[refName] = each / reference;
    state.counters["x_goal"] = each / goalSeconds;
}
