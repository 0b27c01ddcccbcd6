#!/usr/bin/env bash
# Measures what Wine shows of tirlane.exe's frame pacing: the game in a window
# on a virtual X screen, which reports no refresh rate, so the game's own
# 60 Hz clock paces it; its log (TIRLANE_FPS_LOG=1) gives the rate and the
# spread of the intervals between flips every 600 flips. Once with SDL's
# default renderer (Direct3D 9, which Wine turns into OpenGL, here drawn in
# software by Mesa) and once with SDL's software renderer.
#
# Wine runs the program on Linux's clocks and scheduler: its Sleep wakes as
# precisely as Linux does, whatever timer resolution the program asks for.
# These figures therefore say nothing of Windows' own timer or of a real
# graphics driver; they show that the Windows build keeps its clock.
#
#   tools/windows/pacing.sh [ZIP] [SECONDS]   (default: build-win's zip, 25 s a run)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$(realpath "${1:-$(ls "$root"/build-win/tirlane-*-win64.zip 2>/dev/null | head -n 1)}")
seconds=${2:-25}
[ -f "$zip" ] || { echo "pacing.sh: no zip (run tools/windows/build.sh first)" >&2; exit 2; }
for tool in wine Xvfb unzip; do
  command -v "$tool" >/dev/null || { echo "pacing.sh: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tirlane-pacing-XXXXXX)
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
cleanup() {
  set +e
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "pacing.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
wine wineboot -i >/dev/null 2>&1
unzip -q "$zip" -d "$work/game"
game=$(ls -d "$work"/game/*/)

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "$(wine --version) on Xvfb $DISPLAY 640x480x24; $(basename "$zip"), in a window, $seconds s a run"
exec 8>>/tmp/tirlane-quiet.lock
for renderer in default software; do
  driver=()
  [ "$renderer" = software ] && driver=(SDL_RENDER_DRIVER=software)
  # A quiet machine for the length of the run, if one comes within 5 minutes.
  machine="quiet machine"
  flock -x -w 300 8 || machine="busy machine: no quiet spell came"
  (cd "$game" && env "${driver[@]}" TIRLANE_FPS_LOG=1 timeout "$seconds" wine tirlane.exe --window \
    >/dev/null 2>"$work/$renderer.log") || true
  flock -u 8
  echo "Renderer $renderer ($machine, load average after: $(cut -d' ' -f1-3 /proc/loadavg)):"
  grep 'fps over' "$work/$renderer.log" | sed 's/^/  /' || echo "  (no log line: fewer than 600 flips?)"
done
