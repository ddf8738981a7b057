#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer,
# UndefinedBehaviorSanitizer and -Werror, and runs every test: the tests that
# run the real binary run twice, on the classic SDL 1.2 and on sdl12-compat.
set -euo pipefail
cd "$(dirname "$0")"

tools/ensure_packages.sh cmake make g++ pkg-config libsdl1.2-dev libsdl-gfx1.2-dev \
    libsdl1.2-compat libgtest-dev libbenchmark-dev xvfb xdotool imagemagick clang \
    libclang-rt-14-dev time

cmake -S . -B build/check -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON -DCORVANE_SDL12_COMPAT_LEG=ON
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
exit "$status"
