#!/usr/bin/env bash
# Builds the benchmarks with -O2 in build-bench/ and runs them: the frame and
# title composition against a memcpy of one frame, the whole winning game
# headless, and the real game's start-up and peak memory (dummy drivers).
# The ratios at the end all come from this one run.
#
#   tools/bench/run.sh [google-benchmark options, e.g. --benchmark_filter=Frame]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build_dir="$source_dir/build-bench"

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target tirlane-bench >/dev/null

SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy "$build_dir/tirlane-bench" --benchmark_color=false "$@"
