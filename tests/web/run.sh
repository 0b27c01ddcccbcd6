#!/usr/bin/env bash
# Tests the browser build in Debian's headless Chromium against the native
# headless runner (game.test.js says what is shown). Installs Chromium, and
# puppeteer-core from the npm registry into this folder's node_modules
# (ignored by git), again only when the lock file changes.
#
#   tests/web/run.sh SITE_DIR HEADLESS_RUNNER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
usage="usage: tests/web/run.sh SITE_DIR HEADLESS_RUNNER"
site="$(realpath "${1:?$usage}")"
headless="$(realpath "${2:?$usage}")"
[ -f "$site/index.html" ] || { echo "web tests: no site in $site (tools/web/build.sh builds it)" >&2; exit 1; }
[ -x "$headless" ] || { echo "web tests: $headless is not the headless runner" >&2; exit 1; }

install="$here/../../tools/install-deps.sh"
"$install" chromium firefox-esr
command -v node >/dev/null || "$install" nodejs
command -v npm >/dev/null || "$install" npm

if ! cmp -s "$here/package-lock.json" "$here/node_modules/.tirlane-lock"; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$here/package-lock.json" "$here/node_modules/.tirlane-lock"
fi
TIRLANE_SITE="$site" TIRLANE_HEADLESS="$headless" node --test "$here/"
