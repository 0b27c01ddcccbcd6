# Shared by the board server's tests: a work folder, free ports, servers
# started and waited for, a throw-away PostgreSQL cluster, replays of the
# committed winning game, and the cases every database must pass.
# The caller sets BOARD, HEADLESS and SRC.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

WORK=$(mktemp -d /tmp/tirlane-board-XXXXXX)
chmod 755 "$WORK"
SERVER_PIDS=()
PG_DATA=""
cleanup() {
    local pid
    for pid in "${SERVER_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ -n "$PG_DATA" ]; then
        runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$PG_DATA" -m immediate -w stop >/dev/null 2>&1
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# Waits (up to a minute: a loaded machine) until the server answers /healthz
# on its port, or it has died. The port must be its own: tests running side
# by side may pick the same free port, and a server that could not take it
# must not pass for started because another one answers there.
await_healthy() {
    local port=$1 pid=$2 i
    for i in $(seq 600); do
        kill -0 "$pid" 2>/dev/null || return 1
        if ss -Htlnp "sport = :$port" 2>/dev/null | grep -q "pid=$pid,"; then
            curl -sf -o /dev/null "http://127.0.0.1:$port/healthz" && return 0
        fi
        sleep 0.1
    done
    return 1
}

# A runner built with AddressSanitizer reserves terabytes of address space:
# it runs with no memory limit.
RUNNER_LIMITS=()
ldd "$HEADLESS" 2>/dev/null | grep -q libasan && RUNNER_LIMITS=(--memory-mib 0)

# start_server NAME PORT DB [ARGS...]: starts a board server and waits for
# it; sets SERVER_PID.
start_server() {
    local name=$1 port=$2 db=$3
    shift 3
    "$BOARD" --runner "$HEADLESS" --listen "127.0.0.1:$port" --db "$db" "${RUNNER_LIMITS[@]}" "$@" \
        >>"$WORK/$name.log" 2>&1 &
    SERVER_PID=$!
    SERVER_PIDS+=("$SERVER_PID")
    await_healthy "$port" "$SERVER_PID" || fail "the board server $name did not start: $(tail -5 "$WORK/$name.log")"
}

# A throw-away PostgreSQL cluster in the work folder, run by the unprivileged
# postgres user, on a free port, its socket in the folder; sets PG_URL.
start_postgres() {
    PG_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
    [ -x "$PG_BIN/initdb" ] || fail "PostgreSQL is not installed (./test.sh installs it)"
    mkdir -p "$WORK/pg"
    chown postgres "$WORK/pg"
    PG_DATA="$WORK/pg/data"
    local port
    port=$(free_port)
    runuser -u postgres -- "$PG_BIN/initdb" -D "$PG_DATA" -A trust -U board >"$WORK/initdb.log" 2>&1 ||
        fail "initdb failed: $(tail -5 "$WORK/initdb.log")"
    runuser -u postgres -- "$PG_BIN/pg_ctl" -D "$PG_DATA" -l "$WORK/pg/server.log" -w -t 120 \
        -o "-p $port -k $WORK/pg -c listen_addresses=''" start >/dev/null ||
        fail "PostgreSQL did not start: $(tail -5 "$WORK/pg/server.log")"
    PG_URL="postgresql:///postgres?host=$WORK/pg&port=$port&user=board"
}

# The winning game as a replay, and replays of its first calls (each a run of
# its own, told apart by its length).
make_replays() {
    mkdir -p "$WORK/runs"
    (cd "$WORK/runs" && "$HEADLESS" --calls 40000 --input "$SRC/tests/data/win.txt" \
        --write-replay win.replay) || fail "cannot write the winning game's replay"
    grep -q "hiscore=27800 " "$WORK/runs/win.replay" || fail "the winning game does not reach 27800"
    # The same game begun half a second later: the same score, more frames.
    awk '/^[0-9]/ { $1 = $1 + 30 } { print }' "$SRC/tests/data/win.txt" >"$WORK/runs/late.txt"
    (cd "$WORK/runs" && "$HEADLESS" --calls 40030 --input late.txt --write-replay late.replay) ||
        fail "cannot write the later winning game's replay"
}

# make_short_replays COUNT [CALLS]: shortK.replay, the first CALLS + 37 K calls.
make_short_replays() {
    local count=$1 base=${2:-600} k
    for k in $(seq "$count"); do
        (cd "$WORK/runs" && "$HEADLESS" --calls $((base + 37 * k)) --input "$SRC/tests/data/win.txt" \
            --write-replay "short$k.replay") || fail "cannot write replay $k"
    done
}

# post PORT NAME FILE: prints "STATUS BODY" of submitting FILE as NAME.
post() {
    local name
    local name out
    name=$(python3 -c 'import os, sys, urllib.parse; print(urllib.parse.quote_from_bytes(os.fsencode(sys.argv[1]), safe=""))' "$2")
    out=$(mktemp -p "$WORK" answer-XXXXXX)
    curl -s -m 120 -o "$out" -w '%{http_code}' -H 'Content-Type: text/plain' \
        --data-binary "@$3" "http://127.0.0.1:$1/api/runs?name=$name"
    echo " $(cat "$out")"
    rm -f "$out"
}

# json_field JSON EXPRESSION: a value from an answer, by a Python expression on j.
json_field() {
    python3 -c 'import json, sys; j = json.loads(sys.argv[1]); print(eval(sys.argv[2]))' "$1" "$2"
}

# The cases every database passes. DB is the database both servers share.
board_cases() {
    local db=$1 a b answer status body id
    a=$(free_port)
    start_server a "$a" "$db" --rate 1000 --cpu-seconds 3 --wall-seconds 300
    local server_a=$SERVER_PID
    b=$(free_port)
    start_server b "$b" "$db" --rate 3

    # The winning game begun later goes on the board first; the winning game
    # then ranks above it with the same score in fewer frames.
    answer=$(post "$a" "late" "$WORK/runs/late.replay")
    [ "${answer%% *}" = 201 ] || fail "the later winning game was answered $answer"
    [ "$(json_field "${answer#* }" '(j["score"], j["rank"])')" = "(27800, 1)" ] ||
        fail "the later winning game was answered $answer"
    local late_flips
    late_flips=$(json_field "${answer#* }" 'j["flips"]')
    # The winning game goes on the board with the server's own figures.
    answer=$(post "$a" "alice" "$WORK/runs/win.replay")
    status=${answer%% *}
    body=${answer#* }
    [ "$status" = 201 ] || fail "the winning game was answered $answer"
    [ "$(json_field "$body" 'j["score"]')" = 27800 ] || fail "the winning game scored $body"
    [ "$(json_field "$body" 'j["rank"]')" = 1 ] || fail "the winning game ranked $body"
    [ "$(json_field "$body" 'j["flips"]')" -lt "$late_flips" ] || fail "the winning game took $body"
    id=$(json_field "$body" 'j["id"]')
    # The stored replay is the file itself.
    curl -sf "http://127.0.0.1:$a/runs/$id.replay" | cmp -s - "$WORK/runs/win.replay" ||
        fail "/runs/$id.replay is not the replay submitted"

    # A file that lies about its score is checked against the run: refused.
    sed 's/^\(# end .*\) score=0 /\1 score=99999 /' "$WORK/runs/win.replay" >"$WORK/boast.replay"
    # One arrow moved by a call: the run goes another way.
    python3 - "$WORK/runs/win.replay" "$WORK/moved.replay" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
m = re.search(r'^(\d+) down 38$', text, re.M)
open(sys.argv[2], 'w').write(text[:m.start()] + str(int(m.group(1)) + 1) + ' down 38' + text[m.end():])
PY
    # A replay of the title standing for the most calls a replay may hold
    # (the title reads the record every 4679 calls): stopped by its CPU time.
    {
        sed -n '1,/^# hiscore start/p' "$WORK/runs/win.replay"
        seq 0 4679 99999999 | sed 's/.*/# hiscore & 0/'
        echo "# end calls=100000000 flips=100000000 score=0 hiscore=0 lives=3 screen=0 digest=0123456789abcdef"
    } >"$WORK/long.replay"
    head -c 2097152 /dev/zero | tr '\0' '#' >"$WORK/big.replay"
    printf 'not a replay\n' >"$WORK/text.replay"
    printf '# tirlane replay 1\n# speed 20\n' >"$WORK/speed.replay"

    local cases=(
        # file name status must-say
        "win.replay|alice|409|already"
        "boast.replay|mallory|422|score"
        "moved.replay|mallory|422|another way"
        "long.replay|mallory|422|CPU time"
        "big.replay|mallory|413|"
        "text.replay|mallory|400|not a Tirlane replay"
        "speed.replay|mallory|400|speed"
        "win.replay||400|name"
        "win.replay|twenty-one characters|400|name"
        "win.replay|$(printf 'tab\there')|400|name"
        "win.replay|$(printf 'C1 \xc2\x85 control')|400|name"
        "win.replay|$(printf 'not UTF-8 \xff')|400|name"
        "win.replay|$(printf 'overlong \xc0\xaf')|400|name"
        "win.replay|$(printf 'surrogate \xed\xa0\x80')|400|name"
    )
    local c file name want say path
    for c in "${cases[@]}"; do
        IFS='|' read -r file name want say <<<"$c"
        path="$WORK/$file"
        [ -f "$path" ] || path="$WORK/runs/$file"
        answer=$(post "$a" "$name" "$path")
        [ "${answer%% *}" = "$want" ] || fail "$file as '$name' was answered $answer, not $want"
        [[ "$answer" == *"$say"* ]] || fail "$file as '$name' was answered $answer, without '$say'"
    done

    # A replay sent as a form is refused, whatever its parameters say.
    head -20 "$WORK/runs/win.replay" >"$WORK/form.replay"
    answer=$(curl -s -w ' %{http_code}' --data-binary "@$WORK/form.replay" "http://127.0.0.1:$a/api/runs?name=form")
    [[ "$answer" == *"text/plain"*" 400" ]] || fail "a replay sent as a form was answered $answer"

    # Runs at a reduced speed keep to a board of their own, ranked among
    # themselves; equal scores rank by fewer frames.
    make_short_replays 2
    sed '2a # speed 75' "$WORK/runs/short1.replay" >"$WORK/slow.replay"
    # (Its name: 20 characters, 40 bytes.)
    local slow=ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓ
    answer=$(post "$a" "$slow" "$WORK/slow.replay")
    [ "${answer%% *}" = 201 ] || fail "the slowed run was answered $answer"
    [ "$(json_field "${answer#* }" 'j["rank"]')" = 1 ] || fail "the slowed run ranked $answer"
    answer=$(post "$a" "bob" "$WORK/runs/short2.replay")
    [ "${answer%% *}" = 201 ] || fail "a short run was answered $answer"

    # Both servers see every run: the second reads what the first took.
    local board reduced
    board=$(curl -sf "http://127.0.0.1:$b/api/board")
    reduced=$(curl -sf "http://127.0.0.1:$b/api/board?speed=reduced")
    [ "$(json_field "$board" '[(r["rank"], r["name"], r["score"], r["speed"]) for r in j["runs"]][:2]')" = "[(1, 'alice', 27800, 100), (2, 'late', 27800, 100)]" ] ||
        fail "the second server's board is $board"
    [ "$(json_field "$board" '"'"$slow"'" in [r["name"] for r in j["runs"]]')" = False ] ||
        fail "the slowed run is on the full-speed board: $board"
    [ "$(json_field "$reduced" '[(r["rank"], r["name"], r["speed"]) for r in j["runs"]]')" = "[(1, '$slow', 75)]" ] ||
        fail "the reduced board is $reduced"
    [ "$(json_field "$(curl -sf "http://127.0.0.1:$b/api/board?limit=1&offset=1")" \
        '[(r["rank"], r["name"]) for r in j["runs"]]')" = "[(2, 'late')]" ] || fail "limit and offset"
    [ "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$b/api/board?limit=x")" = 400 ] ||
        fail "a bad limit was not refused"

    # A burst from one address is held back with a time to retry after.
    local statuses="" k
    for k in 1 2 3 4 5; do
        statuses+="$(curl -s -o /dev/null -D "$WORK/headers" -w '%{http_code}' -H 'Content-Type: text/plain' \
            --data-binary 'not a replay' "http://127.0.0.1:$b/api/runs?name=burst") "
    done
    [ "$statuses" = "400 400 400 429 429 " ] || fail "a burst of five at three a minute was answered $statuses"
    grep -qi '^Retry-After: [1-9]' "$WORK/headers" || fail "429 without Retry-After: $(cat "$WORK/headers")"

    # One verification at a time and none waiting: while one runs (its
    # runner seen as the server's child), another is turned away at once.
    local c_port c_pid first
    c_port=$(free_port)
    start_server c "$c_port" "$db" --workers 1 --queue 0 --cpu-seconds 3 --wall-seconds 300
    c_pid=$SERVER_PID
    post "$c_port" "first" "$WORK/long.replay" >"$WORK/first.answer" &
    first=$!
    for k in $(seq 600); do
        pgrep -P "$c_pid" >/dev/null && break
        sleep 0.1
    done
    pgrep -P "$c_pid" >/dev/null || fail "the first verification never started"
    answer=$(post "$c_port" "second" "$WORK/runs/win.replay")
    [ "${answer%% *}" = 503 ] || fail "a verification beyond the queue was answered $answer"
    wait "$first"
    [[ "$(cat "$WORK/first.answer")" == 422* ]] || fail "the first verification was answered $(cat "$WORK/first.answer")"

    # A check that outlasts its wall time is stopped, with whatever it
    # started: a runner that hangs on to its outputs, and one that closes them.
    # (Their sleeps are this test's own: another test may run the same.)
    local hang
    for hang in "exec /bin/sleep 61.$$" "exec >&- 2>&-; /bin/sleep 62.$$; :"; do
        printf '#!/bin/bash\n%s\n' "$hang" >"$WORK/hanging-runner"
        chmod +x "$WORK/hanging-runner"
        c_port=$(free_port)
        start_server hang "$c_port" "$db" --runner "$WORK/hanging-runner" --wall-seconds 1
        answer=$(post "$c_port" "hang" "$WORK/runs/win.replay")
        [[ "$answer" == "422 "*"more than 1 s"* ]] || fail "a hanging runner ($hang) was answered $answer"
        ! pgrep -f "sleep 6[12]\.$$\$" >/dev/null || fail "a hanging runner ($hang) was left running"
        kill -9 "$SERVER_PID"
    done

    # Paths under /runs/ and /play/ keep to their folders.
    for path in "/runs/../../etc/passwd" "/runs/1.replay/../../x" "/runs/99999.replay" "/play/../../etc/passwd" "/play/%2e%2e/%2e%2e/etc/passwd"; do
        status=$(curl -s --path-as-is -o "$WORK/got" -w '%{http_code}' "http://127.0.0.1:$a$path")
        [[ "$status" == 4* ]] || fail "$path was answered $status"
        ! grep -q "root:" "$WORK/got" || fail "$path left its folder"
    done

    # Hostile files: the fuzz corpus as sent, and with a replay's first line
    # so the runner reads them; each refused, the server serving on.
    local hostile
    for hostile in "$SRC"/tests/fuzz/corpus_*/*; do
        cp "$hostile" "$WORK/h1"
        { printf '# tirlane replay 1\n'; cat "$hostile"; } >"$WORK/h2"
        for file in "$WORK/h1" "$WORK/h2"; do
            answer=$(post "$a" "fuzz" "$file")
            [[ "$answer" == 4* ]] || fail "$hostile was answered $answer"
        done
    done
    hostile_replays "$WORK/runs/win.replay" "$WORK/hostile"
    for file in "$WORK"/hostile/*; do
        answer=$(post "$a" "hostile" "$file")
        [[ "$answer" == 4* ]] || fail "$(basename "$file") was answered $answer"
    done
    curl -sf -o /dev/null "http://127.0.0.1:$a/healthz" || fail "the server stopped serving"
    kill -0 "$server_a" || fail "the server died"

    # A runner of another game version no longer verifies any run: all are
    # marked and leave the board, kept; the runner they were taken with
    # brings them back.
    cat >"$WORK/newer-runner" <<RUNNER
#!/bin/bash
/usr/bin/sed 's/^# game .*/# game 99.0.0/' run.replay >newer.replay
exec "$HEADLESS" --replay newer.replay --no-pictures --print-end
RUNNER
    chmod +x "$WORK/newer-runner"
    local count
    count=$(json_field "$(curl -sf "http://127.0.0.1:$a/api/board")" 'len(j["runs"])')
    [ "$count" = 3 ] || fail "the board holds $count runs before the check"
    "$BOARD" --reverify "${RUNNER_LIMITS[@]}" --db "$db" --runner "$WORK/newer-runner" >"$WORK/reverify.out" 2>&1 ||
        fail "--reverify failed: $(cat "$WORK/reverify.out")"
    grep -q "^4 runs checked, 4 no longer verify$" "$WORK/reverify.out" || fail "--reverify said $(cat "$WORK/reverify.out")"
    [ "$(curl -sf "http://127.0.0.1:$b/api/board")" = '{"runs":[]}' ] || fail "runs that no longer verify are still on the board"
    curl -sf "http://127.0.0.1:$b/runs/$id.replay" | cmp -s - "$WORK/runs/win.replay" || fail "a run that no longer verifies was not kept"
    "$BOARD" --reverify "${RUNNER_LIMITS[@]}" --db "$db" --runner "$HEADLESS" >"$WORK/reverify.out" 2>&1 ||
        fail "--reverify failed: $(cat "$WORK/reverify.out")"
    grep -q "^4 runs checked, 0 no longer verify$" "$WORK/reverify.out" || fail "--reverify said $(cat "$WORK/reverify.out")"
    count=$(json_field "$(curl -sf "http://127.0.0.1:$a/api/board")" 'len(j["runs"])')
    [ "$count" = 3 ] || fail "the board holds $count runs after the check"
}

# Replays that are broken the ways the replay reader's own tests break them,
# and worse, written into a folder.
hostile_replays() {
    python3 - "$1" "$2" <<'PY'
import os, sys
good = open(sys.argv[1]).read()
out = sys.argv[2]
os.makedirs(out, exist_ok=True)
lines = good.splitlines(keepends=True)
h = '# tirlane replay 1\n# game ' + [l for l in lines if l.startswith('# game ')][0][7:].strip() + '\n# hiscore start 0\n'
e = '# end calls=10 flips=10 score=0 hiscore=0 lives=3 screen=0 digest=0123456789abcdef\n'
cases = {
    'no-end': h + '0 down 32\n',
    'cut-short': h + '0 down 32\n1 up 3',
    'huge-call': h + '123456789012345678901 down 32\n' + e,
    'decreasing-calls': h + '5 down 38\n4 up 38\n' + e,
    'bad-key': h + '0 down 99999\n' + e,
    'end-without-digest': h + '# end calls=10 flips=10 score=0 hiscore=0 lives=3 screen=0\n',
    'too-many-calls': h + '# end calls=999999999999 flips=1 score=0 hiscore=0 lives=3 screen=0 digest=0123456789abcdef\n',
    'other-version': '# tirlane replay 1\n# game 0.9.0\n# hiscore start 0\n' + e,
    'other-format': '# tirlane replay 2\n' + h[18:] + e,
    'negative-hiscore': h.replace('start 0', 'start -5') + e,
    'end-only': h + e,
    'truncated-win': good[: len(good) // 2],
    'nul-byte': good[:100] + '\0' + good[100:],
    'many-events': h + ''.join('%d down 32\n%d up 32\n' % (2 * k, 2 * k + 1) for k in range(40000)) + e,
    'binary': h + ''.join(chr(c) for c in range(1, 256)),
}
for name, text in cases.items():
    with open(os.path.join(out, name + '.replay'), 'w', encoding='latin-1') as f:
        f.write(text)
PY
}
