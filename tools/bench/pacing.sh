#!/usr/bin/env bash
# Measures the real game's frame pacing in a window on a virtual X screen
# (Xvfb reports no refresh rate, so the game's own 60 Hz clock is what paces
# it). Two views of the same run:
#   - the game's own log (TIRLANE_FPS_LOG=1): every 600 flips, the rate and
#     the spread of the intervals between flips, as the game times them;
#   - the probe preloaded into the game, timing every shown frame from outside
#     the game's clock, and the start-up to the first shown frame.
# Goal: 60.0 +- 0.3 fps with the intervals' standard deviation under 1 ms.
#
# The probe leaves out the first second (60 flips) of start-up.
#
#   tools/bench/pacing.sh [--load] [FLIPS]   (default 1261: two logged windows
#                                       of 600, and 1200 steady intervals for
#                                       the probe)
#
# --load keeps two busy processes of our own (one per core here) running for
# the length of the measurement: a fixed background load, the same on every
# run. TIRLANE_GAME=/path/to/tirlane measures that build of the game instead
# of the one built here (the probe is still this tree's).
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
load=no
if [ "${1:-}" = --load ]; then
    load=yes
    shift
fi
flips="${1:-1261}"
skip=60

command -v Xvfb >/dev/null || { echo "pacing.sh: Xvfb is not installed (apt-get install xvfb)" >&2; exit 2; }

source "$source_dir/tools/bench/bench-build.sh"
build_bench_game pacing.sh

work="$(mktemp -d)"
XVFB_PID=""
busy=()
cleanup() {
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
cp "$source_dir"/assets/* "$work"/
source "$source_dir/tools/xvfb.sh"
start_xvfb "$work" || { echo "pacing.sh: Xvfb did not start" >&2; exit 2; }

if [ "$load" = yes ]; then
    for _ in 1 2; do
        bash -c 'while :; do :; done' &
        busy+=($!)
    done
fi

start_ns=$(date +%s%N)
(cd "$work" && env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy TIRLANE_FPS_LOG=1 \
    LD_PRELOAD="$build_dir/libtirlane-probe.so" TIRLANE_PROBE_OUT="$work/probe.txt" \
    TIRLANE_PROBE_FLIPS="$flips" TIRLANE_PROBE_INTERVALS="$work/intervals.txt" TIRLANE_PROBE_SKIP="$skip" timeout 120 "$game" --window 2>"$work/game.log") || {
    echo "pacing.sh: the game failed:" >&2; cat "$work/game.log" >&2; exit 1; }
load_during="$(cut -d" " -f1-3 /proc/loadavg)"
for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
busy=()

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "Game: $game; Xvfb $DISPLAY 640x480x24, $flips flips$([ "$load" = yes ] && echo ", two busy processes running beside it")"
echo "The game's own log:"
grep 'fps over' "$work/game.log" | sed 's/^/  /' || echo "  (no TIRLANE_FPS_LOG line: fewer than 600 flips?)"
[ -s "$work/probe.txt" ] || { echo "pacing.sh: the probe wrote nothing" >&2; exit 1; }
awk -v start="$start_ns" -v skip="$skip" '
    { v[$1] = $2 }
    END {
        fps = 1e9 / v["mean_ns"]
        printf "Measured from outside the game (probe, every shown frame after the first %d):\n", skip
        printf "  %.3f fps over %d intervals, stddev %.3f ms, shortest %.3f ms, longest %.3f ms\n",
            fps, v["counted"], v["stddev_ns"] / 1e6, v["min_ns"] / 1e6, v["max_ns"] / 1e6
        printf "  of which the game clock (between present calls): stddev %.3f ms; presenting took %.3f ms on average (stddev %.3f ms, longest %.3f ms)\n",
            v["called_stddev_ns"] / 1e6, v["present_mean_ns"] / 1e6, v["present_stddev_ns"] / 1e6, v["present_max_ns"] / 1e6
        printf "  start-up to the first shown frame %.1f ms, peak memory (VmHWM) %.1f MiB\n",
            (v["first_flip_wall_ns"] - start) / 1e6, v["vmhwm_kb"] / 1024
        ok = fps >= 59.7 && fps <= 60.3 && v["stddev_ns"] < 1e6
        printf "Goal 60.0 +- 0.3 fps, stddev < 1 ms: %s\n", ok ? "met" : "NOT met"
    }' "$work/probe.txt"
sort -n "$work/intervals.txt" | awk '
    { x[NR] = $1 / 1e6 }
    END {
        printf "  intervals: median %.3f ms, 1%% %.3f ms, 99%% %.3f ms; %d of %d off by more than 1 ms\n",
            x[int(NR / 2) + 1], x[int(NR * 0.01) + 1], x[int(NR * 0.99)], off(), NR
    }
    function off(   i, n) { for (i = 1; i <= NR; ++i) if (x[i] < 15.667 || x[i] > 17.667) ++n; return n + 0 }'
echo "Load average while measuring: $load_during"
