#!/usr/bin/env bash
# The game installed like any desktop program:
#   - `cmake --install` into a temporary prefix puts the game, its data, the
#     menu entry, icons, AppStream metadata, manual page and docs in place,
#     and the validators accept them;
#   - the installed game, started from an unrelated folder with a fresh home
#     under Xvfb, shows the real title, plays, and on Escape keeps the record
#     in $XDG_DATA_HOME/tirlane/Score, writing nothing to the working folder
#     or the prefix;
#   - the same once the prefix has been moved, and from the Debian package
#     unpacked by dpkg-deb -x, which lintian accepts.
# Usage: install.sh <tirlane> <tirlane-headless> <source dir>
set -u

GAME=$(realpath "$1")
HEADLESS=$(realpath "$2")
SRC=$(realpath "$3")
BUILD=$(dirname "$GAME")
TOOLS="$SRC/tests/e2e/window_tools.py"
APP_ID=org.tirlane.Tirlane

source "$SRC/tests/e2e/window_test.bash"
need_tools cmake cpack dpkg-deb Xvfb xdotool import python3 timeout desktop-file-validate \
    appstreamcli lintian
make_work install

# --- Installing, and what was installed.
PREFIX="$WORK/prefix"
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 ||
    fail "cmake --install failed: $(tail -5 "$WORK/install.log")"

[ -x "$PREFIX/bin/tirlane" ] || fail "no bin/tirlane"
[ "$(ls "$PREFIX/bin")" = tirlane ] || fail "bin/ holds more than the game: $(ls "$PREFIX/bin")"
data="$PREFIX/share/tirlane"
[ "$(ls "$data"/*.bmp | wc -l)" -eq 26 ] || fail "share/tirlane does not hold the 26 pictures"
[ "$(ls "$data"/*.wav | wc -l)" -eq 7 ] || fail "share/tirlane does not hold the 7 sounds"
for f in font.ttf font-LICENSE.txt; do [ -f "$data/$f" ] || fail "share/tirlane/$f is missing"; done
for f in README.md LICENSE copyright font-LICENSE.txt; do
    [ -f "$PREFIX/share/doc/tirlane/$f" ] || fail "share/doc/tirlane/$f is missing"
done
for size in 16 32 48 64 128 256; do
    icon="$PREFIX/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
    [ "$(python3 "$TOOLS" pngsize "$icon")" = "$size $size" ] || fail "$icon is not a $size x $size PNG"
done
desktop-file-validate "$PREFIX/share/applications/$APP_ID.desktop" >"$WORK/desktop.txt" 2>&1
[ ! -s "$WORK/desktop.txt" ] || fail "desktop-file-validate: $(cat "$WORK/desktop.txt")"
appstreamcli validate --no-net "$PREFIX/share/metainfo/$APP_ID.metainfo.xml" >"$WORK/appstream.txt" 2>&1 ||
    fail "appstreamcli validate: $(cat "$WORK/appstream.txt")"
man_page="$PREFIX/share/man/man6/tirlane.6"
if command -v mandoc >/dev/null; then
    mandoc -T lint -W warning "$man_page" >"$WORK/man.txt" 2>&1 || true
else
    groff -ww -z -man "$man_page" >"$WORK/man.txt" 2>&1 || true
fi
[ ! -s "$WORK/man.txt" ] || fail "the manual page has warnings: $(cat "$WORK/man.txt")"
MANWIDTH=80 man -l "$man_page" 2>/dev/null | grep -q 'XDG_DATA_HOME' || fail "man -l does not render the page"
echo "ok: installed files in place; desktop entry, metainfo and manual page validated"

