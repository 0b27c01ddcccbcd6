# Sourced by the scripts that run the Windows build under Wine: a virtual X
# screen and a fresh Wine prefix, both inside a scratch folder.
#
#   wine_session_start FOLDER   starts Xvfb (DISPLAY, WINE_XVFB_PID) and makes
#                               the prefix FOLDER/wine (WINEPREFIX); false,
#                               with the reason on standard error, on failure
#   wine_session_end            ends the prefix's programs and the screen

wine_session_start() {
  local folder=$1
  export WINEPREFIX="$folder/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # The screen comes first: Wine's desktop, made at its first start, keeps
  # the display it found then. Xvfb picks a free display number itself.
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$folder/display" 2>"$folder/xvfb.log" &
  WINE_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$folder/display" ] && break
    sleep 0.1
  done
  if ! [ -s "$folder/display" ]; then
    echo "Xvfb did not start: $(cat "$folder/xvfb.log")" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$folder/display")"
  if ! wine wineboot -i >"$folder/wineboot.log" 2>&1; then
    echo "wine cannot make its prefix: $(tail -n 5 "$folder/wineboot.log")" >&2
    return 1
  fi
}

wine_session_end() {
  wineserver -k 2>/dev/null
  [ -n "${WINE_XVFB_PID:-}" ] && kill "$WINE_XVFB_PID" 2>/dev/null
  WINE_XVFB_PID=""
  return 0
}
