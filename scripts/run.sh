#!/usr/bin/env bash
# Installs what is missing, builds Vorella and starts it: the desktop program
# `vorella` when there is a display (DISPLAY or WAYLAND_DISPLAY) and it has
# been built, the service `vorellad` otherwise.
# With no modem set up (nComPort in vorella.ini), it starts on a simulated
# line instead: a simulated voice modem on a pseudo-terminal, on which a
# caller rings within seconds of the start and then every minute, and leaves
# a message. VORELLA_SIMULATED=adapter makes that line a simulated USB
# telephone adapter (adaptersim) instead of the modem; VORELLA_SIMULATED=line
# a simulated telephony line, in a program folder of its own, whatever the
# settings say.
# Usage: scripts/run.sh [program arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORELLA_TESTS=OFF -DVORELLA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
bin="$build/bin"

# The desktop program when it can show a window, else the service.
program=vorellad
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/vorella" ]; then
    program=vorella
fi

# A program folder of its own for a simulated line, with the shipped files.
seed_demo_folder() {
    mkdir -p "$1"
    for f in vorella.def brand.ini modem.ini cfg styles wave web; do
        [ -e "$bin/$f" ] && cp -r "$bin/$f" "$1/"
    done
    return 0
}

# The web page on 127.0.0.1 for a simulated line's folder: switched on, with
# a password made at its first start and printed then, once.
demo_web_page() {
    local url="http://127.0.0.1:8640/"
    if ! grep -q '^\[Web\]' "$1/vorella.ini"; then
        printf '[Web]\nbEnable=1\nsListenAddress=127.0.0.1\nnPort=8640\n' >>"$1/vorella.ini"
        local password
        password=$(VORELLA_HOME="$1" "$bin/vorella-tool" web-password --random)
        echo "Web page: $url (password for this demonstration: $password)"
    elif grep -q '^bEnable=1' "$1/vorella.ini"; then
        echo "Web page: $url (its password was printed at the first start;" \
            "'VORELLA_HOME=$1 $bin/vorella-tool web-password' sets another)"
    fi
}

# A simulated telephony line (the simulated provider and its caller, who
# rings a few seconds after the start and then every minute and leaves a
# message), in a program folder of its own. The caller speaks on the null
# sound device.
if [ "${VORELLA_SIMULATED:-}" = line ]; then
    demo="$build/simulated-telephony-line"
    seed_demo_folder "$demo"
    if [ ! -e "$demo/vorella.ini" ]; then
        # Away (nAction=1): the answering machine takes the call at the second ring.
        cat >"$demo/vorella.ini" <<INI
[Options]
nTAPI=1
nTAPILine=0
nComPort=1
nCIDType=2
bStartDisabled=0
nAction=1
nRings=2
nDebugLevel=1
INI
    fi
    demo_web_page "$demo"
    echo "$program runs on a simulated telephony line (a call in a few seconds, then every minute)."
    echo "Calls go to $demo/Recorded Calls/. Stop with Ctrl-C."
    VORELLA_HOME="$demo" VORELLA_TAPI=simulated VORELLA_AUDIO="${VORELLA_AUDIO:-null}" \
        exec "$bin/$program" "$@"
fi

