#!/usr/bin/env bash
# The Windows zip under Wine, against the Linux build:
#   - the zip holds the game, its files, README.txt and the licences, and
#     tirlane.exe carries its icon and version and needs no DLL beyond
#     Windows' own;
#   - the headless runner plays the committed winning and losing games with
#     the same trace, the same pictures and the same "Score" bytes as the
#     Linux runner, also over a "Score" an earlier game left;
#   - a save killed at a random moment leaves one whole record;
#   - tirlane.exe on Xvfb shows the title and, after Space, level 1, both as
#     the Linux runner draws them; Escape ends it and keeps the record in
#     the Wine profile's application-data folder;
#   - a start-up failure shows a message box as well as its line;
#   - unpacked in a folder named with accents and a non-Latin script,
#     tirlane.exe finds its pictures.
#
# usage: tests/windows/run.sh <zip> <Windows build folder> <Linux tirlane-headless>
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ $# -eq 3 ] || fail "usage: run.sh <zip> <Windows build folder> <Linux tirlane-headless>"
ZIP=$(realpath "$1")
WINBUILD=$(realpath "$2")
LINUX_RUNNER=$(realpath "$3")
SRC=$(cd "$(dirname "$0")/../.." && pwd)
"$SRC/tools/install-deps.sh" wine wine64 xvfb xdotool imagemagick unzip icoutils binutils-mingw-w64-x86-64

# The game picks its own video and audio, as on a player's machine (the test
# run sets SDL's dummy drivers for the Linux suite).
unset SDL_VIDEODRIVER SDL_AUDIODRIVER

