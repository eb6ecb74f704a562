#!/usr/bin/env bash
# Soak: CALLS simulated calls (default 1000) back to back through the service
# vorellad, to find what grows or gets lost over many calls. Every hundred
# calls it prints the service's memory (RSS), open files, threads and the
# index lines; at the end it checks that every answered call is in the index
# and every recording exists and is a valid WAV file (sox --i).
#
# On a modem line (the default) the calls come from a simulated modem
# (modemsim) and mix messages left on the answering machine, callers who hang
# up during the greeting, recordings started from the command line
# (vorellactl record) and the caller-ID forms (formatted with and without a
# name, unformatted, none).
#
# With --line sip the service watches a SIP account on 127.0.0.1 and the
# calls come from SIPp, a SIP stack of its own in another process, which
# speaks into the call: messages from callers with and without a name, an
# anonymous caller, a long message, and callers who hang up during the
# greeting.
#
# Usage: scripts/soak.sh [--line modem|sip] [CALLS]
# (CALLS is rounded up to whole rounds of 10.) It builds build/ as
# scripts/run.sh does and works in build/soak/ (emptied first).
# SOAK_BIN=<folder> uses programs already built there instead.
# Exit status 0 when every check holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=modem
if [ "${1:-}" = --line ]; then
    kind=${2:-}
    shift 2 || true
fi
calls=${1:-1000}
if ! [[ "$calls" =~ ^[0-9]+$ ]] || [ "$calls" -lt 1 ] || { [ "$kind" != modem ] && [ "$kind" != sip ]; }; then
    echo "usage: scripts/soak.sh [--line modem|sip] [CALLS]" >&2
    exit 2
fi
rounds=$(((calls + 9) / 10))
calls=$((rounds * 10))

if [ -n "${SOAK_BIN:-}" ]; then
    bin=$(cd "$SOAK_BIN" && pwd)
else
    "$root/scripts/deps.sh"
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORELLA_TESTS=OFF -DVORELLA_BENCH=OFF >/dev/null
    cmake --build "$root/build" -j "$(nproc)" --target vorellad vorellactl modemsim-bin vorella-sip
    bin="$root/build/bin"
fi

soak="$root/build/soak"
rm -rf "$soak"
mkdir -p "$soak"
for f in vorella.def brand.ini modem.ini cfg; do
    cp -r "$bin/$f" "$soak/"
done
# A greeting of its own (1.5 s), so the soak does not depend on the
# shipped sounds and a caller can hang up while it plays.
sox -n -r 8000 -b 16 -c 1 "$soak/greet.wav" synth 1.5 sine 600 vol 0.3
if [ "$kind" = sip ]; then
    command -v sipp >/dev/null || { echo "soak.sh: sipp is needed (apt-get install sip-tester)" >&2; exit 2; }
    port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    cat >"$soak/vorella.ini" <<INI
[Options]
nTAPI=1
nTAPILine=0
nComPort=1
bStartDisabled=0
nAction=1
nRings=1
nCIDType=2
nDebugLevel=0
iPopup=0
bEMailCID=0
bSilenceDetection=0
[Sounds]
sWaveGreet=$soak/greet.wav
sWaveRingIn=
[SIP1]
sName=Soak
sUser=vorella
sBindAddress=127.0.0.1
nPort=$port
INI
    unset VORELLA_TAPI
else
    cat >"$soak/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
nAction=1
nRings=2
nCIDType=2
nDebugLevel=0
iPopup=0
bEMailCID=0
[Sounds]
sWaveGreet=$soak/greet.wav
sWaveRingIn=
[Ports]
COM9=$soak/ttySOAK
INI
fi

