#!/usr/bin/env bash
# Measures the board server: reads of the board by 100 clients at once on
# loopback (a board of 200 runs, on SQLite), and verifications of the whole
# winning game a second per core, with the pictures drawn and without. Prints
# numbers only; nothing here passes or fails on time.
#   tools/bench/board.sh [BUILD_DIR]   (default: build)
set -euo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath "${1:-$src/build}")"
board="$build/server/tirlane-board"
load="$build/server/tirlane-board-load"
headless="$build/tirlane-headless"
for f in "$board" "$load" "$headless"; do
  [ -x "$f" ] || { echo "board bench: $f is not built" >&2; exit 1; }
done
work=$(mktemp -d /tmp/tirlane-board-bench-XXXXXX)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
cores=$(nproc)

# The winning game's replay; the pictures for the drawn runs.
mkdir -p "$work/pictures" "$work/empty"
cp "$src"/assets/* "$work/pictures/"
(cd "$work/pictures" && "$headless" --calls 40000 --input "$src/tests/data/win.txt" \
  --write-replay "$work/win.replay")
rm -f "$work/pictures/Score"

# Verifications: one runner per core at once, each checking the whole game
# again and again for a few seconds.
verify() {
  local folder=$1 seconds=$2
  shift 2
  local c
  for c in $(seq "$cores"); do
    (cd "$folder" && n=0 && end=$((SECONDS + seconds)) &&
      while [ $SECONDS -lt $end ]; do
        "$headless" --replay "$work/win.replay" "$@" >/dev/null || exit 1
        n=$((n + 1))
      done && echo "$n") >"$work/count.$c" &
  done
  wait
  cat "$work"/count.* | awk -v s="$seconds" -v c="$cores" '{ n += $1 } END { printf "%.1f", n / s / c }'
}
with=$(verify "$work/pictures" 10)
without=$(verify "$work/empty" 5 --no-pictures)
echo "verification of the winning game (40000 calls), per core ($cores cores):"
echo "  with pictures:    $with a second"
echo "  without pictures: $without a second (--no-pictures, as the board runs it)"
awk -v a="$with" -v b="$without" 'BEGIN { printf "  ratio: %.1fx\n", b / a }'

# Board reads: 200 runs on the board, 100 clients reading its first page.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$board" --runner "$headless" --listen "127.0.0.1:$port" --db "sqlite:$work/board.db" \
  --rate 100000 >"$work/board.log" 2>&1 &
server=$!
for i in $(seq 600); do curl -sf -o /dev/null "http://127.0.0.1:$port/healthz" && break; sleep 0.1; done
mkdir -p "$work/runs"
for k in $(seq 200); do
  (cd "$work/runs" && "$headless" --calls $((600 + 7 * k)) --input "$src/tests/data/win.txt" \
    --write-replay "r.replay" && curl -sf -o /dev/null -H 'Content-Type: text/plain' \
    --data-binary @r.replay "http://127.0.0.1:$port/api/runs?name=run$k")
done
echo "board reads (GET /api/board, 50 runs a page, 200 on the board):"
"$load" 127.0.0.1 "$port" /api/board 100 10 | sed 's/^/  /'
