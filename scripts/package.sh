#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages of the working tree the Debian way (debian/,
# dpkg-buildpackage) in build/package/, out of the source tree, and checks
# them with lintian. They end up in build/package/: vorellad_VERSION_ARCH.deb
# (the service and its tools), vorella_VERSION_ARCH.deb (the desktop
# program), vorella-sip_VERSION_ARCH.deb (the SIP provider they load for a
# SIP line) and vorella-common_VERSION_all.deb (what both share).
# Installs what is missing first (scripts/packages.txt and
# scripts/packages-deb.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/deps.sh" "$root/scripts/packages-deb.txt"

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
out="$root/build/package"
src="$out/vorella-$version"
rm -rf "$out"
mkdir -p "$src"
# The files git knows, with their changes not yet committed; no build trees.
git -C "$root" ls-files -z --cached --others --exclude-standard |
    (cd "$root" && xargs -0 tar --no-recursion -cf - --ignore-failed-read) |
    tar -xf - -C "$src"

# debhelper gives the build a HOME of its own; the compiler cache stays the
# user's, so that the next package build reuses what this one compiled.
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
(cd "$src" && dpkg-buildpackage -b -us -uc -j"$(nproc)")

changes=$(ls "$out"/vorella_"$version"_*.changes)
echo "Packages:"
ls "$out"/*_"$version"_*.deb
# lintian's verdict: errors fail the build; warnings are shown.
lintian --fail-on error --info "$changes"
