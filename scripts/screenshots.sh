#!/usr/bin/env bash
# Screenshots of the desktop program's windows, taken on a virtual X display
# (Xvfb, 1366x768) with Vorella on a simulated line of its own: the main
# window with a filled call list, a search and a chosen recording in the
# player, its "Calls" view of the call history with a caller's earlier
# calls, the message box of a desktop without a notification area, the
# incoming-call pop-up with a caller, the About box, each page of the options
# dialog (the device page also with the USB adapter chosen), the contacts
# window with its contacts and its rules, the diagnostics window and the
# set-up wizard's pages at a first start. PNGs go to
# build/screenshots/;
# with --docs they are copied to docs/images/ for the README too.
# Usage: scripts/screenshots.sh [--docs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
docs=0
[ "${1:-}" = "--docs" ] && docs=1
for tool in Xvfb xdotool import sqlite3; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing (scripts/deps.sh)" >&2; exit 1; }
done

# VORELLA_BUILD names another build folder already set up (build-test ...).
build="${VORELLA_BUILD:-$root/build}"
if [ ! -e "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORELLA_TESTS=OFF -DVORELLA_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target vorella vorellactl vorella-tool modemsim-bin
bin="$build/bin"
out="$root/build/screenshots"
mkdir -p "$out"

# A program folder, runtime folder and line of this run only.
work=$(mktemp -d)
run="$work/run"
mkdir -m 700 "$run"
for f in vorella.def brand.ini modem.ini cfg styles wave; do
    [ -e "$bin/$f" ] && cp -r "$bin/$f" "$work/"
done
cat >"$work/vorella.ini" <<INI
[Options]
nComPort=9
bStartDisabled=0
nAction=0
iPopup=1
nDebugLevel=1
sCountry=US
AreaCode=201
[Startup]
ShowMainDlg=1
[Ports]
COM9=$work/ttyVORELLA
[SIP1]
sName=Office
sRegistrar=sip.example.net
sUser=4930123456
nTransport=2
sBindAddress=127.0.0.1
nPort=0
INI
# Calls of the past days, so the list has something to show.
calls="$work/Recorded Calls"
mkdir -p "$calls"
call() { # file time date number name memo length message
    cp "$bin/wave/greet.wav" "$calls/$1"
    printf '"%s","%s","%s","%s","%s","%s","","%s","0","0","%s"\r\n' "$@" >>"$calls/index.dat"
}
call "rec2026-12-01, 09_12_40.wav" "09:12" "12/01/26" "5550134" "MARY JONES" "Dentist: move the appointment to Friday" 48 1
call "rec2026-12-02, 14_03_59.wav" "14:03" "12/02/26" "5551234" "JOHN DOE" "Quote for the roof, call back" 212 0
call "rec2026-12-03, 18_45_10.wav" "18:45" "12/03/26" "5550199" "ACME CORP" "" 17 1
call "rec2026-12-04, 11_20_05.wav" "11:20" "12/04/26" "5551234" "JOHN DOE" "Urgent: the roofer comes Monday 8:00" 95 0
call "rec2026-12-05, 16_30_00.wav" "16:30" "12/05/26" "5550172" "O'BRIEN, PAT" "Parcel at the neighbour's" 31 1
call "rec2026-12-06, 10_02_33.wav" "10:02" "12/06/26" "5550110" "Dr. Weiss" "Results are fine" 64 1

# Contacts for the contacts window, some of them blocked or let through, and
# the call history of the past days, for the "Calls" view.
cat >"$work/contacts.vcf" <<'VCF'
BEGIN:VCARD
VERSION:3.0
FN:Mary Jones
TEL;TYPE=HOME:5550134
TEL;TYPE=CELL:+1 201 555 0188
NOTE:Dentist
END:VCARD
BEGIN:VCARD
VERSION:3.0
FN:John Doe
TEL;TYPE=WORK:5551234
END:VCARD
BEGIN:VCARD
VERSION:4.0
FN:Dr. Weiss
TEL;VALUE=uri;TYPE=voice:tel:+1-201-555-0110
END:VCARD
VCF
VORELLA_HOME="$work" "$bin/vorella-tool" contacts import "$work/contacts.vcf" >/dev/null
VORELLA_HOME="$work" "$bin/vorella-tool" contacts block 5550199 >/dev/null
printf '%s\n' number,name,list "5550166,Card Offers Ltd,block" >"$work/contacts.csv"
VORELLA_HOME="$work" "$bin/vorella-tool" contacts import "$work/contacts.csv" >/dev/null
VORELLA_HOME="$work" "$bin/vorella-tool" contacts permit 5550134 >/dev/null
history() { # days-ago hh:mm number network-name outcome rule recording heard
    local e164="+1201${3}" name=${4//\'/\'\'}
    sqlite3 "$work/minidb.dat" "INSERT INTO history(time, line, name, number, normalised,
        contact_id, rule, outcome, recording, heard) VALUES (
        CAST(strftime('%s', 'now', 'start of day', '-$1 days', '+${2%:*} hours',
                      '+${2#*:} minutes') AS INTEGER),
        'modem', '$name', '$3', '$e164',
        (SELECT contact_id FROM numbers WHERE normalised = '$e164'), '$6', $5,
        '${7:+$calls/}$7', $8)"
}
# outcome: 1 answered, 2 message, 3 recorded, 4 missed, 5 blocked, 6 challenge failed
history 7 09:12 5550134 "MARY JONES" 2 "permit list: contact Mary Jones" "rec2026-12-01, 09_12_40.wav" 1
history 6 14:03 5551234 "JOHN DOE" 3 "" "rec2026-12-02, 14_03_59.wav" 1
history 6 15:40 5550166 "" 5 "block list: contact Card Offers Ltd" "" 0
history 5 18:45 5550199 "ACME CORP" 2 "" "rec2026-12-03, 18_45_10.wav" 1
history 5 19:02 5550177 "" 4 "" "" 0
history 4 11:20 5551234 "JOHN DOE" 3 "" "rec2026-12-04, 11_20_05.wav" 1
history 3 08:05 5550166 "" 5 "block list: contact Card Offers Ltd" "" 0
history 3 16:30 5550172 "O'BRIEN, PAT" 2 "" "rec2026-12-05, 16_30_00.wav" 0
history 2 12:14 5550188 "" 6 "unknown caller: challenge" "" 0
history 2 10:02 5550110 "DR WEISS" 2 "" "rec2026-12-06, 10_02_33.wav" 0
history 1 17:48 5551234 "JOHN DOE" 4 "" "" 0

# One caller, once Vorella has the modem ready for calls.
cat >"$work/line.txt" <<'STEPS'
wait command CID= timeout=120000
sleep 6000
callerid formatted number=5551234 name="JOHN DOE"
ring 3 period=6000 cid-delay=1500
sleep 600000
STEPS

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 1 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done

"$bin/modemsim" --personality hash --script "$work/line.txt" --link "$work/ttyVORELLA" \
    --stay >"$work/modemsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -e "$work/ttyVORELLA" ] && break
    sleep 0.1
done

export VORELLA_HOME="$work" XDG_RUNTIME_DIR="$run" VORELLA_AUDIO=null
"$bin/vorella" >"$work/vorella.log" 2>&1 &
pids+=($!)

# Waits until at least $2 (default 1) visible windows have a title matching
# $1; prints their ids, oldest first.
windows() {
    local ids=""
    for _ in $(seq 1 600); do
        ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | sort -n || true)
        [ "$(printf '%s' "$ids" | grep -c .)" -ge "${2:-1}" ] && { echo "$ids"; return 0; }
        sleep 0.1
    done
    echo "screenshots.sh: no window '$1' appeared" >&2
    tail -n 20 "$work/vorella.log" "$work/modemsim.log" >&2
    return 1
}
# Without a window manager every window is where it was put and nothing
# frames it: raise the one wanted, and cut it out of the whole screen.
shot() { # window-id name
    xdotool windowraise "$1"
    sleep 0.7 # it has drawn itself
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2.png"
    echo "$out/$2.png"
}

