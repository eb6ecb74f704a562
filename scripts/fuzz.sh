#!/usr/bin/env bash
# Fuzzes every parser of untrusted input with libFuzzer (clang), each target for
# SECONDS (default 120), starting from its seed corpus in fuzz/corpus/. What a
# run finds (crash-*, leak-*, timeout-*) lands in build-fuzz/findings/<target>/;
# the grown corpus stays in build-fuzz/corpus/ for the next run.
# Usage: scripts/fuzz.sh [SECONDS] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed (apt-get install clang)" >&2; exit 2; }
seconds=${1:-120}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(ls "$root/fuzz/corpus")

build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORELLA_SANITIZE=ON -DVORELLA_FUZZ=ON -DVORELLA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t" findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    echo "== $t (${seconds} s)"
    if ! "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" "$corpus" "$root/fuzz/corpus/$t" 2>"$build/$t.log"; then
        echo "   found something: see $findings and $build/$t.log"
        status=1
    fi
    grep '^Done' "$build/$t.log" || true
done
exit $status
