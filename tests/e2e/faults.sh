#!/usr/bin/env bash
# The whole game in a hostile folder: missing and garbage pictures, sounds and
# font, a "Score" that is a folder, a pipe, a link to a device or a loop, or
# sits in a folder the game may not write. Every run must end normally (exit
# status 0, no sanitizer report when the build has sanitizers), never hang,
# and leave the stored record as it was or replaced by a whole new one.
#   faults.sh <tirlane> <tirlane-headless> <source dir>
set -euo pipefail

game=$(realpath "$1")
headless=$(realpath "$2")
src=$(realpath "$3")
assets=$src/assets

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work" # the read-only case runs the game as another user
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Space on the title, Up from the start position into a niche (a key: 10
# points, so score and hiscore become 10), then Escape, which saves a record.
cat >"$work/keys.txt" <<'EOF'
5 down 32
7 up 32
10 down 38
100 up 38
300 down 27
EOF

# run_headless DIR [extra arguments]: the standard game in DIR, trace in
# DIR/trace.txt; any exit status but 0 (a hang ends at the time limit) fails.
run_headless() {
    local dir=$1
    shift
    local status=0
    (cd "$dir" && timeout 120 "$headless" --calls 400 --input "$work/keys.txt" --trace "$@" \
        >trace.txt 2>stderr.txt) || status=$?
    if ((status != 0)); then
        fail "$(basename "$dir"): tirlane-headless exit status $status"
        tail -20 "$dir/stderr.txt" >&2
        return 1
    fi
    return 0
}

# trace_has DIR PATTERN: the trace holds a line matching the pattern.
trace_has() {
    grep -Eq "$2" "$1/trace.txt"
}

# Counts the pixels that are not black in a 640 x 480 24-bit BMP screenshot.
lit_pixels() {
    python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
assert (width, abs(height), bits) == (640, 480, 24), (width, height, bits)
row = (width * 3 + 3) // 4 * 4
lit = 0
for y in range(abs(height)):
    line = data[offset + y * row: offset + y * row + width * 3]
    lit += sum(1 for x in range(0, len(line), 3) if line[x:x + 3] != b"\0\0\0")
print(lit)
EOF
}

# Garbage of one kind in place of a file: random, truncated copy of the real
# one, or a header that promises an enormous picture or sound.
make_garbage() {
    local kind=$1 name=$2 out=$3 seed=$4
    case $kind in
    random)
        python3 -c "import random,sys; r=random.Random($seed); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(r.randrange(1, 5000))))" >"$out"
        ;;
    truncated)
        local size
        size=$(stat -c %s "$assets/$name")
        head -c $((seed % (size > 1 ? size : 1))) "$assets/$name" >"$out"
        ;;
    huge)
        case $name in
        *.bmp) # 100000 x 100000 at 32 bits, then a few bytes of pixels
            python3 -c "import struct,sys; sys.stdout.buffer.write(b'BM'+struct.pack('<IHHI',54+64,0,0,54)+struct.pack('<IiiHHIIiiII',40,100000,100000,1,32,0,0,2835,2835,0,0)+bytes(64))" >"$out" ;;
        *.wav) # a format block and a data chunk that claim gigabytes
            python3 -c "import struct,sys; sys.stdout.buffer.write(b'RIFF'+struct.pack('<I',0xFFFFFFF0)+b'WAVEfmt '+struct.pack('<IHHIIHH',16,1,2,0x7FFFFFFF,0xFFFFFFFF,0xFFFF,16)+b'data'+struct.pack('<I',0xFFFFFFF0)+bytes(64))" >"$out" ;;
        *) # a font table directory claiming thousands of tables
            python3 -c "import struct,sys; sys.stdout.buffer.write(struct.pack('>IHHHH',0x00010000,0xFFFF,0,0,0)+bytes(64))" >"$out" ;;
        esac
        ;;
    esac
}