modem_script() {
# One round is ten calls; the caller's number tells the kind in the index.
#   5550101..5550107  messages: formatted caller ID with and without a name,
#                     unformatted; 5550105 has no caller ID ("NA")
#   5550201, 5550202  hang-ups during the greeting: no message, but an index
#                     line with the caller ID and an empty recording
#   5550301           a recording started by "vorellactl record" at the
#                     caller ID; the call rings once, so the answering
#                     machine does not take it.
# Each call ends when the service has put the line back and set the modem up
# for the next call (it sends the caller-ID command again; after a recording
# taken this way that comes only when the rings are over, 8 s after the
# last): a ring while it is still doing so would not be heard.
next_call='wait command CID= timeout=30000
wait command CID= timeout=12000 fail=no'
message() { # FORM NUMBER [NAME]
    local id="callerid $1 number=$2"
    [ -n "${3:-}" ] && id="$id name=\"$3\""
    [ "$1" = none ] && id="callerid none"
    cat <<STEP
$id
source clear
source tone 440 800 amp=6000
source noise 3000 amp=1500
ring 4 period=500 cid-delay=120
wait command VTX timeout=30000
wait transmit-end timeout=30000
hangup 1500 busy
wait receive-end timeout=30000
$next_call
STEP
}
greeting_hangup() { # FORM NUMBER
    cat <<STEP
callerid $1 number=$2
source clear
hangup 250 busy
ring 4 period=500 cid-delay=120
wait command VTX timeout=30000
wait transmit-end timeout=30000
$next_call
STEP
}
recording() { # NUMBER
    cat <<STEP
callerid formatted number=$1 name="SOAK RECORD"
source clear
source tone 700 800 amp=6000
source noise 3000 amp=1500
ring 1 period=500 cid-delay=120
wait command VRX timeout=30000
hangup 1500 busy
wait receive-end timeout=30000
$next_call
STEP
}
{
    echo "# written by scripts/soak.sh: $rounds rounds of 10 calls"
    echo "wait command CID= timeout=60000"
    echo "repeat $rounds"
    message formatted 5550101 "SOAK MESSAGE"
    greeting_hangup formatted 5550201
    message formatted 5550102
    message unformatted 5550103
    greeting_hangup unformatted 5550202
    message formatted 5550104 "O'NEIL, ANN"
    message none 5550105
    message unformatted 5550106
    message formatted 5550107 "SOAK MESSAGE 7"
    recording 5550301
} >"$soak/line.txt"
}


# A control socket of its own: another Vorella of this user is left alone.
export XDG_RUNTIME_DIR="$soak/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export VORELLA_HOME="$soak" VORELLA_AUDIO=null

log="$soak/vorellad.log"
index="$soak/Recorded Calls/index.dat"
count() { grep -c "$1" "$log" 2>/dev/null || true; }
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
}
trap cleanup EXIT

# The SIP soak's calls, one after the other, each when the one before has
# ended in the service's log. One round is ten calls; the caller's number
# tells the kind in the index:
#   5550101..5550104, 5550106: messages, with and without a name
#   5550107: a long message (20 s)
#   anonymous: a caller who gives no number ("NA" in the index)
#   +4930123456: a number in international form
#   5550201, 5550202: hang-ups during the greeting
sip_call() { # FROM STAY-MS NUMBER-OF-THIS-CALL
    (cd "$soak" && sipp "127.0.0.1:$port" -sf "$root/tests/data/sip/soak-caller.xml" \
        -s vorella -i 127.0.0.1 -p 0 -m 1 -nostdin -timeout 90s -timeout_error \
        -set from "$1" -set stay "$2" >>"$soak/sipp.log" 2>&1) ||
        echo "soak: call $3 from $1 failed in SIPp" >>"$soak/soak-errors.log"
    for _ in $(seq 1 300); do
        [ "$(count 'vorellad: call ended')" -ge "$3" ] && return
        sleep 0.2
    done
    echo "soak: call $3 from $1 did not end in the service" >>"$soak/soak-errors.log"
}
sip_calls() {
    for _ in $(seq 1 300); do
        grep -q "telephony line open" "$log" 2>/dev/null && break
        sleep 0.2
    done
    local n=0 host="@127.0.0.1>"
    for _ in $(seq 1 "$rounds"); do
        sip_call "\"SOAK MESSAGE\" <sip:5550101$host" 6000 $((n += 1))
        sip_call "<sip:5550201$host" 600 $((n += 1))
        sip_call "<sip:5550102$host" 6000 $((n += 1))
        sip_call "\"O'NEIL, ANN\" <sip:5550103$host" 6000 $((n += 1))
        sip_call "<sip:5550202$host" 600 $((n += 1))
        sip_call "\"Anonymous\" <sip:anonymous@anonymous.invalid>" 6000 $((n += 1))
        sip_call "\"SOAK MESSAGE 4\" <sip:5550104$host" 6000 $((n += 1))
        sip_call "<sip:5550106$host" 6000 $((n += 1))
        sip_call "\"SOAK LONG\" <sip:5550107$host" 20000 $((n += 1))
        sip_call "<sip:+4930123456$host" 6000 $((n += 1))
    done
}

