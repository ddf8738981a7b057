#!/usr/bin/env bash
# Builds the Debian package as a release is built (Debian's hardening flags,
# no sanitizers, no tests) in the given folder, build/package by default, and
# runs Debian's own checkers on it: lintian, desktop-file-validate and
# appstreamcli. Ends with a nonzero status when any of them complains.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/package}"

# All of Debian's hardening, bindnow included. CMake takes the flags when it
# first configures the folder.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF
cmake --build "$build" -j2
rm -f "$build"/corvane_*.deb
(cd "$build" && cpack -G DEB)
deb=$(echo "$build"/corvane_*.deb)

echo "lintian $deb"
lintian --info --fail-on error,warning "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop=("$root"/usr/share/applications/*.desktop)
echo "desktop-file-validate ${desktop[*]#"$root"}"
complaints=$(desktop-file-validate "${desktop[@]}")
[ -z "$complaints" ] || { echo "$complaints"; exit 1; }
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
