#!/usr/bin/env bash
# The board's page in Debian's headless Chromium: runs sent with the page's
# own form and through the API are listed, names made of markup show as the
# very text sent (no element made, no script run), and each run's watch link
# opens the web build served under /play/ with that run's replay.
# Usage: page.sh <tirlane-board> <tirlane-headless> <source dir>
set -u
BOARD=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
source "$SRC/tests/server/lib/board.bash"

# Chromium, and puppeteer-core in tests/web as its own tests install it.
"$SRC/tools/install-deps.sh" chromium || fail "cannot install Chromium"
command -v node >/dev/null || "$SRC/tools/install-deps.sh" nodejs || fail "cannot install node"
command -v npm >/dev/null || "$SRC/tools/install-deps.sh" npm || fail "cannot install npm"
WEB="$SRC/tests/web"
if ! cmp -s "$WEB/package-lock.json" "$WEB/node_modules/.tirlane-lock"; then
    (cd "$WEB" && npm ci --no-audit --no-fund --loglevel=error) || fail "cannot install puppeteer-core"
    cp "$WEB/package-lock.json" "$WEB/node_modules/.tirlane-lock"
fi

# The web build when it has been built, else a stand-in page: what is tested
# here is that /play/ serves the folder given.
# (A copy: a file is put beside it below.)
SITE="$WORK/site"
if [ -f "$SRC/build-web/site/index.html" ]; then
    cp -r "$SRC/build-web/site" "$SITE"
else
    mkdir -p "$SITE"
    echo '<!DOCTYPE html><title>Tirlane</title><p id="stand-in">the web build</p>' >"$SITE/index.html"
fi

mkdir -p "$WORK/runs"
make_short_replays 3
PORT=$(free_port)
start_server board "$PORT" "sqlite:$WORK/board.db" --site "$SITE"
# Two runs through the API, one through the form (in the browser).
for k in 1 2; do
    name=$([ "$k" = 1 ] && echo '<svg/onload=alert()>' || echo '<script>alert(1)')
    answer=$(post "$PORT" "$name" "$WORK/runs/short$k.replay")
    [ "${answer%% *}" = 201 ] || fail "run $k was answered $answer"
done

# /play/ serves the site's own files and nothing beside or above it.
echo "not for the web" >"$WORK/secret.txt"
status=$(curl -s -o "$WORK/got" -w '%{http_code}' "http://127.0.0.1:$PORT/play/index.html")
[ "$status" = 200 ] && cmp -s "$WORK/got" "$SITE/index.html" || fail "/play/index.html was answered $status"
for path in "/play/../secret.txt" "/play/%2e%2e/secret.txt" "/play/..%2fsecret.txt" \
    "/play/../../../../etc/passwd" "/play/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd" "/play//etc/passwd"; do
    status=$(curl -s --path-as-is -o "$WORK/got" -w '%{http_code}' "http://127.0.0.1:$PORT$path")
    [[ "$status" == 4* ]] || fail "$path was answered $status"
    ! grep -q "root:\|not for the web" "$WORK/got" || fail "$path left the site's folder"
done

# With the real web build, the winning game is watched through its link too.
watch=()
if [ ! -f "$SITE/tirlane.wasm" ]; then
    echo "page: no web build in $SRC/build-web: the watch link is checked, not played" >&2
else
    win_calls=30867 # the calls the winning game was made for
    (cd "$WORK/runs" && "$HEADLESS" --calls $win_calls --input "$SRC/tests/data/win.txt" \
        --write-replay watch.replay) || fail "cannot write the winning game's replay"
    watch=(TIRLANE_WIN_REPLAY="$WORK/runs/watch.replay" TIRLANE_WIN_CALLS=$win_calls)
fi
env "${watch[@]}" TIRLANE_BOARD_URL="http://127.0.0.1:$PORT/" TIRLANE_SITE="$SITE" \
    TIRLANE_FORM_REPLAY="$WORK/runs/short3.replay" NODE_PATH="$WEB/node_modules" \
    node "$SRC/tests/server/page.js" || fail "the board's page in Chromium"
echo "PASS"
