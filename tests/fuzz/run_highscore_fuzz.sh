#!/usr/bin/env bash
# Usage: run_highscore_fuzz.sh BUILD_DIR SECONDS (a failing input is kept as BUILD_DIR/crash-*).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cmake -S "$here/../.." -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON -DCORVANE_FUZZ=ON
cmake --build "$1" -j2 --target highscore_fuzz
mkdir -p "$1/highscore-corpus"
"$1/tests/fuzz/highscore_fuzz" -max_total_time="$2" -print_final_stats=1 -dict="$here/highscore.dict" \
    -artifact_prefix="$1/" "$1/highscore-corpus" "$here/corpus/highscore"
