#!/usr/bin/env bash
# Installs what is missing, builds Vorella and starts the service, vorellad.
# With no modem set up (nComPort in vorella.ini), it starts on a simulated
# line instead: a simulated voice modem on a pseudo-terminal, on which a
# caller rings every minute and leaves a message.
# Usage: scripts/run.sh [vorellad arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORELLA_TESTS=OFF -DVORELLA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
bin="$build/bin"

# The COM port of the settings in the program folder; -1 (or none) means no
# modem has been set up yet.
home="${VORELLA_HOME:-$bin}"
port=$(awk -F= '
    /^[ \t]*\[/ { options = (tolower($0) ~ /^[ \t]*\[options\]/) }
    options && tolower($1) ~ /^[ \t]*ncomport[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }
' "$home/vorella.ini" 2>/dev/null | tail -n 1 || true)
if [ -n "$port" ] && [ "$port" -ge 0 ] 2>/dev/null; then
    exec "$bin/vorellad" "$@"
fi

# A simulated line in a program folder of its own, so your own settings and
# calls stay as they are. Calls land in $demo/Recorded Calls/.
demo="$build/simulated-line"
mkdir -p "$demo"
for f in vorella.def brand.ini modem.ini cfg styles wave; do
    [ -e "$bin/$f" ] && cp -r "$bin/$f" "$demo/"
done
if [ ! -e "$demo/vorella.ini" ]; then
    # Away (nAction=1): the answering machine takes the call at the second ring.
    cat >"$demo/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
nAction=1
nRings=2
nDebugLevel=1
[Ports]
COM9=$demo/ttyVORELLA
INI
fi

# One call a minute for a day: caller ID, four rings, and a message of
# tones and noise that ends when the caller hangs up.
script="$demo/line.txt"
{
    echo "# written by scripts/run.sh"
    for i in $(seq 1 1440); do
        n=$(printf '%04d' $((i % 10000)))
        cat <<STEP
say "call $i rings"
callerid formatted number=555$n name="CALLER $i"
source clear
source tone 440 1500 amp=6000
source silence 300
source tone 660 1500 amp=6000
source noise 2000 amp=1500
hangup 8000 busy
ring 4 period=6000 cid-delay=1500
sleep 60000
STEP
    done
} >"$script"

rm -f "$demo/ttyVORELLA"
"$bin/modemsim" --personality hash --script "$script" --link "$demo/ttyVORELLA" \
    --stay >"$demo/modemsim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    [ -e "$demo/ttyVORELLA" ] && break
    sleep 0.1
done

echo "No modem set up: Vorella runs on a simulated line (calls every minute)."
echo "Calls go to $demo/Recorded Calls/; try 'build/bin/vorellactl status'."
echo "Stop with Ctrl-C. Set nComPort in $home/vorella.ini for a real modem."
VORELLA_HOME="$demo" "$bin/vorellad" "$@"
