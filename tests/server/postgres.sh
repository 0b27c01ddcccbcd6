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
echo "PASS"
