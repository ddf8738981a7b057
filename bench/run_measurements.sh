#!/usr/bin/env bash
# Builds the benchmarks and measurement programs in build/bench (Release, no
# tests) and runs each measurement, headed by the load average: about half an
# hour, as each halt measurement waits for a crash. Where sdl12-compat is
# installed beside the classic SDL 1.2 (Debian's libsdl1.2-compat), the
# window measurements run once more on it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -DCORVANE_BENCH=ON -DCORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/bench -j2 --target tick_bench game_probe

bin=build/bench/bench
repeat=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
ticks=(--benchmark_filter=Tick "${repeat[@]}")

measure() {
    echo "== $* (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$@"
    echo
}

# Each SDL: the classic library, then sdl12-compat where it is installed.
legs=("")
compat=/usr/lib/x86_64-linux-gnu/sdl12-compat
[ -e "$compat/libSDL-1.2.so.0" ] && legs+=("$compat")

measure "$bin/tick_bench" "${repeat[@]}"
measure "$bin/tick_bench" --pacing 60
measure "$bin/tick_bench" --pacing 60 --x11
measure "$bin/game_probe" startup --runs 10
for leg in "${legs[@]}"; do
    for scale in 1 2 4; do
        measure env LD_LIBRARY_PATH="$leg" "$bin/tick_bench" --x11 --scale "$scale" "${ticks[@]}"
        measure env LD_LIBRARY_PATH="$leg" "$bin/game_probe" halt --seconds 10 --scale "$scale"
    done
    measure env LD_LIBRARY_PATH="$leg" "$bin/game_probe" halt --seconds 10 --mute
done
