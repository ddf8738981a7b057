#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer,
# UndefinedBehaviorSanitizer and -Werror, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

tools/ensure_packages.sh cmake make g++ pkg-config libsdl1.2-dev libsdl-gfx1.2-dev \
    libgtest-dev libbenchmark-dev xvfb xdotool imagemagick clang libclang-rt-14-dev time

cmake -S . -B build/check -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON
cmake --build build/check -j2
cd build/check
ctest --output-on-failure -j2
