#!/usr/bin/env bash
# Builds the browser version and serves it on this machine:
# http://localhost:8000/ (PORT=... for another port). Ctrl+C stops.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/web/build.sh build-web
port="${PORT:-8000}"
echo "Tirlane: open http://localhost:$port/ in a browser (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
