"""Table.bmp: the playing screen's background.

The board lines up with the game's geometry: a figure at playfield (x, y) is
drawn at screen (x + 72, y + 22). Corridors are 16 pixels wide, every 96
pixels across and every 64 down; each box between them is four stone corner
blocks around a plus-shaped gap (four niches and the centre, where an opened
box shows its jewel). Guards rest in alcoves of the outer wall, one figure
beyond the outer corridors. Below the board: the life icons, the light banner
strip and the dark score line."""

import random

from canvas import Canvas
from palette import NIGHT, SAND, shade
from stone import floor_tile, gold_frame, stone_block

ORIGIN_X, ORIGIN_Y = 72, 22
BOARD_X0, BOARD_Y0, BOARD_X1, BOARD_Y1 = 72, 22, 567, 357  # corridors included
RING_X0, RING_Y0, RING_X1, RING_Y1 = 56, 6, 583, 373  # where the guards rest

LIVES_Y = 390
BANNER_Y0, BANNER_Y1 = 410, 434
SCORE_Y0, SCORE_Y1 = 436, 460


def box_origin(c, r):
    return 96 * c - 8, 64 * r - 26


def draw_box(cv, c, r, rng, solid):
    bx, by = box_origin(c, r)
    for dx, dy in ((0, 0), (48, 0), (0, 32), (48, 32)):
        stone_block(cv, bx + dx, by + dy, bx + dx + 31, by + dy + 15, rng, solid=solid)
    # the niches: floor in the box's shade
    for nx, ny in ((32, 0), (32, 32), (0, 16), (64, 16)):
        floor_tile(cv, bx + nx, by + ny, rng, darker=1)
    draw_vault(cv, bx + 16, by + 16)


def draw_vault(cv, x0, y0):
    """The inside of a box, between the side niches: a sunken chamber whose
    centre carries a gold inlay, where the jewel of an opened box is shown."""
    for dy in range(16):
        for dx in range(48):
            if dy == 0 or (dx == 0 and dy < 15):
                ch = "1"
            elif dy == 15:
                ch = "3"
            else:
                ch = "2"
            cx, cy = dx - 16, dy
            d = abs(cx - 7.5) + abs(cy - 7.5)
            if 0 <= cx < 16:
                if 4 <= d <= 5:
                    ch = "o" if cx + cy < 15 else "g"
                elif d < 1.5:
                    ch = "y"
            cv.set(x0 + dx, y0 + dy, ch)


def draw_floor(cv, rng):
    for j in range(6):
        for k in range(31):
            floor_tile(cv, ORIGIN_X + 16 * k, ORIGIN_Y + 64 * j, rng)
    for m in range(6):
        for k in range(21):
            floor_tile(cv, ORIGIN_X + 96 * m, ORIGIN_Y + 16 * k, rng)
    # the alcoves where the guards wait
    for j in range(6):
        floor_tile(cv, RING_X0, ORIGIN_Y + 64 * j, rng, darker=1)
        floor_tile(cv, RING_X1 - 15, ORIGIN_Y + 64 * j, rng, darker=1)
    for m in range(6):
        floor_tile(cv, ORIGIN_X + 96 * m, RING_Y0, rng, darker=1)
        floor_tile(cv, ORIGIN_X + 96 * m, RING_Y1 - 15, rng, darker=1)


def draw_ring(cv, rng, solid):
    """The outer wall around the corridors, cut by the guards' alcoves."""
    for c in range(5):
        x = 88 + 96 * c
        stone_block(cv, x, RING_Y0, x + 79, RING_Y0 + 15, rng, base="3", solid=solid)
        stone_block(cv, x, RING_Y1 - 15, x + 79, RING_Y1, rng, base="3", solid=solid)
    for r in range(5):
        y = 38 + 64 * r
        stone_block(cv, RING_X0, y, RING_X0 + 15, y + 47, rng, base="3", solid=solid)
        stone_block(cv, RING_X1 - 15, y, RING_X1, y + 47, rng, base="3", solid=solid)
    for x, y in ((RING_X0, RING_Y0), (RING_X1 - 15, RING_Y0), (RING_X0, RING_Y1 - 15),
                 (RING_X1 - 15, RING_Y1 - 15)):
        stone_block(cv, x, y, x + 15, y + 15, rng, base="3", solid=solid)
        stud(cv, x + 5, y + 5)


def stud(cv, x, y):
    """A small gold boss, 6 x 6."""
    rows = [".kkkk.", "kYyygk", "kyyygk", "kyygok", "kggook", ".kkkk."]
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch != ".":
                cv.set(x + dx, y + dy, ch)


def cast_shadows(cv, solid):
    """Blocks throw a short shadow down and to the right onto the floor."""
    for y in range(RING_Y0, RING_Y1 + 1):
        for x in range(RING_X0, RING_X1 + 1):
            if (x, y) in solid:
                continue
            ch = cv.get(x, y)
            if ch not in SAND:
                continue
            if (x - 1, y - 1) in solid or (x - 1, y) in solid or (x, y - 1) in solid:
                cv.set(x, y, shade(SAND, ch, -2))
            elif (x - 2, y - 2) in solid or (x - 2, y - 1) in solid or (x - 1, y - 2) in solid:
                cv.set(x, y, shade(SAND, ch, -1))


def draw_wall_backdrop(cv, rng, x0, y0, x1, y1):
    """Dark masonry outside the board."""
    for y in range(y0, y1 + 1):
        course = (y - y0) // 12
        for x in range(x0, x1 + 1):
            joint = (y - y0) % 12 == 11 or (x + 13 * course) % 24 == 23
            n = rng.random()
            if joint:
                ch = "l"
            else:
                ch = "1" if n < 0.25 else "h"
            cv.set(x, y, ch)


