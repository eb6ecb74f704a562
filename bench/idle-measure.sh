#!/usr/bin/env bash
# What an idle vorellad (or, with PROGRAM vorella, the desktop program with
# its main window hidden, on the offscreen platform) costs: wake-ups per
# second and CPU, on a simulated line with no calls, measured over SECONDS
# (default 20).
#
# A machine shared with other work makes absolute numbers wander, so the
# same counting runs in the same window on a reference process that wakes
# exactly once a second; the ratios to it are what to compare between runs.
# A wake-up ratio below 1 means fewer than one wake-up a second.
#
# Wake-ups are the context switches of every thread (/proc/PID/task/*/status),
# CPU the threads' run time in nanoseconds (/proc/PID/task/*/schedstat).
#
# Usage: bench/idle-measure.sh [SECONDS] [vorellad|vorella]
# VORELLA_BENCH_BUILD=build-test measures an existing build folder instead of
# building the optimised one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
program=${2:-vorellad}
case "$program" in
vorellad | vorella) ;;
*)
    echo "usage: bench/idle-measure.sh [SECONDS] [vorellad|vorella]" >&2
    exit 2
    ;;
esac
if [ -n "${VORELLA_BENCH_BUILD:-}" ]; then
    build=$(cd "$VORELLA_BENCH_BUILD" && pwd)
else
    build="$root/build-bench"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORELLA_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "$program" modemsim
fi
bin="$build/bin"

work=$(mktemp -d "${TMPDIR:-/tmp}/vorella-idle.XXXXXX")
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A program folder of its own and a private runtime folder, so a Vorella
# already running for the user is neither disturbed nor measured.
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
for f in vorella.def brand.ini modem.ini cfg; do
    cp -r "$bin/$f" "$home/"
done
cat >"$home/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
[Ports]
COM9=$work/ttyVORELLA
INI

"$bin/modemsim" --personality hash --link "$work/ttyVORELLA" --stay >"$work/modemsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -e "$work/ttyVORELLA" ] && break
    sleep 0.1
done

XDG_RUNTIME_DIR="$work/run" VORELLA_HOME="$home" QT_QPA_PLATFORM=offscreen \
    "$bin/$program" 2>"$work/vorellad.log" &
daemon=$!
pids+=("$daemon")
python3 -c 'import time
while True: time.sleep(1)' &
reference=$!
pids+=("$reference")

# Start-up (opening and initialising the modem) is not idle time.
sleep 5
if ! kill -0 "$daemon" 2>/dev/null; then
    echo "$program ended early:" >&2
    cat "$work/vorellad.log" >&2
    exit 1
fi

# switches and run time (ns) of all threads of a process
sample() {
    local pid=$1 sw=0 ns=0 t v
    for t in /proc/"$pid"/task/*; do
        v=$(awk '/^(non)?voluntary_ctxt_switches/ {s += $2} END {print s + 0}' "$t/status" 2>/dev/null) || continue
        sw=$((sw + v))
        v=$(awk '{print $1}' "$t/schedstat" 2>/dev/null) || continue
        ns=$((ns + v))
    done
    echo "$sw $ns"
}

read -r d_sw0 d_ns0 < <(sample "$daemon")
read -r r_sw0 r_ns0 < <(sample "$reference")
start=$(date +%s%N)
sleep "$seconds"
read -r d_sw1 d_ns1 < <(sample "$daemon")
read -r r_sw1 r_ns1 < <(sample "$reference")
end=$(date +%s%N)

awk -v el="$((end - start))" -v prog="$program" \
    -v dsw="$((d_sw1 - d_sw0))" -v dns="$((d_ns1 - d_ns0))" \
    -v rsw="$((r_sw1 - r_sw0))" -v rns="$((r_ns1 - r_ns0))" 'BEGIN {
    s = el / 1e9
    printf "idle %s over %.1f s on a simulated line\n", prog, s
    printf "%-22s %12s %14s\n", "", "wake-ups/s", "CPU % of core"
    printf "%-22s %12.2f %14.4f\n", prog, dsw / s, 100 * dns / el
    printf "%-22s %12.2f %14.4f\n", "reference (1 Hz)", rsw / s, 100 * rns / el
    printf "%-22s %12.2f %14.2f\n", "ratio to reference", (rsw ? dsw / rsw : 0), (rns ? dns / rns : 0)
}'
echo "threads of $program:"
for t in /proc/"$daemon"/task/*; do
    printf "  %-16s %s switches\n" "$(cat "$t/comm")" \
        "$(awk '/ctxt_switches/ {s += $2} END {print s}' "$t/status")"
done
