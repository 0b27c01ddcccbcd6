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
source "$root/tools/windows/wine-session.sh"
cleanup() {
  set +e
  wine_session_end
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
wine_session_start "$work" || exit 1
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
