#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt (or of the list file
# given) that are missing.
# Non-interactive; does nothing when everything is there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=${1:-$here/packages.txt}

wanted=()
while read -r pkg; do
    pkg=${pkg%%#*}
    pkg=${pkg//[[:space:]]/}
    [ -n "$pkg" ] && wanted+=("$pkg")
done <"$list"
# One query for all of them (one per package takes seconds).
declare -A installed=()
while IFS=$'\t' read -r pkg status; do
    [ "$status" = "install ok installed" ] && installed[$pkg]=1
done < <(dpkg-query -W -f='${Package}\t${Status}\n' "${wanted[@]}" 2>/dev/null || true)
missing=()
for pkg in "${wanted[@]}"; do
    [ -n "${installed[$pkg]:-}" ] || missing+=("$pkg")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
