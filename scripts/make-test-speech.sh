#!/usr/bin/env bash
# Makes tests/data/audio/speech.wav, the speech sample the codec tests code
# and decode: a few seconds of synthetic speech, 8000 samples/s, mono, 16-bit.
# Run once; the result is committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/tests/data/audio/speech.wav"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v en -s 150 -w "$tmp/raw.wav" \
    "Hello, you have reached the answering machine. Please leave a message after the tone."
sox "$tmp/raw.wav" -r 8000 -c 1 -b 16 "$out" norm -3 trim 0 4
soxi "$out"
