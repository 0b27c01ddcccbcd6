#!/usr/bin/env bash
# The real game in a real window, under Xvfb, driven by xdotool:
#   - the title picture reaches the screen (full screen, and with --window);
#   - Space starts a game, a held Up arrow takes the key above the start
#     position, Escape ends with status 0 and saves that record;
#   - Escape on the title saves "-2" (score 0 holds the record 0), and keeps a
#     stored record that the game did not beat;
#   - closing the window ends the game the way Escape does;
#   - with no display the game says why in one line and fails;
#   - on a screen larger than the picture with no window manager (a kiosk),
#     full screen shows the whole picture centred, as it does after F11 to a
#     window and F11 back.
# Usage: window.sh <tirlane> <tirlane-headless> <source dir>
set -u

GAME=$(realpath "$1")
SRC=$(realpath "$3")
HERE=$(dirname "$(realpath "$0")")
TOOLS="$HERE/window_tools.py"

source "$SRC/tests/e2e/window_test.bash"
need_tools Xvfb xdotool import python3 timeout
make_work window
start_screen

# The pictures: the shipped ones, or test pictures of our own for the two
# backgrounds (without a background a frame does not cover the last one).
PICTURE_SOURCE="$WORK/pictures"
mkdir -p "$PICTURE_SOURCE"
cp -r "$SRC"/assets/. "$PICTURE_SOURCE"/
kind=0
for picture in Presentation.bmp Table.bmp; do
    if [ ! -f "$PICTURE_SOURCE/$picture" ]; then
        echo "note: no $picture in assets; a test picture stands in"
        python3 "$TOOLS" makebmp "$PICTURE_SOURCE/$picture" $kind || fail "cannot make a test picture"
    fi
    kind=1
done

# A fresh run folder with the assets.
new_folder() {
    local folder="$WORK/run-$1"
    mkdir -p "$folder"
    cp -r "$PICTURE_SOURCE"/. "$folder"/
    echo "$folder"
}

# Starts the game in a folder (extra arguments go to the game). Unlike the
# other window tests, this one leaves the focus to the X server: a game in
# full screen on a bare server has it at once.
start_game() {
    local folder=$1
    shift
    await_no_game_window || fail "the last game's window is still there after 10 s"
    (cd "$folder" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
        timeout 120 "$GAME" "$@" >"$folder/stdout" 2>"$folder/stderr") &
    GAME_PID=$!
    WINDOW=$(find_game_window)
    [ -n "$WINDOW" ] || fail "no window titled Tirlane appeared ($(cat "$folder/stderr"))"
}

# Waits for the game to end; fails unless it exits with status 0.
expect_exit_0() {
    local what=$1 waited=0
    while kill -0 "$GAME_PID" 2>/dev/null; do
        [ $waited -ge 150 ] && fail "$what: the game did not end within 15 s"
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$GAME_PID"
    local status=$?
    GAME_PID=""
    [ $status -eq 0 ] || fail "$what: exit status $status"
}

shot() { timeout 20 import -window root -depth 8 "ppm:$1" 2>/dev/null; }

# Presses a key for a while: a tap shorter than a frame would come and go
# between two frames, and the game reads only the key held.
press() {
    timeout 5 xdotool keydown "$1"
    sleep "${2:-0.2}"
    timeout 5 xdotool keyup "$1"
}

# Polls the screen until it shows (want=yes) or stops showing (want=no) the
# title picture (with its top-left corner at X, Y: 0, 0 unless given).
await_title() {
    local want=$1 folder=$2 x=${3:-0} y=${4:-0}
    for _ in $(seq 30); do
        shot "$folder/shot.ppm"
        if python3 "$TOOLS" match "$folder/shot.ppm" "$folder/Presentation.bmp" "$x" "$y" >"$folder/match.txt"; then
            [ "$want" = yes ] && return 0
        else
            [ "$want" = no ] && return 0
        fi
        sleep 0.5
    done
    return 1
}