if [ "$kind" = modem ]; then
    modem_script
    "$bin/modemsim" --personality hash --pace 0 --script "$soak/line.txt" \
        --link "$soak/ttySOAK" >"$soak/modemsim.log" 2>&1 &
    sim=$!
    pids+=("$sim")
    for _ in $(seq 1 100); do
        [ -e "$soak/ttySOAK" ] && break
        sleep 0.1
    done
else
    # What the callers say, in the line's u-law: noise, which no line
    # signal is taken for.
    sox -R -n -r 8000 -c 1 -e u-law "$soak/speech.wav" synth 30 brownnoise vol 0.3
fi
"$bin/vorellad" 2>"$log" &
service=$!
pids+=("$service")
if [ "$kind" = sip ]; then
    sip_calls &
    sim=$!
    pids+=("$sim")
fi

# The recordings: "vorellactl record" as soon as such a caller is known.
# (tail ends with the service.)
tail -n +1 -F --pid="$service" "$log" 2>/dev/null | while read -r line; do
    case "$line" in
    *'caller: name "SOAK RECORD"'*)
        "$bin/vorellactl" record >/dev/null 2>&1 ||
            echo "soak: vorellactl record failed: $line" >>"$soak/soak-errors.log"
        ;;
    esac
done &

wav_files() { (find "$soak/Recorded Calls" -name '*.wav' 2>/dev/null || true) | wc -l; }
index_lines() { if [ -f "$index" ]; then wc -l <"$index"; else echo 0; fi; }
sample() { # CALLS
    local rss fds threads lines wavs
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$service/status" 2>/dev/null || echo -)
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$service/status" 2>/dev/null || echo -)
    fds=$( (find "/proc/$service/fd" -mindepth 1 -maxdepth 1 2>/dev/null || true) | wc -l)
    lines=$(index_lines)
    wavs=$(wav_files)
    printf '%6s %9s %10s %6s %8s %8s %6s\n' "$1" "$(($(date +%s) - start))" "$rss" "$fds" \
        "$threads" "$lines" "$wavs"
}

start=$(date +%s)
echo "Soak: $calls calls through vorellad on a $kind line; files in $soak"
printf '%6s %9s %10s %6s %8s %8s %6s\n' calls seconds "RSS kB" files threads index wavs
sample 0
next=100
ended=0
while kill -0 "$sim" 2>/dev/null || [ "$ended" -lt "$calls" ]; do
    ended=$(count 'vorellad: call ended')
    while [ "$ended" -ge "$next" ]; do
        sample "$next"
        next=$((next + 100))
    done
    if ! kill -0 "$service" 2>/dev/null; then
        echo "soak: vorellad ended early; see $log" >&2
        break
    fi
    if ! kill -0 "$sim" 2>/dev/null; then
        # The script has ended: the last call may still be finishing.
        [ "${grace:-0}" -ge 300 ] && break
        grace=$((${grace:-0} + 1))
    fi
    sleep 0.2