# The desktop here has no notification area: Vorella says so once, over
# its main window (made first).
both=$(windows '^Vorella$' 2)
main=$(echo "$both" | head -n 1)
box=$(echo "$both" | tail -n 1)
xdotool windowmove "$main" 40 30
xdotool windowsize "$main" 1000 620
shot "$box" message-box
xdotool windowfocus --sync "$box" key Return
shot "$main" main-window

# A search typed in capitals finds every case.
xdotool windowfocus --sync "$main" key ctrl+f
xdotool type --delay 40 "JOHN"
xdotool key Return
sleep 0.5
shot "$main" main-window-search
xdotool key ctrl+a BackSpace Return

# A recording chosen in the list goes into the player bar.
xdotool key ctrl+f Tab Down Down
sleep 0.5
shot "$main" main-window-player

# The call: the pop-up with the caller once the caller ID is read.
popup=$(windows '^Incoming call$')
for _ in $(seq 1 100); do
    grep -q 'JOHN DOE' "$work/modem.log" 2>/dev/null && break
    sleep 0.1
done
sleep 1
shot "$popup" popup
# Xvfb's screen is black where no window is: a desktop's colour instead.
import -window root "$out/desktop-with-popup.png"
convert "$out/desktop-with-popup.png" -fill '#3c6e8f' -draw 'color 0,0 floodfill' \
    "$out/desktop-with-popup.png"
