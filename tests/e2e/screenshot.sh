#!/usr/bin/env bash
# Level 1's first picture, captured by the headless runner with the real
# assets: background, the 99 keys, no key on the start niche (side 22, where
# the player stands), twelve guards at their start ends, three life icons and
# the score line. Usage: screenshot.sh <tirlane> <tirlane-headless> <srcdir>
set -euo pipefail

headless="$(realpath "$2")"
assets="$(realpath "$3")/assets"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cp "$assets"/* "$work"/
cd "$work"
rm -f Score # no stored record: score and hiscore both 0

# Call 0 is the title, which Space leaves; call 1 prepares level 1 and draws
# nothing; call 2 draws and flips level 1's first frame.
printf '0 down 32\n' >keys.txt
"$headless" --calls 3 --input keys.txt --shot 2 level1.bmp
test -s level1.bmp || { echo "no screenshot written"; exit 1; }

python3 - level1.bmp <<'EOF'
import struct
import sys

GREEN = (0, 255, 0)


def read_bmp(path):
    """Rows of (r, g, b), top row first; 8, 24 or 32 bits, uncompressed or bit fields."""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    info = struct.unpack_from("<I", data, 14)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    top_down = height < 0
    height = abs(height)
    stride = (width * bits + 31) // 32 * 4
    palette = []
    if bits <= 8:
        used = struct.unpack_from("<I", data, 46)[0] or (1 << bits)
        for i in range(used):
            b, g, r = data[14 + info + 4 * i : 14 + info + 4 * i + 3]
            palette.append((r, g, b))
    masks = (0xFF0000, 0xFF00, 0xFF)
    if compression == 3:
        masks = struct.unpack_from("<III", data, 54 if info == 40 else 14 + 40)

    def channel(value, mask):
        shift = (mask & -mask).bit_length() - 1
        return (value & mask) >> shift

    rows = []
    for y in range(height):
        base = offset + (y if top_down else height - 1 - y) * stride
        row = []
        for x in range(width):
            if bits == 24:
                b, g, r = data[base + 3 * x : base + 3 * x + 3]
                row.append((r, g, b))
            elif bits == 32:
                v = struct.unpack_from("<I", data, base + 4 * x)[0]
                row.append(tuple(channel(v, m) for m in masks))
            elif bits == 8:
                row.append(palette[data[base + x]])
            else:
                sys.exit(f"{path}: {bits}-bit pictures are not read here")
        rows.append(row)
    return rows


shot = read_bmp(sys.argv[1])
if len(shot) != 480 or len(shot[0]) != 640:
    sys.exit(f"screenshot is {len(shot[0])}x{len(shot)}, not 640x480")
table = read_bmp("Table.bmp")
joueur = read_bmp("Joueur.bmp")
garde = read_bmp("Garde.bmp")
key = read_bmp("Cle1.bmp")

# The expected picture, layer by layer, with what each pixel belongs to.
# None: not known (a transparent pixel of the background shows whatever the
# back buffer held before).
expected = [[None] * 640 for _ in range(480)]
owner = [["background"] * 640 for _ in range(480)]
for y in range(480):
    for x in range(640):
        if table[y][x] != GREEN:
            expected[y][x] = table[y][x]


def blit(sprite, x0, y0, name, w=16, h=16):
    for y in range(h):
        for x in range(w):
            if sprite[y][x] != GREEN:
                expected[y0 + y][x0 + x] = sprite[y][x]
                owner[y0 + y][x0 + x] = name


for i, x in enumerate((293, 311, 329)):
    blit(joueur, x, 390, f"life icon {i + 1}")
# Every key side of level 1 but side 22, the top of cell (2, 2), taken at start.
for r in range(1, 6):
    for c in range(1, 6):
        b = 20 * (r - 1)
        for side, x, y in (
            (b + c, 96 * c + 24, 64 * r - 26),
            (b + 15 + c, 96 * c + 24, 64 * r + 6),
            (b + 4 + 2 * c, 96 * c - 8, 64 * r - 10),
            (b + 5 + 2 * c, 96 * c + 56, 64 * r - 10),
        ):
            if side != 22:
                blit(key, x, y, f"key of side {side}")
starts = [496, -16, -16, 496, 496, 496, 336, 336, 336, 336, -16, 336]
for g in range(1, 13):
    pos = starts[g - 1]
    if g <= 6:
        blit(garde, pos + 72, 64 * g - 42, f"guard {g}")
    else:
        blit(garde, 96 * g - 600, pos + 22, f"guard {g}")
blit(joueur, 144 + 72, 80 + 22, "player")

# The score line's numbers are checked by colour below, not pixel by pixel.
SCORE_ROWS = range(436, 470)
compared = 0
wrong = {}
for y in range(480):
    for x in range(640):
        if y in SCORE_ROWS or expected[y][x] is None:
            continue
        compared += 1
        if shot[y][x] != expected[y][x]:
            wrong.setdefault(owner[y][x], []).append((x, y, shot[y][x], expected[y][x]))

failed = False
if compared < 250000:
    print(f"only {compared} pixels could be compared; Table.bmp is mostly transparent?")
    failed = True
for name, pixels in sorted(wrong.items()):
    x, y, got, want = pixels[0]
    print(f"{name}: {len(pixels)} pixels differ, first at ({x},{y}): {got} instead of {want}")
    failed = True

# Side 22's niche end holds the player, and no key shows around it.
player_pixels = sum(
    1 for y in range(16) for x in range(16)
    if joueur[y][x] != GREEN and shot[102 + y][216 + x] == joueur[y][x])
key_pixels = sum(
    1 for y in range(16) for x in range(16)
    if joueur[y][x] == GREEN and key[y][x] != GREEN and shot[102 + y][216 + x] == key[y][x]
    and table[102 + y][216 + x] != key[y][x])
if player_pixels == 0 or key_pixels:
    print(f"side 22: {player_pixels} player pixels, {key_pixels} key pixels")
    failed = True


def count_colour(colour, x0, x1):
    return sum(1 for y in SCORE_ROWS for x in range(x0, x1) if shot[y][x] == colour)


# Score 0 in its colour at x = 170; hiscore 0, held by this game, at x = 463.
if count_colour((250, 80, 220), 170, 200) == 0:
    print("no score text at (170, 440)")
    failed = True
if count_colour((250, 50, 230), 463, 493) == 0 or count_colour((250, 50, 50), 463, 493):
    print("the hiscore at (463, 440) is not written in the record colour")
    failed = True

print(f"compared {compared} pixels")
sys.exit(1 if failed else 0)
EOF
