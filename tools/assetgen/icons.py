"""The desktop icons: the figure alone at the small sizes, and from 32 pixels
up a corner of the board, a sandstone corridor between two stone walls, with
a key hanging in its niche and the figure on its way to take it. Both are
drawn from the game's own sprites, scaled by whole factors so they stay
sharp."""

import sprites
from canvas import Canvas
from palette import KEY, PALETTE

# 192 and 512: the web app's icons, for phones' home screens.
SIZES = (16, 32, 48, 64, 128, 192, 256, 512)


def _scene():
    """The 32 x 32 scene of the larger icons."""
    c = Canvas(32, 32)
    # a rounded tile of stone...
    c.rect(0, 0, 31, 31, "k")
    c.rect(1, 1, 30, 30, "3")
    c.hline(2, 29, 1, "5")
    c.vline(1, 2, 29, "5")
    c.hline(2, 29, 30, "2")
    c.vline(30, 2, 29, "2")
    for x, y in ((0, 0), (1, 0), (0, 1), (31, 0), (30, 0), (31, 1),
                 (0, 31), (1, 31), (0, 30), (31, 31), (30, 31), (31, 30)):
        c.set(x, y, KEY)
    for x, y in ((1, 1), (30, 1), (1, 30), (30, 30)):
        c.set(x, y, "k")
    # ...with a sandstone corridor across it and a niche above
    c.rect(3, 13, 28, 28, "v")
    c.hline(3, 28, 13, "u")
    c.hline(3, 28, 28, "w")
    c.rect(12, 3, 28, 13, "v")
    c.vline(12, 3, 12, "u")
    c.hline(12, 28, 3, "u")
    # the key hanging in the niche, the figure walking towards it
    c.paste(Canvas.from_table(sprites.CLE1), 13, 2)
    c.paste(Canvas.from_table(sprites.JOUEUR), 4, 13)
    return c


def _scaled(canvas, factor):
    out = Canvas(canvas.width * factor, canvas.height * factor)
    out.paste(canvas, 0, 0, factor)
    return out


def _rgba(canvas):
    return [[(0, 0, 0, 0) if ch == KEY else PALETTE[ch] + (255,) for ch in row]
            for row in canvas.px]


def render_icons():
    """Rows of RGBA pixels for each icon size."""
    figure = Canvas.from_table(sprites.JOUEUR)
    scene = _scene()
    out = {}
    for size in SIZES:
        if size < 32:
            out[size] = _rgba(_scaled(figure, size // 16))
        elif size == 48:
            out[size] = _rgba(_scaled(figure, 3))
        else:
            out[size] = _rgba(_scaled(scene, size // 32))
    return out
