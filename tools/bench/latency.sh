#!/usr/bin/env bash
# Measures the key-to-picture latency of the real game in a window on a
# virtual X screen, from outside the game: a key event sent through XTest at
# a random moment, and the moment the present of the first picture that
# answers it returned, as the preloaded probe logs it. Space on the title
# (answered by level 1's first picture) and Up in level 1 (answered by the
# first picture where the figure has moved), one of each per launch of the
# game. See tools/bench/latency.py.
#
#   tools/bench/latency.sh [LAUNCHES]   (default 20)
#
# TIRLANE_GAME=/path/to/tirlane measures that build of the game instead of
# the one built here (the probe is still this tree's).
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
launches="${1:-20}"

for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || { echo "latency.sh: $tool is not installed (apt-get install xvfb xdotool python3)" >&2; exit 2; }
done

source "$source_dir/tools/bench/bench-build.sh"
build_bench_game latency.sh

work="$(mktemp -d)"
XVFB_PID=""
cleanup() {
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
source "$source_dir/tools/xvfb.sh"
start_xvfb "$work" || { echo "latency.sh: Xvfb did not start" >&2; exit 2; }
mkdir "$work/run"
cp "$source_dir"/assets/* "$work/run"/

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "Game: $game; Xvfb $DISPLAY 640x480x24; $launches launches"
echo "Load average before: $(cut -d" " -f1-3 /proc/loadavg)"
python3 "$source_dir/tools/bench/latency.py" "$game" "$build_dir/libtirlane-probe.so" "$work/run" "$launches"
echo "Load average after: $(cut -d" " -f1-3 /proc/loadavg)"