# --- Started where neither the working folder nor the build's prefix holds
# the pictures: one line says where the game looked, and it plays on without
# them. The working folder is not the game's: a stray picture and a file of
# the player's named Score there are left alone, the record going to the
# player's data folder.
lost="$WORK/lost"
mkdir "$lost"
printf 'my own notes' >"$lost/Score"
cp "$SRC/assets/S.bmp" "$lost/"
status=0
(cd "$lost" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$lost/data" \
    timeout --preserve-status -s TERM 2 "$GAME" --window >stdout.txt 2>stderr.txt) || status=$?
[ $status -eq 0 ] || fail "without pictures: exit status $status"
[ "$(wc -l <"$lost/stderr.txt")" -eq 1 ] &&
    grep -q "^tirlane: no game pictures found in $lost/ nor in $(dirname "$BUILD")/share/tirlane/; playing without them\$" "$lost/stderr.txt" ||
    fail "without pictures: unclear message: $(cat "$lost/stderr.txt")"
[ "$(cat "$lost/Score")" = "my own notes" ] || fail "without pictures: the player's own Score was overwritten"
[ -f "$lost/data/tirlane/Score" ] || fail "without pictures: the record was not kept in the player's data folder"
echo "ok: without pictures: $(cat "$lost/stderr.txt")"

# --- A virtual screen, its number chosen by the server itself.
start_screen

# The runner's first title frame, the picture the installed game must show.
mkdir "$WORK/reference"
cp "$SRC"/assets/*.bmp "$SRC"/assets/font.ttf "$WORK/reference/"
(cd "$WORK/reference" && "$HEADLESS" --calls 1 --shot 0 title.bmp) || fail "the runner failed"

shot() { timeout 20 import -window root -depth 8 "ppm:$1" 2>/dev/null; }

press() {
    timeout 5 xdotool keydown "$1"
    sleep "${2:-0.2}"
    timeout 5 xdotool keyup "$1"
}

# A listing of a folder tree with sizes and times, to see that nothing changed.
snapshot() { find "$1" -printf '%p %s %T@\n' | sort; }

# play_installed LABEL BINARY ROOT [rival]: the installed game from an
# unrelated folder with a fresh home: the title, Space, Up into the niche
# above the start (a key: 10 points), Escape; the record of 10 ("28") must be
# in the data home, with record.replay beside it. With "rival", another game
# stores a record of 27800 ("83398") just before Escape: that record stays,
# and this run, which did not keep the record, writes no record.replay.
play_installed() {
    local label=$1 binary=$2 root=$3 rival=${4:-}
    local run="$WORK/run-$label"
    mkdir -p "$run/cwd" "$run/home" "$run/data"
    snapshot "$root" >"$run/before.txt"
    (cd "$run/cwd" && exec env -u XDG_DATA_DIRS HOME="$run/home" XDG_DATA_HOME="$run/data" \
        SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 60 "$binary" \
        >"$run/stdout" 2>"$run/stderr") &
    GAME_PID=$!
    timeout 20 xdotool search --sync --onlyvisible --name '^Tirlane$' >/dev/null 2>&1 ||
        fail "$label: no window appeared ($(cat "$run/stderr"))"
    local shown=no
    for _ in $(seq 20); do
        shot "$run/title.ppm"
        if python3 "$TOOLS" same "$run/title.ppm" "$WORK/reference/title.bmp" >"$run/same.txt"; then
            shown=yes
            break
        fi
        sleep 0.25
    done
    [ $shown = yes ] || fail "$label: the title is not the runner's title: $(cat "$run/same.txt")"
    press space
    sleep 1
    press Up 1.5
    local record='28\0\0\0\0\0\0' kept="Score last.replay record.replay "
    if [ -n "$rival" ]; then
        record='83398\0\0\0'
        kept="Score last.replay "
        mkdir -p "$run/data/tirlane"
        printf "$record" >"$run/data/tirlane/Score"
    fi
    press Escape
    for _ in $(seq 100); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    wait "$GAME_PID"
    local status=$?
    GAME_PID=""
    [ $status -eq 0 ] || fail "$label: exit status $status ($(cat "$run/stderr"))"
    [ ! -s "$run/stderr" ] || fail "$label: the game complained: $(cat "$run/stderr")"
    cmp -s "$run/data/tirlane/Score" <(printf "$record") ||
        fail "$label: \$XDG_DATA_HOME/tirlane/Score is not the record $record: $(od -c "$run/data/tirlane/Score" 2>&1 | head -n 1)"
    [ "$(ls -A "$run/data/tirlane" | tr '\n' ' ')" = "$kept" ] ||
        fail "$label: the data folder holds $(ls -A "$run/data/tirlane")"
    [ -z "$(ls -A "$run/cwd")" ] || fail "$label: the working folder got $(ls -A "$run/cwd")"
    [ -z "$(ls -A "$run/home")" ] || fail "$label: the home folder got $(ls -A "$run/home")"
    snapshot "$root" | cmp -s - "$run/before.txt" || fail "$label: the installation changed"
    echo "ok: $label: the title with its pictures, a key taken, the record in \$XDG_DATA_HOME/tirlane/Score"
}

play_installed prefix "$PREFIX/bin/tirlane" "$PREFIX"

# --- The prefix moved as a whole.
mv "$PREFIX" "$WORK/moved"
play_installed moved "$WORK/moved/bin/tirlane" "$WORK/moved" rival

# --- The Debian package.
(cd "$BUILD" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.log" 2>&1) ||
    fail "cpack -G DEB failed: $(tail -5 "$WORK/cpack.log")"
deb=$(ls "$WORK"/package/tirlane_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "cpack made no tirlane_<version>_<arch>.deb"
dpkg-deb -f "$deb" Section | grep -qx games || fail "the package's section is not games"
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2-2.0-0' || fail "the Depends line lacks SDL: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -c "$deb" | grep -q 'usr/share/tirlane/font.ttf' && fail "the package ships a second copy of the font"
lintian --fail-on error,warning "$deb" >"$WORK/lintian.txt" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$WORK/lintian.txt")"
echo "ok: $(basename "$deb"): lintian accepts it; Depends: $(dpkg-deb -f "$deb" Depends)"

dpkg-deb -x "$deb" "$WORK/root"
play_installed package "$WORK/root/usr/games/tirlane" "$WORK/root"

echo "install.sh: all passed"
