#!/usr/bin/env bash
# Makes the shipped sounds in data/wave/: the answering machine's greeting,
# the hold messages and music, the local ring sounds and the short prompts the
# settings name. Speech comes from espeak-ng, tones and the hold melody from
# sox. Every file is 16-bit mono PCM at 8000 samples/s, the form the modems
# and the call recorder use, with speech levelled so that it is neither faint
# nor clipped on the line (peaks at -3 dBFS, speech at about -19 dBFS RMS).
# Run it again after changing a text; the results are committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/data/wave"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# -R: the same output on every run; -D: no dither noise in the quiet parts.
SOX=(sox -R -D)
FORMAT=(-r 8000 -c 1 -b 16 -e signed-integer)

# speak NAME TEXT: telephone-band speech without the silence around it,
# gently compressed so that quiet syllables carry over a line (with headroom,
# so the compressor never clips), then set to peaks of -3 dBFS.
speak() {
    espeak-ng -v en-us -s 150 -w "$tmp/$1.raw.wav" "$2"
    "${SOX[@]}" "$tmp/$1.raw.wav" "${FORMAT[@]}" "$tmp/$1.wav" \
        silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse \
        highpass 150 lowpass 3400 norm -12 \
        compand 0.003,0.1 6:-70,-70,-50,-27,-30,-13,0,-4 0 -20 0.01 norm -3 pad 0.1 0.2
}

# tone NAME SECONDS SYNTH-ARGS...: a tone at -9 dBFS with soft edges.
tone() {
    local name=$1 seconds=$2
    shift 2
    "${SOX[@]}" -n "${FORMAT[@]}" "$tmp/$name.wav" synth "$seconds" "$@" \
        fade 0.01 "$seconds" 0.01 norm -9
}

silence() {
    "${SOX[@]}" -n "${FORMAT[@]}" "$tmp/$1.wav" trim 0 "$2"
}

# The greeting ends with the tone the caller speaks after.
speak greet-words "Hello. You have reached the answering machine. Nobody can take your call \
right now. Please leave your name, your number and a short message after the tone."
silence gap 0.4
tone beep 0.5 sine 1000
"${SOX[@]}" "$tmp/greet-words.wav" "$tmp/gap.wav" "$tmp/beep.wav" "$out/greet.wav"

speak intro "Please hold the line, your call will be answered shortly. \
To let us know you are still there, press any key."
cp "$tmp/intro.wav" "$out/intro.wav"
speak thankyou "Thank you. Please hold while we connect you."
cp "$tmp/thankyou.wav" "$out/thankyou.wav"
speak nonewmsg "No new messages."
cp "$tmp/nonewmsg.wav" "$out/nonewmsg.wav"
speak Passwrdq "Please enter your PIN, followed by the hash key."
cp "$tmp/Passwrdq.wav" "$out/Passwrdq.wav"
speak wait "Please wait."
cp "$tmp/wait.wav" "$out/wait.wav"

silence silence 1
cp "$tmp/silence.wav" "$out/silence.wav"

# Ring back as a caller hears it (440 and 480 Hz together), then a pause.
tone ring-on 1.6 sine 440 sine 480 remix -
silence ring-off 1.4
"${SOX[@]}" "$tmp/ring-on.wav" "$tmp/ring-off.wav" "$out/ring.wav"

# The PC's own ring for an incoming call: two short trills.
tone trill 0.6 square 1000 square 1250 remix - tremolo 20 100
silence trill-gap 0.25
"${SOX[@]}" "$tmp/trill.wav" "$tmp/trill-gap.wav" "$tmp/trill.wav" "$out/ringin.wav"

# A soft two-note chime for signing on.
tone chime-hi 0.25 pluck E5
tone chime-lo 0.45 pluck C5
"${SOX[@]}" "$tmp/chime-hi.wav" "$tmp/chime-lo.wav" "$out/signon.wav"

# Music on hold: a slow plucked melody over a quiet sustained chord, looped
# seamlessly (it starts and ends on the tonic).
notes=(C4 E4 G4 E4 A4 G4 E4 D4 C4 E4 G4 C5 B4 G4 D4 C4)
lens=(0.5 0.5 0.5 0.5 0.75 0.25 0.5 0.5 0.5 0.5 0.5 0.75 0.25 0.5 0.5 1.0)
parts=()
for i in "${!notes[@]}"; do
    "${SOX[@]}" -n "${FORMAT[@]}" "$tmp/note$i.wav" synth "${lens[$i]}" pluck "${notes[$i]}" \
        fade 0.005 "${lens[$i]}" 0.05
    parts+=("$tmp/note$i.wav")
done
"${SOX[@]}" "${parts[@]}" "$tmp/melody.wav"
length=$(soxi -D "$tmp/melody.wav")
"${SOX[@]}" -n "${FORMAT[@]}" "$tmp/pad.wav" synth "$length" sine C3 sine E3 sine G3 \
    remix - fade 0.3 "$length" 0.3 vol 0.25
"${SOX[@]}" -m "$tmp/melody.wav" "$tmp/pad.wav" "${FORMAT[@]}" "$out/hold.wav" \
    reverb 30 50 60 norm -6

for f in "$out"/*.wav; do
    printf '%-14s %5.2f s  peak %6s dBFS  RMS %6s dBFS\n' "$(basename "$f")" "$(soxi -D "$f")" \
        "$(sox "$f" -n stats 2>&1 | awk '/Pk lev dB/ {print $4}')" \
        "$(sox "$f" -n stats 2>&1 | awk '/RMS lev dB/ {print $4}')"
done