echo "$out/desktop-with-popup.png"
shot "$main" main-window-with-caller

# The About box, from the main window's Help menu.
xdotool windowfocus --sync "$main" key alt+h
sleep 0.5
xdotool key b
about=$(windows '^About ')
xdotool windowmove "$about" 420 40
shot "$about" about-box
xdotool windowfocus --sync "$about" key Escape

# The options dialog, from the Tools menu: one picture per page, chosen in
# its page list (which has the focus when it opens). Cancel leaves it.
xdotool windowfocus --sync "$main" key alt+t
sleep 0.5
xdotool key c
options=$(windows ' Options - version ')
xdotool windowmove "$options" 200 40
for page in general advanced email device sounds screening speech events web; do
    shot "$options" "options-$page"
    if [ "$page" = device ]; then
        # The same page with the USB adapter as the device (the kind choice
        # follows the page list): its sound card and input device.
        xdotool windowfocus --sync "$options" key Tab Down Down
        shot "$options" options-device-adapter
        xdotool windowfocus --sync "$options" key Up Up shift+Tab
        # The SIP accounts, from their button on the same page.
        xdotool windowfocus --sync "$options" key alt+a
        sip=$(windows '^SIP Accounts$')
        xdotool windowmove "$sip" 260 100
        shot "$sip" sip-accounts
        xdotool windowfocus --sync "$sip" key Escape
    fi
    xdotool windowfocus --sync "$options" key Down
done
xdotool key Escape

# The contacts window, from the Tools menu: the contacts, then the rules.
xdotool windowfocus --sync "$main" key alt+t
sleep 0.5
xdotool key o
contacts=$(windows '^Contacts$')
xdotool windowmove "$contacts" 180 50
shot "$contacts" contacts
xdotool windowfocus --sync "$contacts" key alt+r
shot "$contacts" contacts-rules
xdotool windowfocus --sync "$contacts" key Escape

# The diagnostics window with the modem's answers, once the call is over
# (the probes would break into it) and the last probe has been answered.
for _ in $(seq 1 600); do
    grep -q 'Rings ended' "$work/modem.log" 2>/dev/null && break
    sleep 0.1