done
if [ $((ended % 100)) -ne 0 ]; then
    sample "$ended"
fi
sim_status=0
wait "$sim" || sim_status=$?
elapsed=$(($(date +%s) - start))

"$bin/vorellactl" quit >/dev/null 2>&1 || kill "$service" 2>/dev/null || true
service_status=0
wait "$service" || service_status=$?

# ---- the checks ---------------------------------------------------------
set +e # each check reports its own failure
failures=0
check() { # CONDITION-TEXT RESULT(0 ok)
    if [ "$2" -eq 0 ]; then
        echo "ok:   $1"
    else
        echo "FAIL: $1"
        failures=$((failures + 1))
    fi
}
answered=$calls # the greeting is played on a line that was answered
recorded=$((rounds * 10)) # every call: messages, recordings, greeting hang-ups
echo
echo "Took $elapsed s for $calls calls ($(awk "BEGIN { printf \"%.2f\", $elapsed / $calls }") s a call)."
check "the callers ran to the end (status $sim_status)" "$sim_status"
check "vorellad left in order (status $service_status)" "$service_status"
rings=$(count 'vorellad: ring 1$')
[ "$rings" -eq "$calls" ]
check "every call rang: $rings first rings for $calls calls" $?
[ "$ended" -eq "$calls" ]
check "every call ended: $ended" $?
n=$(count 'vorellad: answered at ring')
[ "$n" -eq "$answered" ]
check "answered $n of $answered calls" $?
messages=$(count 'vorellad: message stored')
recordings=$(count 'vorellad: recording stored')
# The recordings: the two empty ones of the callers who hung up during the
# greeting in every round, and on a modem one started by vorellactl.
if [ "$kind" = sip ]; then
    numbers=(5550101 5550102 5550103 5550104 5550106 5550107 5550201 5550202 +4930123456 NA)
else
    want_messages=$((rounds * 7)) want_recordings=$((rounds * 3))
    numbers=(5550101 5550102 5550103 5550104 5550106 5550107 5550201 5550202 5550301 NA)
fi
if [ "$kind" = sip ]; then
    # A SIP caller who hangs up during the greeting is noticed only when
    # the greeting has been played, and leaves an empty message.
    [ "$((messages + recordings))" -eq "$calls" ]
    check "stored $messages messages and $recordings recordings for $calls calls" $?
else
    [ "$messages" -eq "$want_messages" ] && [ "$recordings" -eq "$want_recordings" ]
    check "stored $messages messages (of $want_messages) and $recordings recordings (of $want_recordings)" $?
fi
lines=$(index_lines)
[ "$lines" -eq "$recorded" ]
check "index.dat has $lines lines for $recorded recorded calls" $?
for number in "${numbers[@]}"; do
    n=$(grep -c "^\"[^\"]*\",\"[^\"]*\",\"[^\"]*\",\"$number\"," "$index" || true)
    [ "$n" -eq "$rounds" ]
    check "caller $number in the index $n times of $rounds" $?
done
missing=0
invalid=0
while IFS= read -r name; do
    file="$soak/Recorded Calls/$name"
    if [ ! -f "$file" ]; then
        missing=$((missing + 1))
    elif ! sox --i "$file" >/dev/null 2>&1; then
        invalid=$((invalid + 1))
        echo "  not a valid WAV file: $file"
    fi
done < <(sed -n 's/^"\([^"]*\)",.*/\1/p' "$index")
[ "$missing" -eq 0 ]
check "every recording in the index exists ($missing missing)" $?
[ "$invalid" -eq 0 ]
check "every recording is a valid WAV file for sox ($invalid invalid)" $?
wavs=$(wav_files)
[ "$wavs" -eq "$lines" ]
check "no recording outside the index ($wavs files, $lines lines)" $?
[ ! -s "$soak/soak-errors.log" ]
check "every vorellactl record was taken" $?
echo
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the logs are in $soak"
    exit 1
fi
echo "All checks hold."