WORK=$(mktemp -d /tmp/tirlane-windows-XXXXXX)
export LC_ALL=C
source "$SRC/tools/windows/wine-session.sh"
GAME_PID=""
cleanup() {
    set +e
    [ -n "$GAME_PID" ] && kill -9 "$GAME_PID" 2>/dev/null
    wine_session_end
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
wine_session_start "$WORK" 2>"$WORK/session.err" || fail "$(cat "$WORK/session.err")"

# --- The zip ------------------------------------------------------------------
name=$(basename "$ZIP" .zip)
GAME_DIR="$WINEPREFIX/drive_c/Games/$name"
mkdir -p "$WINEPREFIX/drive_c/Games"
unzip -q "$ZIP" -d "$WINEPREFIX/drive_c/Games" || fail "cannot unpack $ZIP"
{
    printf '%s\n' tirlane.exe README.txt LICENSE.txt licences/README.txt
    for l in SDL2 SDL2_ttf SDL2_mixer FreeType MinGW-w64-runtime GCC-runtime; do echo "licences/$l.txt"; done
    find "$SRC/assets" -maxdepth 1 -type f -printf '%f\n'
} | sort >"$WORK/expected"
(cd "$GAME_DIR" && find . -type f | sed 's|^\./||' | sort) >"$WORK/packed"
diff "$WORK/expected" "$WORK/packed" >"$WORK/zipdiff" || fail "the zip's files differ from the list (< wanted, > packed): $(cat "$WORK/zipdiff")"

# Windows' own DLLs, which every Windows has.
system_dlls="advapi32 cfgmgr32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 setupapi shell32 user32 version winmm"
dlls_of() {
    x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//'
}
for exe in "$GAME_DIR/tirlane.exe" "$WINBUILD/tirlane-headless.exe"; do
    dlls=$(dlls_of "$exe")
    [ -n "$dlls" ] || fail "$(basename "$exe"): objdump lists no DLL"
    for dll in $dlls; do
        [[ " $system_dlls " == *" $dll "* ]] || fail "$(basename "$exe") needs $dll.dll, which Windows does not have"
    done
done
# Icon (RT_GROUP_ICON 14), version (RT_VERSION 16) and manifest (RT_MANIFEST 24).
resources=$(wrestool -l "$GAME_DIR/tirlane.exe")
for type in 14 16 24; do
    grep -q -- "--type=$type " <<<"$resources" || fail "tirlane.exe has no resource of type $type: $resources"
done
# The icon's pictures are those of dist/icons/tirlane.ico, every size.
mkdir -p "$WORK/icon/exe" "$WORK/icon/asset" "$WORK/icon/exe.png" "$WORK/icon/asset.png"
wrestool -x --type=14 "$GAME_DIR/tirlane.exe" >"$WORK/icon/exe/tirlane.ico"
cp "$SRC/dist/icons/tirlane.ico" "$WORK/icon/asset/"
icotool -x -o "$WORK/icon/exe.png" "$WORK/icon/exe/tirlane.ico"
icotool -x -o "$WORK/icon/asset.png" "$WORK/icon/asset/tirlane.ico"
[ -n "$(ls "$WORK/icon/asset.png")" ] && diff -r "$WORK/icon/exe.png" "$WORK/icon/asset.png" >/dev/null ||
    fail "tirlane.exe's icon is not dist/icons/tirlane.ico: $(icotool -l "$WORK/icon/exe/tirlane.ico")"
version=$(sed -n 's/^tirlane-\(.*\)-win64$/\1/p' <<<"$name")
wrestool -x --raw --type=16 "$GAME_DIR/tirlane.exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\0' |
    grep -q "ProductVersion$version" || fail "tirlane.exe's version information does not say $version"
echo "ok: $name holds $(wc -l <"$WORK/packed") files; tirlane.exe needs only $(dlls_of "$GAME_DIR/tirlane.exe" | paste -sd,) and has its icon and version"

# --- The committed games, Linux against Windows -------------------------------
# The call and flip counts are written in the header of each game.
header() { sed -n "1s/.* $2 \\([0-9][0-9]*\\).*/\\1/p" "$1"; }

# play GAME FOLDER RUNNER...: runs a committed game in FOLDER with pictures
# taken along the way (the first frame, one halfway through the calls, one
# three quarters through the flips: most flips are in sequences) and writes
# its replay.
play() {
    local game=$1 folder=$2 calls flips
    shift 2
    calls=$(header "$game" calls)
    flips=$(header "$game" flips)
    [ -n "$calls" ] && [ -n "$flips" ] || fail "$(basename "$game"): no call and flip counts in its header"
    mkdir -p "$folder"
    (cd "$folder" && "$@" --calls "$calls" --input "$game" --trace --shot 0 title.bmp \
        --shot $((calls / 2)) play.bmp --shot-flip $((flips * 3 / 4)) flip.bmp \
        --write-replay replay.txt >trace) ||
        fail "$(basename "$game"): the runner failed in $folder"
}

# same_run LABEL A B: the two folders hold the same trace, pictures, replay
# and Score.
same_run() {
    local file
    for file in trace Score title.bmp play.bmp flip.bmp replay.txt; do
        [ -f "$2/$file" ] || fail "$1: no $file from $(basename "$2")"
        cmp -s "$2/$file" "$3/$file" || fail "$1: $file differs between Linux and Windows: $(cmp "$2/$file" "$3/$file")"
    done
}

for game in win lose; do
    for side in linux windows; do
        mkdir -p "$WORK/$game-$side"
        cp "$SRC"/assets/*.* "$WORK/$game-$side"/
    done
    play "$SRC/tests/data/$game.txt" "$WORK/$game-linux" "$LINUX_RUNNER"
    play "$SRC/tests/data/$game.txt" "$WORK/$game-windows" wine "$WINBUILD/tirlane-headless.exe"
    same_run "$game" "$WORK/$game-linux" "$WORK/$game-windows"
    echo "ok: $game: $(grep -c '^call=' "$WORK/$game-windows/trace") calls, trace, pictures, replay and Score the same"
done
# The replay the Linux runner wrote plays back to the same end on Windows.
mkdir -p "$WORK/replay"
cp "$SRC"/assets/*.* "$WORK/replay"/
(cd "$WORK/replay" && wine "$WINBUILD/tirlane-headless.exe" --replay "$WORK/win-linux/replay.txt" >/dev/null 2>"$WORK/replay.err") ||
    fail "the winning game's Linux replay does not play back on Windows: $(cat "$WORK/replay.err")"
echo "ok: the Linux runner's replay of the winning game plays back on Windows"
# The winning game in the losing game's folder: its saves replace a Score
# that holds another record (msvcrt's rename would refuse to).
cmp -s "$WORK/lose-windows/Score" "$WORK/win-windows/Score" &&
    fail "the two games leave the same record; the test needs two different ones"
for side in linux windows; do
    cp -r "$WORK/lose-$side" "$WORK/both-$side"
    rm -f "$WORK/both-$side"/*.bmp "$WORK/both-$side/trace"
done
play "$SRC/tests/data/win.txt" "$WORK/both-linux" "$LINUX_RUNNER"
play "$SRC/tests/data/win.txt" "$WORK/both-windows" wine "$WINBUILD/tirlane-headless.exe"
same_run "win after lose" "$WORK/both-linux" "$WORK/both-windows"
cmp -s "$WORK/both-windows/Score" "$WORK/win-windows/Score" || fail "win after lose: the record is not the winning game's"
echo "ok: the winning game saved over the losing game's record: the same trace and Score"

# --- A save killed at a random moment -----------------------------------------
# 990 and 27800 are stored as "2968" and "83398": texts of different lengths.
KILLS=20
kill_dir="$WORK/kills"
mkdir -p "$kill_dir"
landed_990=0
landed_27800=0
for round in $(seq "$KILLS"); do
    (cd "$kill_dir" && exec wine "$WINBUILD/tirlane-save-loop.exe" 990 27800 >"$WORK/loop.out" 2>/dev/null) &
    GAME_PID=$!
    for _ in $(seq 200); do
        grep -q '^ready' "$WORK/loop.out" 2>/dev/null && break
        sleep 0.05
    done
    grep -q '^ready' "$WORK/loop.out" || fail "kill $round: the save loop never got going"
    one_save=$(sed -n 's/^ready \([0-9]*\).*/\1/p' "$WORK/loop.out")
    # Somewhere over the next few saves.
    sleep "$(awk -v us="$one_save" -v r="$RANDOM" 'BEGIN { printf "%.6f", (r % 4000) / 1000 * us / 1e6 }')"
    kill -9 "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null || true
    GAME_PID=""
    [ "$(stat -c %s "$kill_dir/Score")" = 8 ] || fail "kill $round: Score is $(stat -c %s "$kill_dir/Score") bytes"
    case "$(od -An -c "$kill_dir/Score" | tr -s ' ')" in
        " 2 9 6 8 \0 \0 \0 \0") landed_990=$((landed_990 + 1)) ;;
        " 8 3 3 9 8 \0 \0 \0") landed_27800=$((landed_27800 + 1)) ;;
        *) fail "kill $round: Score is torn: $(od -An -c "$kill_dir/Score")" ;;
    esac
