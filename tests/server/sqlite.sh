#!/usr/bin/env bash
# The board server on SQLite: the winning game accepted with its own score,
# duplicates, tampered, oversized and hostile replays refused, bursts held
# back, and two servers on one database file seeing each other's runs.
# Usage: sqlite.sh <tirlane-board> <tirlane-headless> <source dir>
set -u
BOARD=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
source "$SRC/tests/server/lib/board.bash"

make_replays
board_cases "sqlite:$WORK/board.db"
[ "$(python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("PRAGMA journal_mode").fetchone()[0])' "$WORK/board.db")" = wal ] ||
    fail "the database is not in WAL mode"
echo "PASS"
