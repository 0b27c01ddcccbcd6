"""Presentation.bmp: the title picture.

At the top a dark panel holds the quarter-scale board on which the game runs
its demonstration: corridors every 24 pixels from x = 258 and every 16 from
y = 29, 2 pixels wide so the 2 x 2 dots run right on them, with the guards'
resting places at x 254 and 382 and y 25 and 113. Below it the logo, a row
of the game's figures and the two instructions."""

import random

import sprites
from board import draw_pillar, draw_wall_backdrop
from canvas import Canvas
from font import draw_text, text_width
from letters import BAYER4, letter_mask, shade_mask
from stone import gold_frame

MINI_X, MINI_Y = 258, 29
PANEL = (234, 5, 403, 133)


def draw_sky(cv, rng):
    """A night gradient, ordered-dithered between the palette's dark blues."""
    ramp = "lh12"
    for y in range(480):
        v = min(0.999, y / 470) * (len(ramp) - 1)
        band, frac = int(v), v - int(v)
        for x in range(640):
            b = band + (1 if frac * 16 > BAYER4[y % 4][x % 4] else 0)
            cv.set(x, y, ramp[min(b, len(ramp) - 1)])
    for _ in range(140):
        x, y = rng.randrange(60, 580), rng.randrange(0, 300)
        cv.set(x, y, rng.choice("23H5I"))


def draw_miniature(cv):
    x0, y0, x1, y1 = PANEL
    gold_frame(cv, x0, y0, x1, y1)
    cv.rect(x0 + 4, y0 + 4, x1 - 4, y1 - 4, "l")
    # boxes: four faint corner blocks each, around a 2-pixel cross
    for r in range(5):
        for c in range(5):
            bx, by = MINI_X + 2 + 24 * c, MINI_Y + 2 + 16 * r
            cv.rect(bx, by, bx + 21, by + 13, "2")
            for dx, dy in ((0, 0), (12, 0), (0, 8), (12, 8)):
                cv.rect(bx + dx, by + dy, bx + dx + 9, by + dy + 5, "1")
    # corridors, reaching the guards' resting places
    for m in range(6):
        cv.rect(MINI_X + 24 * m, MINI_Y - 4, MINI_X + 24 * m + 1, MINI_Y + 85, "3")
    for j in range(6):
        cv.rect(MINI_X - 4, MINI_Y + 16 * j, MINI_X + 125, MINI_Y + 16 * j + 1, "3")


def draw_logo(cv, y):
    word = "TIRLANE"
    sizes = {"T": 58, "I": 30, "R": 56, "L": 48, "A": 64, "N": 58, "E": 46}
    height, stroke, gap, depth = 78, 15, 6, 4
    total = sum(sizes[ch] for ch in word) + gap * (len(word) - 1)
    x = 320 - total // 2
    mask = set()
    for ch in word:
        w = sizes[ch]
        mask |= {(x + px, y + py) for px, py in letter_mask(ch, w, height, stroke)}
        x += w + gap
    logo = shade_mask({(px, py - y + 2) for px, py in mask}, 640, height + 4 + depth + 2, depth,
                      ("W", "Y", "y", "g", "o"), height)
    cv.paste(logo, 0, y - 2)


def draw_cast(cv, y):
    """The game's figures at twice their size."""
    names = ["GARDE", "JOUEUR", "CLE1", "CLE2", "CLE3", "CLE5", "GARDE"]
    step = 48
    x = 320 - (step * len(names) - 16) // 2
    for name in names:
        cv.paste(Canvas.from_table(getattr(sprites, name)), x, y, scale=2)
        x += step


def render_title():
    rng = random.Random(1995)
    cv = Canvas(640, 480, "l")
    draw_sky(cv, rng)
    draw_pillar(cv, 8, rng, 4, 475)
    draw_pillar(cv, 596, rng, 4, 475)
    draw_miniature(cv)
    draw_logo(cv, 160)
    draw_cast(cv, 272)
    text = "Press Space to play"
    draw_text(cv, text, 320 - text_width(text, 3) // 2, 340, 3, "YYyyyggoo")
    text = "Escape quits"
    draw_text(cv, text, 320 - text_width(text, 2) // 2, 392, 2, "IIIiiiaaa")
    gold_frame(cv, 48, 463, 591, 479, width=3)
    cv.rect(51, 466, 588, 476, "1")
    for x in range(56, 584, 16):
        cv.set(x, 471, "g")
    return cv
