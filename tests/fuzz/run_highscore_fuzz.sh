#!/usr/bin/env bash
# Builds the high-score fuzzer with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in BUILD_DIR and runs it for SECONDS. New inputs
# go to a working corpus in BUILD_DIR, seeded from corpus/highscore beside
# this script, which stays as it is; an input that fails is written to
# BUILD_DIR as crash-* (or leak-*, timeout-*). Ends non-zero on any crash,
# sanitizer report or wrong answer.
#
# Usage: tests/fuzz/run_highscore_fuzz.sh BUILD_DIR SECONDS
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="$1"
seconds="$2"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON -DCORVANE_FUZZ=ON
cmake --build "$build_dir" -j2 --target highscore_fuzz

corpus="$build_dir/highscore-corpus"
mkdir -p "$corpus"
"$build_dir/tests/fuzz/highscore_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -dict="$here/highscore.dict" -artifact_prefix="$build_dir/" \
    "$corpus" "$here/corpus/highscore"