# The COM port of the settings in the program folder; -1 (or none) means no
# modem has been set up yet.
home="${VORELLA_HOME:-$bin}"
port=$(awk -F= '
    /^[ \t]*\[/ { options = (tolower($0) ~ /^[ \t]*\[options\]/) }
    options && tolower($1) ~ /^[ \t]*ncomport[ \t]*$/ { gsub(/[ \t\r]/, "", $2); print $2 }
' "$home/vorella.ini" 2>/dev/null | tail -n 1 || true)
if [ "${VORELLA_SIMULATED:-}" != adapter ] && [ -n "$port" ] && [ "$port" -ge 0 ] 2>/dev/null; then
    exec "$bin/$program" "$@"
fi

# A simulated USB telephone adapter as the line, in a program folder of its
# own: the same call as on the simulated modem below, with an ETSI caller ID.
if [ "${VORELLA_SIMULATED:-}" = adapter ]; then
    demo="$build/simulated-adapter"
    seed_demo_folder "$demo"
    if [ ! -e "$demo/vorella.ini" ]; then
        # The adapter (fUseHiPhone=1); away: the machine answers at ring 2.
        cat >"$demo/vorella.ini" <<INI
[Options]
fUseHiPhone=1
bStartDisabled=0
nAction=1
nRings=2
nDebugLevel=1
nCIDType=2
INI
    fi
    # The caller's message: eight seconds of tones.
    sox -n -r 8000 -b 16 -c 1 "$demo/message.wav" synth 8 sine 440-660 vol 0.2
    # Rings, the caller ID between the first two, the message once the
    # machine has answered, the caller hanging up; then a minute's pause.
    script="$demo/adapter.txt"
    cat >"$script" <<SCRIPT
# written by scripts/run.sh
wait open
repeat
sleep 3000
ring
sleep 1500
caller-id 80 1b 02 07 35 35 35 30 31 32 33 07 10 53 49 4d 55 4c 41 54 45 44 20 43 41 4c 4c 45 52 65
sleep 4500
ring
wait off-hook
sleep 3000
sound $demo/message.wav
busy
wait on-hook
sleep 10000
sleep 10000
sleep 10000
sleep 10000
SCRIPT
    socket="$demo/adapter.sock"
    rm -f "$socket"
    "$bin/adaptersim" --socket "$socket" --script "$script" >"$demo/adaptersim.log" 2>&1 &
    sim=$!
    trap 'kill "$sim" 2>/dev/null || true' EXIT
    for _ in $(seq 1 100); do
        [ -S "$socket" ] && break
        sleep 0.1
    done
    if ! kill -0 "$sim" 2>/dev/null || [ ! -S "$socket" ]; then
        echo "The simulated adapter did not start; see $demo/adaptersim.log:" >&2
        cat "$demo/adaptersim.log" >&2
        exit 1
    fi
    echo "$program runs on a simulated USB telephone adapter (a call now, then every minute)."
    echo "Calls go to $demo/Recorded Calls/. Stop with Ctrl-C."
    VORELLA_HOME="$demo" VORELLA_ADAPTER_SOCKET="$socket" "$bin/$program" "$@"
    exit
fi

# A simulated line in a program folder of its own, so your own settings and
# calls stay as they are. Calls land in $demo/Recorded Calls/.
demo="$build/simulated-line"
seed_demo_folder "$demo"
if [ ! -e "$demo/vorella.ini" ]; then
    # Away (nAction=1): the answering machine takes the call at the second ring.
    cat >"$demo/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
nAction=1
nRings=2
nDebugLevel=1
nCIDType=2
[Ports]
COM9=$demo/ttyVORELLA
INI
fi

# The call, again and again for as long as Vorella runs: caller ID, four
# rings, and a message of tones and noise; the caller hangs up 8 seconds into
# the message. The first call rings as soon as Vorella has set the modem up
# for caller ID. A call not taken (monitoring off) does not stop the line.
script="$demo/line.txt"
cat >"$script" <<'SCRIPT'
# written by scripts/run.sh
wait command CID= timeout=86400000
repeat
say "a caller rings"
callerid formatted number=5550123 name="SIMULATED CALLER"
source clear
source tone 440 1500 amp=6000
source silence 300
source tone 660 1500 amp=6000
source noise 2000 amp=1500
ring 4 period=6000 cid-delay=1500
wait command VRX timeout=40000 fail=no
hangup 8000 busy
wait receive-end timeout=20000 fail=no
sleep 40000
SCRIPT

rm -f "$demo/ttyVORELLA"
"$bin/modemsim" --personality hash --script "$script" --link "$demo/ttyVORELLA" \
    --stay >"$demo/modemsim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    [ -e "$demo/ttyVORELLA" ] && break
    sleep 0.1
done

if ! kill -0 "$sim" 2>/dev/null || [ ! -e "$demo/ttyVORELLA" ]; then
    echo "The simulated modem did not start; see $demo/modemsim.log:" >&2
    cat "$demo/modemsim.log" >&2
    exit 1
fi

demo_web_page "$demo"
echo "No modem set up: $program runs on a simulated line (a call now, then every minute)."
echo "Calls go to $demo/Recorded Calls/; try 'build/bin/vorellactl status'."
echo "Stop with Ctrl-C. Set nComPort in $home/vorella.ini for a real modem."
VORELLA_HOME="$demo" "$bin/$program" "$@"