def draw_pillar(cv, x0, rng, top=4, bottom=365):
    """A stone pillar with a gold capital and base, set with gems, 36 wide."""
    x1 = x0 + 35
    for y in range(top + 10, bottom + 1):
        for x in range(x0 + 3, x1 - 2):
            t = (x - x0 - 3) / (x1 - x0 - 6)
            ch = "2" if t < 0.12 or t > 0.85 else "3" if t < 0.3 or t > 0.7 else "4"
            if (x - x0) % 6 == 0 and 0.1 < t < 0.9:
                ch = shade("123456", ch, -1)
            if t < 0.45 and (x - x0) % 6 == 2 and ch != "2":
                ch = shade("123456", ch, 1)
            cv.set(x, y, ch)
        cv.set(x0 + 2, y, "k")
        cv.set(x1 - 2, y, "k")
    for y0 in (top, bottom - 13):
        gold_frame(cv, x0, y0, x1, y0 + 13, width=3)
        cv.rect(x0 + 3, y0 + 3, x1 - 3, y0 + 10, "y")
        cv.hline(x0 + 3, x1 - 3, y0 + 3, "Y")
        cv.hline(x0 + 3, x1 - 3, y0 + 10, "g")
        for x in range(x0 + 5, x1 - 4, 4):
            cv.vline(x, y0 + 5, y0 + 8, "o")
    for i, y in enumerate(range(top + 56, bottom - 26, 70)):
        gem(cv, x0 + 11, y, "rRp" if i % 2 == 0 else "eEJ")


def gem(cv, x, y, colours):
    """A round cabochon set in gold, 14 x 14."""
    dark, mid, light = colours
    rows = [
        "....kkkkkk....",
        "..kkggyyggkk..",
        ".kgyDDDDDDygk.",
        ".kyDMMMMMMDgk.",
        "kgDMLWMMMMMDok",
        "kyDMLMMMMMMDok",
        "kyDMMMMMMMMDok",
        "kgDMMMMMMMMDok",
        "kgDMMMMMMMDDok",
        "kgoDDMMMMDDook",
        ".kgoDDDDDDook.",
        ".kkgooooooook.",
        "..kkkoooookk..",
        "....kkkkkk....",
    ]
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch == ".":
                continue
            ch = {"D": dark, "M": mid, "L": light}.get(ch, ch)
            cv.set(x + dx, y + dy, ch)


def draw_status_panel(cv, rng):
    top = BOARD_Y1 + 21  # 378
    draw_wall_backdrop(cv, rng, 0, top, 639, 479)
    # the life icons sit on a sunken plate between two gems
    plate(cv, 282, 386, 357, 407)
    gem(cv, 258, 390, "rRp")
    gem(cv, 367, 390, "eEJ")
    # the banner strip: light, so the dark blue banner reads on it
    cv.hline(0, 639, BANNER_Y0 - 2, "o")
    cv.hline(0, 639, BANNER_Y0 - 1, "k")
    cv.hline(0, 639, BANNER_Y0, "z")
    cv.rect(0, BANNER_Y0 + 1, 639, BANNER_Y1 - 1, "q")
    cv.hline(0, 639, BANNER_Y0 + 1, "Q")
    cv.hline(0, 639, BANNER_Y1 - 1, "Q")
    cv.hline(0, 639, BANNER_Y1, "z")
    cv.hline(0, 639, BANNER_Y1 + 1, "k")
    cv.hline(0, 639, BANNER_Y1 + 2, "o")
    for _ in range(220):
        x = rng.randrange(640)
        y = rng.randrange(BANNER_Y0 + 2, BANNER_Y1 - 1)
        cv.set(x, y, "Q")
    # the score line: two sunken plates for the labels and the numbers
    plate(cv, 110, SCORE_Y0 + 2, 292, SCORE_Y1)
    plate(cv, 390, SCORE_Y0 + 2, 590, SCORE_Y1)
    gold_frame(cv, 0, 463, 639, 479, width=3)
    cv.rect(3, 466, 636, 476, "1")
    for x in range(8, 632, 16):
        cv.set(x, 471, "g")


def plate(cv, x0, y0, x1, y1):
    """A sunken dark plate in a thin gold rim."""
    cv.rect(x0, y0, x1, y1, "l")
    cv.hline(x0, x1, y0, "o")
    cv.vline(x0, y0, y1, "o")
    cv.hline(x0, x1, y1, "y")
    cv.vline(x1, y0, y1, "y")
    cv.hline(x0 + 1, x1 - 1, y0 + 1, "k")
    cv.vline(x0 + 1, y0 + 1, y1 - 1, "k")


def render_table():
    rng = random.Random(1994)
    cv = Canvas(640, 480, "h")
    draw_wall_backdrop(cv, rng, 0, 0, 639, 377)
    solid = set()
    draw_floor(cv, rng)
    for r in range(1, 6):
        for c in range(1, 6):
            draw_box(cv, c, r, rng, solid)
    draw_ring(cv, rng, solid)
    cast_shadows(cv, solid)
    gold_frame(cv, RING_X0 - 4, RING_Y0 - 4, RING_X1 + 4, RING_Y1 + 4)
    draw_pillar(cv, 8, rng)
    draw_pillar(cv, 596, rng)
    draw_status_panel(cv, rng)
    return cv
