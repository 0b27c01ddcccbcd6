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