# Polls the game's window until it stands at "X Y WIDTH HEIGHT" on the
# screen; GEOMETRY holds where it stood last.
await_geometry() {
    for _ in $(seq 50); do
        GEOMETRY=$(timeout 5 xdotool getwindowgeometry --shell "$WINDOW" 2>/dev/null |
            awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
        [ "$GEOMETRY" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

stored_hiscore() { python3 "$TOOLS" score "$1/Score"; }

# 1. Title, then a game played with the keyboard, ended by Escape.
folder=$(new_folder play)
start_game "$folder"
await_title yes "$folder" || fail "the title picture is not on the screen: $(cat "$folder/match.txt")"
cp "$folder/shot.ppm" "$WORK/title.ppm"
press space
await_title no "$folder" || fail "Space did not start a game (the title stays)"
press Up 1.5
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while playing"
press Escape
expect_exit_0 "Escape in a game"
[ -f "$folder/Score" ] || fail "Escape in a game left no Score (the score holds the record)"
played=$(stored_hiscore "$folder") || fail "bad Score after a game"
[ "$played" -gt 0 ] || fail "holding Up did not take the key above the start (record $played)"
echo "ok: title shown, a key taken in play, Escape saved the record $played"

# 2. Escape on the title, in a window: score 0 holds the record 0.
folder=$(new_folder title)
start_game "$folder" --window
await_title yes "$folder" || fail "--window: the title picture is not on the screen: $(cat "$folder/match.txt")"
press Escape
expect_exit_0 "Escape on the title"
[ -f "$folder/Score" ] || fail "Escape on the title wrote no Score"
head -c 3 "$folder/Score" | cmp -s - <(printf -- '-2\0') ||
    fail "Score after Escape on the title: $(od -c "$folder/Score" | head -n 1)"
echo "ok: Escape on the title saved -2"

# 3. A stored record survives an Escape at once (0 does not beat it).
folder=$(new_folder record)
printf '298\0\0\0\0\0' >"$folder/Score" # hiscore 100
start_game "$folder"
press Escape
expect_exit_0 "Escape with a stored record"
[ "$(stored_hiscore "$folder")" = 100 ] || fail "the stored record 100 was lost: $(od -c "$folder/Score" | head -n 1)"
echo "ok: a stored record survives"

# 4. Closing the window is Escape.
folder=$(new_folder close)
start_game "$folder"
await_title yes "$folder" || fail "the title picture is not on the screen before closing"
python3 "$TOOLS" close "$WINDOW" || fail "cannot send the close request"
expect_exit_0 "closing the window"
[ "$(stored_hiscore "$folder" 2>/dev/null)" = 0 ] || fail "closing the window did not save like Escape"
echo "ok: closing the window ends the game like Escape"

# 5. No display: one line saying why, and a failing status. A session's
# runtime folder is there as on any desktop (without it the Wayland library
# prints a complaint of its own).
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
for driver in unset x11; do
    folder=$(new_folder "nodisplay-$driver")
    if [ "$driver" = unset ]; then
        (cd "$folder" && env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy \
            timeout 20 "$GAME" >"$folder/stdout" 2>"$folder/stderr")
    else
        (cd "$folder" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
            timeout 20 "$GAME" >"$folder/stdout" 2>"$folder/stderr")
    fi
    status=$?
    [ $status -ne 0 ] && [ $status -ne 124 ] || fail "no display ($driver): exit status $status"
    [ "$(wc -l <"$folder/stderr")" -eq 1 ] || fail "no display ($driver): stderr is not one line: $(cat "$folder/stderr")"
    grep -q '^tirlane: cannot open the display: .' "$folder/stderr" ||
        fail "no display ($driver): unclear message: $(cat "$folder/stderr")"
    [ ! -e "$folder/Score" ] || fail "no display ($driver): a Score was written"
done
echo "ok: without a display: $(cat "$folder/stderr")"

# 6. A kiosk: a 1280 x 720 screen and no window manager to act on the request
# for full screen. The picture fits once, centred at (320, 120); the game
# places the window over the screen itself, and back on its own rectangle
# when F11 leaves full screen.
kill "$XVFB_PID" 2>/dev/null
wait "$XVFB_PID" 2>/dev/null
start_screen 1280x720x24
folder=$(new_folder kiosk)
start_game "$folder"
await_title yes "$folder" 320 120 ||
    fail "no window manager: full screen does not show the whole picture centred: $(cat "$folder/match.txt")"
await_geometry "0 0 1280 720" || fail "no window manager: full screen does not cover the screen ($GEOMETRY)"
# The screen looks the same in a window (the picture once, centred): the
# window's own rectangle tells that F11 was taken.
for step in "out of full screen:320 120 640 480" "back to full screen:0 0 1280 720"; do
    press F11
    await_geometry "${step#*:}" || fail "no window manager, ${step%%:*}: the window stands at $GEOMETRY"
    await_title yes "$folder" 320 120 ||
        fail "no window manager, ${step%%:*}: the picture is not whole and centred: $(cat "$folder/match.txt")"
done
press Escape
expect_exit_0 "Escape in the kiosk"
echo "ok: with no window manager, full screen shows the whole picture centred"

echo "window.sh: all passed"
