#!/usr/bin/env bash
# Replays, pause, mute and ending within a sequence, in the real window game
# under Xvfb, driven by xdotool:
#   - a game played live (the title, a step into the corridor where a guard
#     strikes, a pause in the middle of the death sequence, a pause by losing
#     the focus, Escape) leaves last.replay, which tirlane-headless --replay
#     verifies, and which fails with status 3 once an event that matters is
#     moved; paused, the picture stands still and shows PAUSED;
#   - tirlane --replay shows the runner's very picture at chosen calls;
#   - SIGTERM and closing the window in the middle of the death sequence end
#     the game at once, saving the record as Escape does, and that replay too
#     verifies;
#   - a game killed with SIGSEGV in the middle of a level leaves last.replay
#     up to the crash, which verifies, in place of the previous run's;
#   - --mute and M change what reaches the audio device (SDL's disk driver),
#     never the game.
# Usage: replay.sh <tirlane> <tirlane-headless> <source dir>
set -u

GAME=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
TOOLS="$SRC/tests/e2e/window_tools.py"

source "$SRC/tests/e2e/window_test.bash"
need_tools Xvfb xdotool xmessage import python3 timeout
make_work replay
start_screen

new_folder() {
    local folder="$WORK/$1"
    mkdir -p "$folder"
    cp "$SRC"/assets/*.bmp "$SRC"/assets/*.wav "$SRC"/assets/font.ttf "$folder"/
    echo "$folder"
}

GAME_ARGS=(--window) # every game here plays in a window

# Sends a signal to this test's game alone (the child of the timeout that
# start_game ran), never to the games other tests run beside it.
signal_game() {
    pkill "-$1" -P "$GAME_PID" -f "^$GAME --window\$"
}

# Waits for the game to end; prints how long that took; fails unless status 0.
await_exit() {
    local what=$1 want=${2:-0} start
    start=$(date +%s%N)
    for _ in $(seq 300); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.01
    done
    kill -0 "$GAME_PID" 2>/dev/null && fail "$what: the game did not end"
    wait "$GAME_PID"
    local status=$?
    ENDED_MS=$((($(date +%s%N) - start) / 1000000))
    [ $status -eq "$want" ] || fail "$what: exit status $status, not $want"
}

shot() { timeout 20 import -window root -depth 8 "ppm:$1" 2>/dev/null; }
tap() {
    xdotool keydown "$1"
    sleep "${2:-0.05}"
    xdotool keyup "$1"
}

# Checks the screen stands still on the paused picture.
expect_paused() {
    local what=$1 folder=$2
    sleep 0.3
    shot "$folder/paused-1.ppm"
    sleep 0.5
    shot "$folder/paused-2.ppm"
    cmp -s "$folder/paused-1.ppm" "$folder/paused-2.ppm" || fail "$what: the picture moved while paused"
    local gold
    gold=$(python3 "$TOOLS" count "$folder/paused-1.ppm" ffec8c)
    [ "$gold" -gt 200 ] || fail "$what: no PAUSED on the screen ($gold gold pixels)"
}

verify() {
    local folder=$1 file=$2 status=0
    (cd "$folder" && "$HEADLESS" --replay "$file" >/dev/null 2>"$folder/verify.txt") || status=$?
    echo $status
}

# --- 1. A game played live. Space, then one step up onto the corridor whose
# guard strikes about 75 frames later; P in the middle of the death sequence;
# P again; the focus taken by another window and given back; Escape.
live=$(new_folder live)
start_game "$live"
sleep 0.5
tap space 0.1
sleep 0.3
tap Up
sleep 1.6 # the strike, and into the death sequence
tap p
expect_paused "paused within the death sequence" "$live"
tap p
sleep 3 # the rest of the sequence, the blinking, and play again
xmessage -name intruder "another window" &
INTRUDER_PID=$!
EXTRA_PIDS+=("$INTRUDER_PID")
INTRUDER=$(timeout 10 xdotool search --sync --onlyvisible --name '^intruder$' 2>/dev/null | head -n 1)
[ -n "$INTRUDER" ] || fail "the second window did not appear"
xdotool windowfocus --sync "$INTRUDER"
expect_paused "paused by losing the focus" "$live"
xdotool windowfocus --sync "$WINDOW"
sleep 0.5
shot "$live/resumed.ppm"
cmp -s "$live/resumed.ppm" "$live/paused-2.ppm" && fail "getting the focus back did not resume"
kill "$INTRUDER_PID" 2>/dev/null
tap Escape
await_exit "Escape after a live game"
[ -f "$live/last.replay" ] || fail "no last.replay after a live game"
grep -Eq '^[0-9]+ down 38$' "$live/last.replay" || fail "the replay lacks the step up"
grep -Eq '^[0-9]+ down 27$' "$live/last.replay" || fail "the replay lacks the Escape"
grep -q ' lives=2 ' "$live/last.replay" || fail "the guard did not strike: $(tail -n 1 "$live/last.replay")"
[ "$(verify "$live" last.replay)" = 0 ] || fail "last.replay does not verify: $(cat "$live/verify.txt")"
up=$(grep -m1 -E '^[0-9]+ down 38$' "$live/last.replay")
sed "s/^$up\$/$((${up%% *} + 3)) down 38/" "$live/last.replay" >"$live/moved.replay"
[ "$(verify "$live" moved.replay)" = 3 ] || fail "a replay with the step moved still verifies"
echo "ok: a live game with two pauses replays exactly; moved: $(cat "$live/verify.txt")"

# --- 2. tirlane --replay shows what the runner shows, call for call: early
# on, just after the step, and at the replay's last call (taken from its end
# line: a loaded machine plays fewer calls in the same time).
calls=$(sed -n 's/^# end calls=\([0-9]*\) .*/\1/p' "$live/last.replay")
[ -n "$calls" ] || fail "last.replay has no end line"
for call in 30 $((${up%% *} + 4)) $((calls - 1)); do
    (cd "$live" && "$HEADLESS" --replay last.replay --calls $((call + 1)) --shot "$call" "runner-$call.bmp" \
        >/dev/null 2>&1)
    start_game "$live" --replay last.replay --stop-at "$call"
    # Played at the normal pace: the picture settles after CALL / 60 seconds.
    matched=no
    for _ in $(seq 120); do
        sleep 0.25
        shot "$live/window-$call.ppm" || continue
        if python3 "$TOOLS" same "$live/window-$call.ppm" "$live/runner-$call.bmp" 1.0 \
            >"$live/same.txt" 2>&1; then
            matched=yes
            break
        fi
    done
    [ $matched = yes ] || fail "call $call: the replay's picture is not the runner's: $(cat "$live/same.txt")"
    tap Escape
    await_exit "Escape at --stop-at $call"
done
echo "ok: tirlane --replay shows the runner's picture at calls 30, $((${up%% *} + 4)) and $((calls - 1))"

# --- 3. Ending in the middle of the death sequence: SIGTERM, and closing the
# window. The record (0) is saved as Escape saves it; the replay says where
# the run stopped and verifies.
for how in sigterm close; do
    folder=$(new_folder "end-$how")
    start_game "$folder"
    sleep 0.5
    tap space 0.1
    sleep 0.3
    tap Up
    sleep 1.8
    if [ "$how" = sigterm ]; then
        signal_game TERM || fail "$how: no game to signal"
    else
        python3 "$TOOLS" close "$WINDOW" || fail "cannot send the close request"
    fi
    await_exit "$how within the death sequence"
    [ "$ENDED_MS" -lt 1000 ] || fail "$how: the game took $ENDED_MS ms to end"
    head -c 3 "$folder/Score" 2>/dev/null | cmp -s - <(printf -- '-2\0') ||
        fail "$how: the record was not saved as Escape saves it"
    grep -Eq '^# quit [0-9]+ [0-9]+$' "$folder/last.replay" || fail "$how: the replay has no quit line"
    [ "$(verify "$folder" last.replay)" = 0 ] || fail "$how: the replay does not verify: $(cat "$folder/verify.txt")"
    echo "ok: $how in the death sequence ended the game in $ENDED_MS ms; $(grep '^# quit' "$folder/last.replay")"
done

# --- 4. A crash in the middle of a level: the previous run's last.replay
# is replaced by this run's, up to the call the crash happened in.
crash=$(new_folder crash)
cp "$live/last.replay" "$crash/"
ulimit -c 0
start_game "$crash"
sleep 0.5
tap space 0.1
sleep 0.3
tap Up
sleep 0.5
signal_game SEGV || fail "crash: no game to signal"
await_exit "SIGSEGV in a level" 139
crashed=$(sed -n 's/^# crashed \([0-9]*\)$/\1/p' "$crash/last.replay")
[ -n "$crashed" ] || fail "crash: last.replay is not this run's: $(tail -n 2 "$crash/last.replay")"
grep -q "^# end calls=$crashed " "$crash/last.replay" || fail "crash: the end line is not at the crash"
grep -Eq '^[0-9]+ down 32$' "$crash/last.replay" || fail "crash: the replay lacks the Space that starts the level"
[ "$(verify "$crash" last.replay)" = 0 ] || fail "crash: last.replay does not verify: $(cat "$crash/verify.txt")"
echo "ok: SIGSEGV in a level left a last.replay that verifies up to call $crashed"

# --- 5. Mute: what reaches the device (SDL's disk driver writes it to a
# file) is silence with --mute, sound without it, and sound again after M.
audio_level() { python3 "$TOOLS" loudness "$1"; }
for mode in plain muted unmuted-by-m; do
    folder=$(new_folder "mute-$mode")
    cp "$live/last.replay" "$folder/"
    args=(--replay last.replay --stop-at 150)
    [ "$mode" = plain ] || args+=(--mute)
    export SDL_DISKAUDIOFILE="$folder/audio.raw" AUDIO=disk
    start_game "$folder" "${args[@]}"
    unset SDL_DISKAUDIOFILE AUDIO
    [ "$mode" = unmuted-by-m ] && tap m
    sleep 3.5
    tap Escape
    await_exit "mute $mode"
    level=$(audio_level "$folder/audio.raw")
    case $mode in
    muted) [ "$level" = 0 ] || fail "--mute: sound reached the device (level $level)" ;;
    *) [ "$level" -gt 0 ] || fail "$mode: no sound reached the device" ;;
    esac
    echo "ok: $mode: loudest sample $level"
done

echo "replay.sh: all passed"