mapfile -t asset_files < <(cd "$assets" && ls -- *.bmp *.wav *.ttf 2>/dev/null)
if ((${#asset_files[@]} < 2)); then
    echo "faults: the assets folder holds no pictures or sounds" >&2
    exit 1
fi

# --- Every asset missing. Without the font nothing at all is drawn; with only
# the font, the texts (the score line in the level) are the only lit pixels.
# Both games still start.
mkdir "$work/none" "$work/font-only"
cp "$assets"/*.ttf "$work/font-only/"
for case in none font-only; do
    dir=$work/$case
    run_headless "$dir" --shot 3 title.bmp --shot 150 level.bmp || continue
    trace_has "$dir" '^call=150 .* screen=1 ' || fail "$case: Space did not start a game"
    for shot in title level; do
        lit=$(lit_pixels "$dir/$shot.bmp")
        if [[ $case == none && $lit != 0 ]]; then
            fail "$case: $lit lit pixels on the $shot screen with no asset at all"
        elif [[ $case == font-only && $shot == level && $lit == 0 ]]; then
            fail "$case: the score line shows no text"
        fi
    done
done

# --- Every asset replaced by garbage at once, one kind per run, in the
# headless runner and in the game itself (which also opens the sounds).
for kind in random truncated huge; do
    dir=$work/all-$kind
    mkdir "$dir"
    seed=1
    for name in "${asset_files[@]}"; do
        make_garbage "$kind" "$name" "$dir/$name" $((seed++ * 7919))
    done
    run_headless "$dir" || true
    status=0
    (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        timeout --preserve-status -s TERM 3 "$game" --window >game.txt 2>&1) || status=$?
    if ((status != 0)); then
        fail "all-$kind: tirlane exit status $status"
        tail -20 "$dir/game.txt" >&2
    fi
done

# --- Each asset alone replaced by garbage, the others real.
seed=11
for name in "${asset_files[@]}"; do
    for kind in random truncated; do
        dir=$work/one-$kind-$name
        mkdir "$dir"
        cp "$assets"/* "$dir/"
        make_garbage "$kind" "$name" "$dir/$name" $((seed++ * 104729))
        run_headless "$dir" && rm -rf "$dir"
    done
done

# --- A pipe in place of a picture, the font or a sound: opening it must not
# wait for a writer that never comes.
for name in Table.bmp font.ttf Cle.wav; do
    dir=$work/pipe-$name
    mkdir "$dir"
    cp "$assets"/* "$dir/"
    rm "$dir/$name"
    mkfifo "$dir/$name"
    run_headless "$dir" || continue
    status=0
    (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        timeout --preserve-status -s TERM 3 "$game" --window >game.txt 2>&1) || status=$?
    ((status == 0)) || fail "pipe-$name: tirlane exit status $status"
done

# --- "Score" in odd shapes. The record stays 0 in memory where nothing can be
# read, the game runs, and a save either fails quietly or puts a whole file
# in place of what was there; no temporary file is left behind.
score_case() {
    local name=$1 expect_after=$2 # expect_after: dir | file | same
    local dir=$work/score-$name
    run_headless "$dir" || return 0
    trace_has "$dir" '^call=0 .* hiscore=0 ' || fail "score-$name: the record did not load as 0"
    trace_has "$dir" '^save 10$' || fail "score-$name: Escape with a record made no save"
    case $expect_after in
    dir) [[ -d $dir/Score && ! -L $dir/Score ]] || fail "score-$name: the folder named Score is gone" ;;
    file)
        if [[ ! -f $dir/Score || -L $dir/Score || $(head -c 8 "$dir/Score" | tr -d '\0') != 28 ]]; then
            fail "score-$name: the save did not leave the 8-byte record of 10"
        fi
        ;;
    esac
    if compgen -G "$dir/Score.*" >/dev/null; then
        fail "score-$name: a temporary file was left: $(cd "$dir" && ls Score.*)"
    fi
}
mkdir -p "$work/score-folder/Score/inside" "$work/score-pipe" "$work/score-device" \
    "$work/score-loop" "$work/score-garbage"
mkfifo "$work/score-pipe/Score"
ln -s /dev/zero "$work/score-device/Score"
ln -s Score "$work/score-loop/Score"
python3 -c "import random,sys; r=random.Random(5); sys.stdout.buffer.write(bytes(r.choice(b'abc~!*/#\\0\\xff') for _ in range(4000)))" >"$work/score-garbage/Score"
score_case folder dir
score_case pipe file
score_case device file
score_case loop file
score_case garbage file
# A half-written record: its leading digits count ("29" loads as 10).
mkdir "$work/score-half"
printf '29' >"$work/score-half/Score"
if run_headless "$work/score-half"; then
    trace_has "$work/score-half" '^call=0 .* hiscore=10 ' || fail "score-half: '29' did not load as 10"
fi

# --- Saves that can never succeed: the record (a folder holds its name) and
# the replay (its folder is missing). The player hears of it once, with the
# file and the reason.
never=$work/score-never
mkdir -p "$never/Score"
status=0
(cd "$never" && timeout 120 "$headless" --calls 400 --input "$work/keys.txt" --trace \
    --write-replay missing/replay.txt >trace.txt 2>stderr.txt) || status=$?
if ((status != 1)); then
    fail "score-never: exit status $status where an unwritable replay gives 1"
else
    trace_has "$never" '^save 10$' || fail "score-never: Escape with a record made no save"
    said=$(grep '^tirlane: ' "$never/stderr.txt" || true)
    [[ $said == "tirlane: cannot save Score: Is a directory" ]] ||
        fail "score-never: not one line naming the record and the reason: $said"
    grep -q "cannot write replay 'missing/replay.txt'" "$never/stderr.txt" ||
        fail "score-never: the replay's save did not fail as it should"
fi

# --- A folder the game may not write: the record of 0 on disk stays, the
# new record of 10 lives on in memory, and the game ends normally. The same
# keys in a writable folder do save 10, so the check below can fail.
ro=$work/score-readonly
mkdir "$ro"
printf -- '-2\0\0\0\0\0\0' >"$ro/Score"
chmod 644 "$ro/Score"
chmod 555 "$ro"
as_other=()
if (($(id -u) == 0)); then
    if command -v setpriv >/dev/null; then
        as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    else
        echo "faults: skipping the read-only folder (root without setpriv)"
        ro=
    fi
fi
if [[ -n $ro ]]; then
    # The other user may not enter the folders the build lies in (a clone
    # under a home only its owner can enter): it runs a copy of the runner.
    cp "$headless" "$work/tirlane-headless"
    chmod 755 "$work/tirlane-headless"
    chmod 644 "$work/keys.txt"
    status=0
    (cd "$ro" && timeout 120 "${as_other[@]}" "$work/tirlane-headless" --calls 400 --input "$work/keys.txt" \
        --trace >"$work/ro-trace.txt" 2>"$work/ro-stderr.txt") || status=$?
    if ((status != 0)); then
        fail "score-readonly: exit status $status"
        tail -20 "$work/ro-stderr.txt" >&2
    fi
    grep -q '^save 10$' "$work/ro-trace.txt" || fail "score-readonly: no save was tried"
    grep -Eq '^call=299 .* hiscore=10 ' "$work/ro-trace.txt" ||
        fail "score-readonly: the record of 10 did not stay in memory"
    [[ $(od -An -c "$ro/Score" | tr -d ' \n') == '-2\0\0\0\0\0\0' ]] ||
        fail "score-readonly: the stored record changed"
    [[ $(ls "$ro") == Score ]] || fail "score-readonly: the folder changed: $(ls "$ro")"
fi

if ((failures > 0)); then
    echo "faults: $failures failure(s)" >&2
    exit 1
fi
echo "faults: every hostile folder ran to a normal end"
