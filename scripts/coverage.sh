#!/usr/bin/env bash
# Measures the test suite: line and branch coverage of src/ (gcovr on a
# build with --coverage), the number of test cases, the time the tests take,
# and the lines of tests and fuzz targets over those of src/ and tools/.
# Not part of the test command. Usage: scripts/coverage.sh [ctest -R regex]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
list=$(mktemp)
trap 'rm -f "$list"' EXIT
echo gcovr >"$list"
"$root/scripts/deps.sh" "$list"

build="$root/build-coverage"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORELLA_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" -j "$(nproc)"
find "$build" -name '*.gcda' -delete

cd "$build"
start=$(date +%s)
ctest -j "$(nproc)" ${1:+-R "$1"} >"$build/ctest.log" 2>&1 || echo "some tests failed: $build/ctest.log"
end=$(date +%s)

echo "== coverage of src/"
gcovr -r "$root" --filter "$root/src/" --object-directory "$build" \
    --exclude-unreachable-branches --exclude-throw-branches \
    --gcov-ignore-parse-errors --print-summary --txt "$build/coverage.txt" | tail -3
echo "(per file: $build/coverage.txt)"

echo "== test cases: $(ctest -N ${1:+-R "$1"} | sed -n 's/^Total Tests: //p'), run in $((end - start)) s"

# Lines of code, without blank and comment-only lines.
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
        xargs -0 cat | grep -v -E '^\s*$|^\s*//' | wc -l
}
tests=$(count "$root/tests" "$root/fuzz")
code=$(count "$root/src" "$root/tools")
echo "== lines: tests and fuzz $tests, src and tools $code, tests are" \
    "$((100 * tests / (tests + code))) % of all"
