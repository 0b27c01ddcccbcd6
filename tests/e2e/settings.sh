#!/usr/bin/env bash
# The player's settings in the real window, under Xvfb (a 1280 x 720 screen
# with no window manager, so full screen and a window stand apart):
#   - a portable folder whose settings.ini holds `up = W`: Space then W takes
#     the key above the start, last.replay holds the game's Up (38), never W,
#     and verifies;
#   - from the pause, S opens the settings screen, Enter then W rebinds Down,
#     and closing it saves that;
#   - `speed = 50`: the replay says so and verifies in the runner;
#   - M in one run: the next run starts muted (nothing reaches the device);
#   - F11 in one run: the next run starts in a window.
# Usage: settings.sh <tirlane> <tirlane-headless> <source dir>
set -u

GAME=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
TOOLS="$(dirname "$(realpath "$0")")/window_tools.py"

source "$SRC/tests/e2e/window_test.bash"
need_tools Xvfb xdotool import python3 timeout
make_work settings
start_screen 1280x720x24

# A portable folder: the game's pictures, and the settings given.
new_folder() {
    local folder="$WORK/$1"
    mkdir -p "$folder"
    cp "$SRC"/assets/*.bmp "$SRC"/assets/*.wav "$SRC"/assets/font.ttf "$folder"/
    printf '%b' "$2" >"$folder/settings.ini"
    echo "$folder"
}


expect_exit_0() {
    local what=$1
    for _ in $(seq 300); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$GAME_PID" 2>/dev/null && fail "$what: the game did not end"
    wait "$GAME_PID"
    local status=$?
    GAME_PID=""
    [ $status -eq 0 ] || fail "$what: exit status $status"
}

shot() { timeout 20 import -window root -depth 8 "ppm:$1" 2>/dev/null; }
press() {
    timeout 5 xdotool keydown "$1"
    sleep "${2:-0.2}"
    timeout 5 xdotool keyup "$1"
}

# Polls the screen until it shows (yes) or stops showing (no) the title,
# whole and centred.
await_title() {
    local want=$1 folder=$2
    for _ in $(seq 30); do
        shot "$folder/shot.ppm"
        if python3 "$TOOLS" match "$folder/shot.ppm" "$folder/Presentation.bmp" 320 120 >"$folder/match.txt"; then
            [ "$want" = yes ] && return 0
        else
            [ "$want" = no ] && return 0
        fi
        sleep 0.5
    done
    return 1
}

# Polls until the file holds the line.
await_line() {
    for _ in $(seq 50); do
        grep -qx "$2" "$1" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

verify() {
    (cd "$1" && "$HEADLESS" --replay last.replay >/dev/null 2>"$1/verify.txt")
}

await_geometry() {
    for _ in $(seq 50); do
        GEOMETRY=$(timeout 5 xdotool getwindowgeometry --shell "$WINDOW" 2>/dev/null |
            awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
        [ "$GEOMETRY" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

# 1. W plays as Up; the replay holds the game's Up.
live=$(new_folder wasd 'up = W\n')
start_game "$live"
await_title yes "$live" || fail "the title is not on the screen: $(cat "$live/match.txt")"
press space
await_title no "$live" || fail "Space did not start a game"
press w 1.5
press Escape
expect_exit_0 "Escape after W"
[ ! -s "$live/stderr" ] || fail "a good settings file was complained about: $(cat "$live/stderr")"
score=$(python3 "$TOOLS" score "$live/Score") || fail "no Score after the game"
[ "$score" -gt 0 ] || fail "holding W did not take the key above the start (record $score)"
grep -Eq '^[0-9]+ down 38$' "$live/last.replay" || fail "last.replay holds no Up (38)"
grep -Eq '^[0-9]+ (down|up) (87|119)$' "$live/last.replay" && fail "last.replay holds the W itself"
verify "$live" || fail "last.replay does not verify: $(cat "$live/verify.txt")"
echo "ok: W took the key above the start (record $score); the replay holds 38 and verifies"

# 2. The settings screen: pause, S, Down's row, Enter, then W... which Up
# has already: refused; then S, which is free, taken and saved on closing.
start_game "$live"
await_title yes "$live" || fail "settings screen: no title"
press p
press s
sleep 0.5
shot "$live/menu.ppm"
gold=$(python3 "$TOOLS" count "$live/menu.ppm" ffec8c)
[ "$gold" -gt 50 ] || fail "no settings screen after P then S ($gold gold pixels)"
press Down
press Return
press w
press Return
press s
press Escape
await_line "$live/settings.ini" 'down = S' || fail "closing the settings screen did not save down = S: $(cat "$live/settings.ini")"
grep -qx 'up = W' "$live/settings.ini" || fail "W was taken from Up: $(cat "$live/settings.ini")"
press p
press Escape
expect_exit_0 "Escape after the settings screen"
echo "ok: the settings screen rebound Down to S, refused W (Up's) and saved"

# 3. speed = 50: the replay says it, and replays at the runner's pace.
slow=$(new_folder slow 'speed = 50\n')
start_game "$slow" --window
await_title yes "$slow" || fail "speed 50: no title"
press space
await_title no "$slow" || fail "speed 50: Space did not start a game"
press Up 1
press Escape
expect_exit_0 "Escape at speed 50"
grep -qx '# speed 50' "$slow/last.replay" || fail "the slow run's replay has no '# speed 50' line"
verify "$slow" || fail "the slow run's replay does not verify: $(cat "$slow/verify.txt")"
grep -q 'recorded at speed 50' "$slow/verify.txt" || fail "the runner does not say the speed: $(cat "$slow/verify.txt")"
echo "ok: speed 50 recorded and verified"

# 4. M in one run, F11 in the next: each is how the run after starts.
remember=$(new_folder remember '')
cp "$live/last.replay" "$remember/"
audio_run() {
    export SDL_DISKAUDIOFILE="$remember/audio-$1.raw" AUDIO=disk
    start_game "$remember" --replay last.replay --stop-at 150
    unset SDL_DISKAUDIOFILE AUDIO
}
audio_run first
press m
await_line "$remember/settings.ini" 'muted = yes' || fail "M was not saved"
press Escape
expect_exit_0 "Escape after M"
audio_run second
sleep 3.5
press Escape
expect_exit_0 "the run after M"
level=$(python3 "$TOOLS" loudness "$remember/audio-second.raw")
[ "$level" = 0 ] || fail "the run after M was not muted (level $level)"
start_game "$remember"
await_geometry "0 0 1280 720" || fail "the first run is not full screen ($GEOMETRY)"
press F11
await_line "$remember/settings.ini" 'windowed = yes' || fail "F11 was not saved"
press Escape
expect_exit_0 "Escape after F11"
start_game "$remember"
await_geometry "320 120 640 480" || fail "the run after F11 did not start in a window ($GEOMETRY)"
press Escape
expect_exit_0 "the run after F11"
echo "ok: M and F11 held for the next run"

echo "settings.sh: all passed"