done
# Both records land: every save replaces the last one, not just the first.
[ $landed_990 -gt 0 ] && [ $landed_27800 -gt 0 ] ||
    fail "after $KILLS kills Score held only one record ($landed_990 x 990, $landed_27800 x 27800): saves stopped replacing it"
echo "ok: $KILLS saves killed midway (one save takes ${one_save} us): $landed_990 left 990, $landed_27800 left 27800, none torn"

# --- tirlane.exe in a window ------------------------------------------------
# What the Linux runner shows: the title, and level 1 after a Space press.
reference="$WORK/reference"
mkdir -p "$reference"
cp "$SRC"/assets/*.* "$reference"/
printf '5 down 32\n12 up 32\n' >"$reference/space.txt"
(cd "$reference" && "$LINUX_RUNNER" --calls 40 --input space.txt --shot 0 title.bmp --shot 30 level1.bmp >/dev/null) ||
    fail "the Linux runner cannot draw the reference pictures"

# Starts tirlane.exe as a double-click does, in its own folder, and waits
# for its window (or its message box: both are titled Tirlane).
start_game() {
    (cd "$GAME_DIR" && exec env "$@" timeout 120 wine tirlane.exe >"$WORK/game.out" 2>"$WORK/game.err") &
    GAME_PID=$!
    timeout 30 xdotool search --sync --onlyvisible --name '^Tirlane$' >"$WORK/window" 2>/dev/null ||
        fail "no window titled Tirlane appeared: $(grep -v '^ALSA' "$WORK/game.err")"
}

# The reason the game gave for not starting, if it gave one.
complaint() { grep '^tirlane: ' "$WORK/game.err" || true; }

expect_exit() {
    local want=$1 waited=0 status=0
    while kill -0 "$GAME_PID" 2>/dev/null; do
        [ $waited -ge 150 ] && fail "tirlane.exe did not end within 15 s"
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$GAME_PID" || status=$?
    GAME_PID=""
    [ "$status" = "$want" ] || fail "tirlane.exe ended with status $status, not $want"
}

# Pixels that differ between the screen and a picture, outside the title's
# miniature when asked (its figures move on their own).
differing() {
    local mask=()
    [ "${3:-}" = miniature ] && mask=(-fill black -draw "rectangle 238,8 400,129")
    convert "$1" "${mask[@]}" "$WORK/a.png"
    convert "$2" "${mask[@]}" "$WORK/b.png"
    compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true
}

# await PICTURE [miniature]: waits until the screen shows the picture exactly.
await() {
    local diff=""
    for _ in $(seq 40); do
        timeout 20 import -window root -depth 8 "ppm:$WORK/shot.ppm" 2>/dev/null
        diff=$(differing "$WORK/shot.ppm" "$1" "${2:-}")
        [ "$diff" = 0 ] && return 0
        sleep 0.5
    done
    echo "$diff pixels differ" >"$WORK/await"
    return 1
}

press() {
    timeout 5 xdotool keydown "$1"
    sleep 0.3
    timeout 5 xdotool keyup "$1"
}

start_game
await "$reference/title.bmp" miniature ||
    fail "the title is not on the screen as the runner draws it ($(cat "$WORK/await")) $(complaint)"
press space
await "$reference/level1.bmp" || fail "Space did not lead into level 1 as the runner draws it ($(cat "$WORK/await"))"
press Escape
expect_exit 0
record="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/tirlane/Score"
[ -f "$record" ] || fail "Escape kept no record in the profile: $(find "$WINEPREFIX/drive_c/users" -name 'Score*')"
od -An -c "$record" | tr -s ' ' | grep -qx ' - 2 \\0 \\0 \\0 \\0 \\0 \\0' || fail "the record is not the one of score 0: $(od -An -c "$record")"
(cd "$GAME_DIR" && find . -type f | sed 's|^\./||' | sort) | cmp -s - "$WORK/packed" ||
    fail "the game wrote into its own folder: $(cd "$GAME_DIR" && find . -newer tirlane.exe -type f)"
# The window game's own replay of that run plays back to the same end on Linux.
replay_file="$(dirname "$record")/last.replay"
[ -f "$replay_file" ] || fail "the window game wrote no last.replay beside the record"
mkdir -p "$WORK/window-replay"
cp "$SRC"/assets/*.* "$WORK/window-replay"/
(cd "$WORK/window-replay" && "$LINUX_RUNNER" --replay "$replay_file" >/dev/null 2>"$WORK/window-replay.err") ||
    fail "tirlane.exe's replay does not play back on Linux: $(cat "$WORK/window-replay.err")"
echo "ok: tirlane.exe showed the title and level 1 pixel for pixel, Escape kept the record in AppData\\Roaming\\tirlane, and its replay plays back on Linux"

# A start-up failure: the line on standard error, and a message box.
start_game SDL_VIDEODRIVER=nosuchdriver
grep -q '^tirlane: cannot open the display: ' "$WORK/game.err" ||
    fail "no reason on standard error: $(grep -v '^ALSA' "$WORK/game.err")"
timeout 5 xdotool windowfocus --sync "$(head -n 1 "$WORK/window")" 2>/dev/null || true
timeout 5 xdotool key Return
expect_exit 1
echo "ok: a start-up failure says why in a message box: $(grep '^tirlane:' "$WORK/game.err")"

# --- The game unpacked in a folder named with accents and a non-Latin script:
# every picture is opened by its full name, which only a wide name reaches on
# every Windows whatever its code page. The title must show as the runner
# draws it, and Escape must end the game normally.
accented="$WINEPREFIX/drive_c/Jeu été/游戏"
mkdir -p "$accented"
cp -r "$GAME_DIR" "$accented/"
(cd "$accented/$name" && find . -type f | sed 's|^\./||' | sort) | cmp -s - "$WORK/packed" ||
    fail "the copy in $accented is not the unpacked game"
plain_dir=$GAME_DIR
GAME_DIR="$accented/$name"
start_game LC_ALL=C.UTF-8
await "$reference/title.bmp" miniature ||
    fail "unpacked in '$accented': the title is not on the screen as the runner draws it ($(cat "$WORK/await")) $(complaint)"
press Escape
expect_exit 0
GAME_DIR=$plain_dir
echo "ok: unpacked in 'C:\\Jeu été\\游戏', tirlane.exe found its pictures and showed the title pixel for pixel"

echo "windows: all passed"
