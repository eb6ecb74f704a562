#!/usr/bin/env bash
# Pictures of the tray for the README: the tray menu as it pops up, and the
# tray pictures at 22 px on a light and a dark panel. Saved in
# build/screenshots/ and copied to docs/images/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VORELLA_BUILD:-$root/build-test}"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target tray_test_app
out="$root/build/screenshots"
mkdir -p "$out" "$root/docs/images"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$build/bin/vorella.def" "$build/bin/brand.ini" "$home/"
mkdir -m 700 "$home/run"
VORELLA_HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 640x480x24" "$build/tests/tray_test_app" --screenshots "$out"
cp "$out"/tray-menu.png "$out"/tray-icons-light.png "$out"/tray-icons-dark.png "$root/docs/images/"
echo "saved in $out and docs/images/"
