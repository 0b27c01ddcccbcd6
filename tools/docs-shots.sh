#!/usr/bin/env bash
# Retakes the README's pictures in docs/ with the headless runner and the
# committed winning game. Needs a build (./test.sh or cmake) and imagemagick.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
runner="${1:-$src/build/tirlane-headless}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$src"/assets/* "$work"
cd "$work"
# Level 1 mid-way, level 3 with doors and opened boxes, the victory's last frame.
"$runner" --calls 30860 --input "$src/tests/data/win.txt" \
  --shot 2500 level1.bmp --shot 19234 level3.bmp --shot 30859 youwin.bmp
rm -f Score
"$runner" --calls 1500 --shot 1499 title.bmp
for f in title level1 level3 youwin; do convert "$f.bmp" "$src/docs/$f.png"; done
echo "docs/: title.png level1.png level3.png youwin.png"
