#!/usr/bin/env bash
# Builds the test configuration (sanitizers on, warnings are errors) and runs
# every test. Usage: scripts/test.sh [extra ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DVORELLA_SANITIZE=ON -DVORELLA_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
# Twice as many tests as cores at once: the stories mostly wait on the line's
# real time, and a busy test program takes two slots (tests/CMakeLists.txt).
jobs=$((2 * $(nproc)))
ctest --output-on-failure -j "$jobs" "$@"

# The engine is threads sharing flags: the stories and the service once more,
# built with ThreadSanitizer in a tree of their own (it excludes
# AddressSanitizer). A race fails the run, in the tests or in a program they
# start; every report is kept in build-tsan/tsan-reports/. This second run is
# also the stories' second run: their timing hangs on other processes (the
# simulated modem, another SIP stack), and a story that passes only now and
# then is a fault, so each must pass both times (no retries).
if [ $# -eq 0 ]; then
    tsan_build="$root/build-tsan"
    # This compiler's ThreadSanitizer needs the address layout of at most 28
    # random bits; a kernel that uses more is asked for a fixed layout.
    tsan_run=()
    if [ "$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 28)" -gt 28 ]; then
        tsan_run=(setarch "$(uname -m)" -R)
    fi
    cmake -S "$root" -B "$tsan_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DVORELLA_SANITIZE_THREAD=ON -DVORELLA_WERROR=ON -DVORELLA_BENCH=OFF >/dev/null
    "${tsan_run[@]}" cmake --build "$tsan_build" -j "$(nproc)" \
        --target engine_story_tests adapter_story_tests app_service_tests sip_story_tests
    reports="$tsan_build/tsan-reports"
    rm -rf "$reports"
    mkdir -p "$reports"
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:log_path=$reports/race"
    cd "$tsan_build"
    status=0
    # (The desktop program's story is left out: Qt is not built for it.)
    "${tsan_run[@]}" ctest --output-on-failure -j "$jobs" -L 'story|service' -LE ui ||
        status=$?
    if [ -n "$(ls -A "$reports")" ]; then
        cat "$reports"/*
        echo "ThreadSanitizer found a race (reports in $reports)" >&2
        status=1
    fi
    exit "$status"
fi
