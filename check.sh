#!/usr/bin/env bash
# Installs what is missing, checks formatting and runs the static analysers
# (tools/lint.sh), builds everything with AddressSanitizer,
# UndefinedBehaviorSanitizer and -Werror, and runs every test: the tests that
# run the real binary run twice, on the classic SDL 1.2 and on sdl12-compat.
# Then builds the Debian package as a release and checks it with lintian,
# desktop-file-validate and appstreamcli (tools/check_package.sh).
set -euo pipefail
cd "$(dirname "$0")"

tools/ensure_packages.sh cmake make g++ pkg-config libsdl1.2-dev libsdl-gfx1.2-dev libsdl-mixer1.2-dev \
    libpng-dev libsdl1.2-compat libgtest-dev libbenchmark-dev xvfb xdotool x11-utils \
    imagemagick clang libclang-rt-14-dev time clang-format clang-tidy cppcheck dpkg-dev lintian \
    desktop-file-utils appstream

cmake -S . -B build/check -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON -DCORVANE_SDL12_COMPAT_LEG=ON
# The analysers read the compile commands of every program, the benchmarks'
# included; build/lint is only configured, never built.
cmake -S . -B build/lint -DCORVANE_BENCH=ON >/dev/null
tools/lint.sh build/lint
cmake --build build/check -j2
cd build/check

# As root, the tests run in a PID namespace of their own: a test that
# signalled a wrong pid could then reach nothing but the test run.
isolate=()
if [ "$(id -u)" -eq 0 ] && unshare --pid --fork --kill-child --mount-proc true 2>/dev/null; then
    isolate=(unshare --pid --fork --kill-child --mount-proc)
fi
status=0
"${isolate[@]}" ctest --output-on-failure -j2 || status=$?

# Which SDL each leg ran against, as the tests saw it.
grep -h " leg: " Testing/Temporary/LastTest.log || true

cd ../..
tools/check_package.sh build/package || status=$?
exit "$status"
