#!/usr/bin/env bash
# What an idle vorellad (or, with PROGRAM vorella, the desktop program with
# its main window hidden, on the offscreen platform) costs: wake-ups per
# second and CPU, on a line with no calls, measured over SECONDS (default 20),
# for each kind of device DEVICE names (default all of them): "modem" (a
# simulated voice modem, modemsim), "sip" (a SIP account on 127.0.0.1 with no
# registrar) and "adapter" (a simulated USB telephone adapter, adaptersim).
#
# A machine shared with other work makes absolute numbers wander, so the
# same counting runs in the same window on a reference process that wakes
# exactly once a second; the ratios to it are what to compare between runs.
# A wake-up ratio below 1 means fewer than one wake-up a second.
#
# Wake-ups are the context switches of every thread (/proc/PID/task/*/status),
# CPU the threads' run time in nanoseconds (/proc/PID/task/*/schedstat);
# each thread's wake-ups are listed too, to tell which one wakes.
#
# Usage: bench/idle-measure.sh [SECONDS] [vorellad|vorella] [all|modem|sip|adapter]
# VORELLA_BENCH_BUILD=build-test measures an existing build folder instead of
# building the optimised one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
program=${2:-vorellad}
device=${3:-all}
usage() {
    echo "usage: bench/idle-measure.sh [SECONDS] [vorellad|vorella] [all|modem|sip|adapter]" >&2
    exit 2
}
case "$program" in
vorellad | vorella) ;;
*) usage ;;
esac
case "$device" in
all) devices=(modem sip adapter) ;;
modem | sip | adapter) devices=("$device") ;;
*) usage ;;
esac
if [ -n "${VORELLA_BENCH_BUILD:-}" ]; then
    build=$(cd "$VORELLA_BENCH_BUILD" && pwd)
else
    build="$root/build-bench"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORELLA_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "$program" modemsim adaptersim
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

python3 -c 'import time
while True: time.sleep(1)' &
reference=$!
pids+=("$reference")

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

# each thread's id, name and switches
threads() {
    local t
    for t in /proc/"$1"/task/*; do
        printf "%s %s %s\n" "$(basename "$t")" "$(tr ' ' _ <"$t/comm")" \
            "$(awk '/ctxt_switches/ {s += $2} END {print s + 0}' "$t/status" 2>/dev/null)"
    done | sort
}

# Starts the program on one kind of device in a program folder of its own
# and a private runtime folder, so a Vorella already running for the user
# is neither disturbed nor measured, then measures it.
measure() {
    local kind=$1 dir="$work/$1"
    local home="$dir/home" run="$dir/run" env=()
    mkdir -p "$home" "$run"
    chmod 700 "$run"
    for f in vorella.def brand.ini modem.ini cfg; do
        cp -r "$bin/$f" "$home/"
    done
    case "$kind" in
    modem)
        cat >"$home/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
[Ports]
COM9=$dir/ttyVORELLA
INI
        "$bin/modemsim" --personality hash --link "$dir/ttyVORELLA" --stay >"$dir/modemsim.log" 2>&1 &
        pids+=($!)
        for _ in $(seq 1 100); do
            [ -e "$dir/ttyVORELLA" ] && break
            sleep 0.1
        done
        ;;
    sip)
        cat >"$home/vorella.ini" <<INI
[Options]
nTAPI=1
nTAPILine=0
nComPort=1
bStartDisabled=0
[SIP1]
sName=Idle
sUser=vorella
sBindAddress=127.0.0.1
nPort=0
INI
        env=(VORELLA_TAPI=sip)
        ;;
    adapter)
        cat >"$home/vorella.ini" <<INI
[Options]
fUseHiPhone=1
bStartDisabled=0
INI
        "$bin/adaptersim" --socket "$dir/adapter.sock" >"$dir/adaptersim.log" 2>&1 &
        pids+=($!)
        for _ in $(seq 1 100); do
            [ -S "$dir/adapter.sock" ] && break
            sleep 0.1
        done
        env=(VORELLA_ADAPTER_SOCKET="$dir/adapter.sock")
        ;;
    esac

    env "${env[@]}" XDG_RUNTIME_DIR="$run" VORELLA_HOME="$home" QT_QPA_PLATFORM=offscreen \
        "$bin/$program" 2>"$dir/vorellad.log" &
    local daemon=$!
    pids+=("$daemon")

    # Start-up (opening the device, initialising the modem) is not idle time.
    sleep 5
    if ! kill -0 "$daemon" 2>/dev/null; then
        echo "$program ended early on the $kind line:" >&2
        cat "$dir/vorellad.log" >&2
        exit 1
    fi

    local d_sw0 d_ns0 r_sw0 r_ns0 d_sw1 d_ns1 r_sw1 r_ns1 start end
    threads "$daemon" >"$dir/threads0"
    read -r d_sw0 d_ns0 < <(sample "$daemon")
    read -r r_sw0 r_ns0 < <(sample "$reference")
    start=$(date +%s%N)
    sleep "$seconds"
    read -r d_sw1 d_ns1 < <(sample "$daemon")
    read -r r_sw1 r_ns1 < <(sample "$reference")
    end=$(date +%s%N)
    threads "$daemon" >"$dir/threads1"

    awk -v el="$((end - start))" -v prog="$program" -v kind="$kind" \
        -v dsw="$((d_sw1 - d_sw0))" -v dns="$((d_ns1 - d_ns0))" \
        -v rsw="$((r_sw1 - r_sw0))" -v rns="$((r_ns1 - r_ns0))" 'BEGIN {
        s = el / 1e9
        printf "idle %s over %.1f s, device: %s\n", prog, s, kind
        printf "%-22s %12s %14s\n", "", "wake-ups/s", "CPU % of core"
        printf "%-22s %12.2f %14.4f\n", prog, dsw / s, 100 * dns / el
        printf "%-22s %12.2f %14.4f\n", "reference (1 Hz)", rsw / s, 100 * rns / el
        printf "%-22s %12.2f %14.2f\n", "ratio to reference", (rsw ? dsw / rsw : 0), (rns ? dns / rns : 0)
    }'
    # What the program holds in memory, and the shared libraries it maps.
    local libs
    libs=$(awk '$6 ~ /\.so/ {print $6}' "/proc/$daemon/maps" | sort -u)
    echo "memory of $program: $(awk '/^VmRSS/ {print $2, $3}' "/proc/$daemon/status") resident," \
        "$(grep -c . <<<"$libs") libraries mapped$(grep -q liblinphone <<<"$libs" && echo ', liblinphone among them')"
    echo "threads of $program (wake-ups/s):"
    join "$dir/threads0" "$dir/threads1" |
        awk -v s="$(((end - start) / 1000000))" '{printf "  %-8s %-16s %8.2f\n", $1, $2, ($5 - $3) * 1000 / s}'
    kill "$daemon" 2>/dev/null || true
    wait "$daemon" 2>/dev/null || true
}

for kind in "${devices[@]}"; do
    measure "$kind"
done
