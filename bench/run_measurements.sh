#!/usr/bin/env bash
# Builds the benchmarks and measurement programs in build/bench (Release, no
# tests) and runs every measurement in turn, each headed by the machine's
# load average. Takes about ten minutes; the game-over measurement waits for
# aircraft to crash on their own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -DCORVANE_BENCH=ON -DCORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
cmake --build build/bench -j2 --target tick_bench pacing_probe startup_probe halt_probe

bin=build/bench/bench
repeat=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)

measure() {
    echo "== $* (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$@"
    echo
}

measure "$bin/tick_bench" "${repeat[@]}"
measure "$bin/tick_bench" --x11 "${repeat[@]}"
measure "$bin/pacing_probe" --seconds 60
measure "$bin/pacing_probe" --seconds 60 --x11
measure "$bin/halt_probe" --seconds 10
measure "$bin/startup_probe" --runs 10
