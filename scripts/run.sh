#!/usr/bin/env bash
# Installs what is missing, builds Vorella and starts it.
# Usage: scripts/run.sh [program arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORELLA_TESTS=OFF -DVORELLA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# The desktop program and the service are not built yet; until they are, this
# starts what exists: the command-line tool, showing the loaded settings.
exec "$build/bin/vorella-tool" "${@:-settings}"
