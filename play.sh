#!/usr/bin/env bash
# Installs what is missing, builds an optimised game with its bitmaps and
# sounds and starts it in build/release, where they and highscore.txt live;
# the arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")"

tools/ensure_packages.sh cmake make g++ pkg-config libsdl1.2-dev libsdl-gfx1.2-dev libsdl-mixer1.2-dev libpng-dev

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF
cmake --build build/release -j2 --target corvane

cd build/release
exec ./corvane "$@"
