# What the window tests share (sourced once SRC names the source tree):
#
#   fail MESSAGE           says what failed and ends the test
#   need_tools TOOL...     fails naming the first tool that is missing
#   make_work NAME         sets WORK, a fresh folder removed at the end with
#                          the game (GAME_PID), the X server (XVFB_PID) and
#                          any other process in EXTRA_PIDS, all killed then
#   start_screen [SCREEN]  starts a virtual X screen (tools/xvfb.sh), 640x480
#                          unless given, or fails
#   start_game FOLDER [ARG...]
#                          starts $GAME in FOLDER (with GAME_ARGS before the
#                          ARGs, sound to SDL's $AUDIO driver, dummy unless
#                          set), waits for its window and gives it the focus;
#                          sets GAME_PID and WINDOW
source "$SRC/tools/xvfb.sh"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (./test.sh installs it)"
    done
}

GAME_ARGS=()

make_work() {
    WORK=$(mktemp -d "/tmp/tirlane-$1-XXXXXX")
    XVFB_PID=""
    GAME_PID=""
    EXTRA_PIDS=()
    trap remove_work EXIT
}

remove_work() {
    local pid
    for pid in "$GAME_PID" "$XVFB_PID" "${EXTRA_PIDS[@]}"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$WORK"
}

start_screen() {
    start_xvfb "$WORK" "${1:-640x480x24}" 2>/dev/null || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
}

start_game() {
    local folder=$1
    shift
    await_no_game_window || fail "the last game's window is still there after 10 s"
    (cd "$folder" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER="${AUDIO:-dummy}" \
        timeout 120 "$GAME" "${GAME_ARGS[@]}" "$@" >"$folder/stdout" 2>"$folder/stderr") &
    GAME_PID=$!
    WINDOW=$(find_game_window)
    [ -n "$WINDOW" ] || fail "no window titled Tirlane appeared ($(cat "$folder/stderr"))"
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null
}
