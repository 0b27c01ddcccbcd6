# A virtual X screen for the window tests and the measuring scripts; source
# this file, then:
#
#   start_xvfb FOLDER [SCREEN]
#                         starts Xvfb with a screen of SCREEN (640x480x24
#                         unless given) and waits until it accepts clients;
#                         sets DISPLAY and XVFB_PID (stop it with
#                         kill "$XVFB_PID"); its log goes to FOLDER/xvfb.log
#
# Xvfb picks a free display number itself and writes it down once it is
# ready (-displayfd), so no other server can take the number between our
# choice and its start, and no readiness loop can talk to the wrong server.
start_xvfb() {
    local folder=$1 screen=${2:-640x480x24} number=""
    local fifo="$folder/xvfb-display"
    rm -f "$fifo"
    mkfifo "$fifo" || return 1
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" >"$folder/xvfb.log" 2>&1 &
    XVFB_PID=$!
    # The read ends at the number, or at end of file when Xvfb gives up.
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "Xvfb did not start: $(cat "$folder/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

#   find_game_window      waits for the game's window (titled Tirlane) and
#                         prints its id, or nothing after 20 s
#   await_no_game_window  waits until no window titled Tirlane is left
#
# The X server takes a game's window away a moment after that game has
# ended: a test that starts the next game at once must not find the last
# one's window.
await_no_game_window() {
    local waited=0
    while [ -n "$(xdotool search --name '^Tirlane$' 2>/dev/null)" ]; do
        [ $waited -ge 100 ] && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

find_game_window() {
    timeout 20 xdotool search --sync --onlyvisible --name '^Tirlane$' 2>/dev/null | head -n 1
}
