#!/usr/bin/env bash
# The same cases as sqlite.sh, on a real PostgreSQL server started for the
# test (a throw-away cluster run by the postgres user), shared by two board
# servers.
# Usage: postgres.sh <tirlane-board> <tirlane-headless> <source dir>
set -u
BOARD=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
source "$SRC/tests/server/lib/board.bash"

start_postgres
make_replays
board_cases "$PG_URL"

# The database restarted under two running servers: both go on serving, from
# their first request, and take runs again.
a=$(free_port)
start_server again "$a" "$PG_URL" --rate 1000
before=$(curl -sf "http://127.0.0.1:$a/api/board") || fail "the board before the restart"
runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$PG_DATA" -m fast -w restart >/dev/null ||
    fail "PostgreSQL did not restart"
[ "$(curl -s -o "$WORK/after" -w '%{http_code}' "http://127.0.0.1:$a/api/board")" = 200 ] ||
    fail "the first read after the database restarted: $(cat "$WORK/after")"
[ "$(cat "$WORK/after")" = "$before" ] || fail "the board changed across the restart"
make_short_replays 3
answer=$(post "$a" "after" "$WORK/runs/short3.replay")
[ "${answer%% *}" = 201 ] || fail "a run after the database restarted was answered $answer"
echo "PASS"
