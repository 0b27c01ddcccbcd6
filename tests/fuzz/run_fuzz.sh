#!/usr/bin/env bash
# Builds the hiscore and BMP fuzzers with clang and runs each for a bounded
# time on a scratch copy of its seed corpus.
#   run_fuzz.sh <source dir> <build dir> [seconds per target, default 30]
# Exits non-zero when a build fails or a fuzzer finds a crash.
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 <source dir> <build dir> [seconds per target]" >&2
    exit 2
fi
src=$(cd "$1" && pwd)
mkdir -p "$2"
build=$(cd "$2" && pwd)
seconds=${3:-30}

CXX=${FUZZ_CXX:-clang++} cmake -S "$src/tests/fuzz" -B "$build" >/dev/null
cmake --build "$build" -j2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for target in score bmp; do
    corpus="$scratch/corpus_$target"
    mkdir -p "$corpus" "$scratch/artifacts_$target"
    cp "$src/tests/fuzz/corpus_$target"/* "$corpus"/
    log="$scratch/$target.log"
    # The working folder is the scratch folder too, so nothing lands in the repo.
    if (cd "$scratch" && "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$scratch/artifacts_$target/" "$corpus") >"$log" 2>&1; then
        runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1)
        echo "fuzz_$target: ${runs:-no run count} in ${seconds}s"
    else
        status=1
        echo "fuzz_$target: FAILED" >&2
        tail -40 "$log" >&2
        for crash in "$scratch/artifacts_$target"/*; do
            [[ -e $crash ]] || continue
            mkdir -p "$build/crashes"
            cp "$crash" "$build/crashes/"
            echo "crash input kept in $build/crashes/$(basename "$crash")" >&2
        done
    fi
done
exit $status