done
xdotool windowfocus --sync "$main" key alt+t
sleep 0.5
xdotool key i
diagnostics=$(windows '^Modem Diagnostics$')
xdotool windowmove "$diagnostics" 200 60
for _ in $(seq 1 600); do
    grep -q 'VCID=?' "$work/modem.log" 2>/dev/null && break
    sleep 0.1
done
sleep 3 # the last answer, and the modem set up for calls again
shot "$diagnostics" diagnostics
xdotool windowfocus --sync "$diagnostics" key Escape

# The "Calls" view: a click on the tree's empty part, its last items
# ("Calls", "Missed", "Blocked"), then a call of a caller who rang before.
xdotool windowfocus --sync "$main" mousemove 90 560 click 1
xdotool key End Up Up
sleep 0.5
xdotool mousemove 390 320 click 1
sleep 0.5
shot "$main" main-window-calls

VORELLA_HOME="$work" "$bin/vorellactl" quit >/dev/null 2>&1 || true

# The same window at 200 % on this 1366x768 screen: it must still be usable.
for _ in $(seq 1 100); do
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
QT_SCALE_FACTOR=2 "$bin/vorella" >"$work/vorella-200.log" 2>&1 &
pids+=($!)
both=$(windows '^Vorella$' 2)
box=$(echo "$both" | tail -n 1)
main=$(echo "$both" | head -n 1)
xdotool windowfocus --sync "$box" key Return
xdotool windowmove "$main" 0 0
shot "$main" main-window-200-percent
VORELLA_HOME="$work" "$bin/vorellactl" quit >/dev/null 2>&1 || true

# The first start with no port set: the set-up wizard, page by page, on a
# simulated Rockwell modem listed in the "Ports" table.
for _ in $(seq 1 100); do
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
"$bin/modemsim" --personality rockwell --link "$work/ttyWIZARD" --log "$work/sim-wizard.log" \
    >"$work/modemsim-wizard.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -e "$work/ttyWIZARD" ] && break
    sleep 0.1
done
sed -i -e 's/^nComPort=.*/nComPort=-1/' -e "s|^COM9=.*|COM9=$work/ttyWIZARD|" "$work/vorella.ini"
"$bin/vorella" >"$work/vorella-wizard.log" 2>&1 &
pids+=($!)
both=$(windows '^Vorella$' 2)
xdotool windowfocus --sync "$(echo "$both" | tail -n 1)" key Return
wizard=$(windows '^Setup Wizard$')
xdotool windowmove "$wizard" 200 60
page() { # name keys...
    local name=$1
    shift
    [ $# -gt 0 ] && xdotool windowfocus --sync "$wizard" key "$@"
    sleep 0.5
    shot "$wizard" "$name"
}
page wizard-1-welcome
page wizard-2-detection alt+n
page wizard-3-access alt+n
page wizard-5-line alt+t alt+n
page wizard-3-access-again alt+b >/dev/null
# The serial page scans for the modem after asking (no port is set yet).
xdotool windowfocus --sync "$wizard" key alt+s alt+n
question=$(windows '^Vorella$' 2 | tail -n 1)
xdotool windowfocus --sync "$question" key Return
for _ in $(seq 1 200); do
    grep -q 'VCID=?' "$work/sim-wizard.log" 2>/dev/null && break
    sleep 0.1
done
sleep 3
page wizard-4-serial
page wizard-6-finish alt+n
rm -f "$out/wizard-3-access-again.png"
# Finish: the settings are saved and Vorella says it restarts.
xdotool windowfocus --sync "$wizard" key alt+f
restart=$(windows '^Vorella$' 2 | tail -n 1)
shot "$restart" wizard-restart-message
kill "${pids[-1]}" 2>/dev/null || true

if [ "$docs" = 1 ]; then
    mkdir -p "$root/docs/images"
    cp "$out"/*.png "$root/docs/images/"
    echo "copied to docs/images/"
fi
