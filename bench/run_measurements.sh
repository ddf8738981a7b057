#!/usr/bin/env bash
# Builds the benchmarks and measurement programs in build/bench (Release, no
# tests) and runs each measurement, headed by the load average: about ten
# minutes, as the game-over measurement waits for a crash. Where sdl12-compat
# is installed beside the classic SDL 1.2 (Debian's libsdl1.2-compat), the
# window measurements run once more on it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -DCORVANE_BENCH=ON -DCORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/bench -j2 --target tick_bench game_probe

bin=build/bench/bench
repeat=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)

measure() {
    echo "== $* (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$@"
    echo
}

measure "$bin/tick_bench" "${repeat[@]}"
measure "$bin/tick_bench" --x11 "${repeat[@]}"
measure "$bin/tick_bench" --pacing 60
measure "$bin/tick_bench" --pacing 60 --x11
measure "$bin/game_probe" halt --seconds 10
measure "$bin/game_probe" startup --runs 10

compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
if [ -e "$compat/libSDL-1.2.so.0" ]; then
    measure env LD_LIBRARY_PATH="$compat" "$bin/tick_bench" --x11 "${repeat[@]}"
    measure env LD_LIBRARY_PATH="$compat" "$bin/game_probe" halt --seconds 10
fi
