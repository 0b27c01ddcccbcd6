#!/usr/bin/env bash
# The board server killed with SIGKILL at any moment: 50 different runs sent
# by 8 clients at once while the server is killed and started again over and
# over. Every run that was answered 201 is on the board afterwards, with the
# score it was answered with, and the database is whole. On SQLite, then on
# a PostgreSQL cluster of the test's own.
# Usage: faults.sh <tirlane-board> <tirlane-headless> <source dir>
set -u
BOARD=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
source "$SRC/tests/server/lib/board.bash"

mkdir -p "$WORK/runs"
make_short_replays 50 20000
start_postgres

# kill_while_sending DB: the whole test on one database.
kill_while_sending() {
    DB=$1
    rm -rf "$WORK/answers"
    mkdir -p "$WORK/answers"
    PORT=$(free_port)
    start_server board "$PORT" "$DB" --rate 100000

    # Each client sends its share of the runs; a run whose connection was cut by
    # the kill, or turned away with a full queue (503), is sent again until it
    # gets an answer (409 then means its first sending was committed before the
    # kill).
    client() {
        local c=$1 k answer try
        for k in $(seq "$c" 8 50); do
            for try in $(seq 200); do
                # An answer cut short by the kill (curl fails, the body
                # incomplete or missing) is no answer: the run is sent again.
                rm -f "$WORK/answers/$k.body"
                answer=$(curl -s -m 60 -o "$WORK/answers/$k.body" -w '%{http_code}' -H 'Content-Type: text/plain' \
                    --data-binary "@$WORK/runs/short$k.replay" "http://127.0.0.1:$PORT/api/runs?name=run$k") ||
                    answer=000
                [ "$answer" != 000 ] && [ "$answer" != 503 ] && break
                sleep 0.1
            done
            echo "$k $answer $(cat "$WORK/answers/$k.body")" >>"$WORK/answers/all"
        done
}
CLIENTS=()
for c in $(seq 8); do
    client "$c" &
    CLIENTS+=($!)
done

# The killer: while any client is still sending, kills the server at a
# random moment and starts it again on the same database.
kills=0
clients_running() {
    local pid
    for pid in "${CLIENTS[@]}"; do kill -0 "$pid" 2>/dev/null && return 0; done
    return 1
}
while clients_running; do
    sleep "0.$((RANDOM % 3))$((RANDOM % 10))"
    kill -9 "$SERVER_PID" 2>/dev/null
    wait "$SERVER_PID" 2>/dev/null
    kills=$((kills + 1))
    start_server board "$PORT" "$DB" --rate 100000
done
wait "${CLIENTS[@]}"

[ "$kills" -ge 3 ] || fail "the server was killed only $kills times"
[ "$(wc -l <"$WORK/answers/all")" = 50 ] || fail "not every run was answered: $(wc -l <"$WORK/answers/all")"
created=$(grep -c '^[0-9]* 201 ' "$WORK/answers/all")
[ "$created" -ge 1 ] || fail "no run was answered 201: $(head "$WORK/answers/all")"
grep -v '^[0-9]* \(201\|409\) ' "$WORK/answers/all" && fail "runs answered other than 201 or 409"

kill -9 "$SERVER_PID"
wait "$SERVER_PID" 2>/dev/null
if [[ "$DB" == sqlite:* ]]; then
    python3 - "${DB#sqlite:}" <<'PY' || fail "the database is not whole"
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
PY
fi
start_server board "$PORT" "$DB"
board=$(curl -sf "http://127.0.0.1:$PORT/api/board?limit=1000")
python3 - "$WORK/answers/all" "$board" <<'PY' || fail "a run answered 201 is not on the board"
import json, sys
board = {r["id"]: r for r in json.loads(sys.argv[2])["runs"]}
names = [r["name"] for r in board.values()]
for line in open(sys.argv[1]):
    k, status, body = line.split(" ", 2)
    if status == "201":
        answer = json.loads(body)
        run = board.get(answer["id"])
        assert run and run["name"] == "run" + k and run["score"] == answer["score"], line
    # Every run is on the board once: a 409 means its first sending got there.
    assert names.count("run" + k) == 1, line
PY
echo "${DB%%:*}: $created of 50 runs answered 201 (the rest 409 after a cut connection), $kills kills"
kill -9 "$SERVER_PID"
wait "$SERVER_PID" 2>/dev/null
}

kill_while_sending "sqlite:$WORK/board.db"
kill_while_sending "$PG_URL"
echo PASS
