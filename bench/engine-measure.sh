#!/usr/bin/env bash
# The worker's costs on a simulated line: idle CPU and wake-ups, CPU while
# recording, the caller's number reaching the front end, memory over calls.
# Usage: bench/engine-measure.sh [--full]   (--full: 5 minutes idle, 200 calls)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORELLA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench_engine
if [ "${1:-}" = "--full" ]; then
    export VORELLA_BENCH_IDLE_SECONDS=300 VORELLA_BENCH_CALLS=200 VORELLA_BENCH_RECORD_SECONDS=60
fi
"$build/bench/bench_engine" --benchmark_counters_tabular=true
