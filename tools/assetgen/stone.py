"""The materials shared by the board and the title: bevelled blue-violet
stone blocks, sandstone floor tiles and gold trim."""

from palette import SAND, STONE, shade


def stone_block(cv, x0, y0, x1, y1, rng, base="4", solid=None):
    """A bevelled stone block filling (x0, y0)..(x1, y1): a dark outline, a
    lit top and left edge, a shaded bottom and right edge and a speckled face.
    `solid`, when given, is a set that receives every covered pixel."""
    lo = shade(STONE, base, -1)
    hi = shade(STONE, base, 1)
    top = shade(STONE, base, 2)
    bottom = shade(STONE, base, -2)
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if x in (x0, x1) or y in (y0, y1):
                ch = "k"
            elif y == y0 + 1 and x < x1 - 1:
                ch = top
            elif x == x0 + 1 and y < y1 - 1:
                ch = hi
            elif y == y1 - 1 or x == x1 - 1:
                ch = bottom if (y == y1 - 1 and x > x0 + 1) or x == x1 - 1 else lo
            else:
                n = rng.random()
                ch = lo if n < 0.10 else hi if n < 0.15 else base
            cv.set(x, y, ch)
            if solid is not None:
                solid.add((x, y))


def floor_tile(cv, x0, y0, rng, darker=0):
    """A 16 x 16 sandstone flag with a lit edge, a groove and a few grains."""
    base = shade(SAND, "v", -darker)
    for dy in range(16):
        for dx in range(16):
            if dx == 15 or dy == 15:
                ch = shade(SAND, base, -2)
            elif dx == 0 or dy == 0:
                ch = shade(SAND, base, 1)
            else:
                n = rng.random()
                ch = shade(SAND, base, -1) if n < 0.07 else shade(SAND, base, 1) if n < 0.11 else base
            cv.set(x0 + dx, y0 + dy, ch)


def gold_frame(cv, x0, y0, x1, y1, width=4):
    """A bevelled gold frame drawn inside the rectangle, `width` pixels thick."""
    for i in range(width):
        if i == 0 or i == width - 1:
            lit = dim = "k"
        elif i == 1:
            lit, dim = "Y", "g"
        else:
            lit, dim = "y", "o"
        cv.hline(x0 + i, x1 - i, y0 + i, lit)
        cv.vline(x0 + i, y0 + i, y1 - i, lit)
        cv.hline(x0 + i, x1 - i, y1 - i, dim)
        cv.vline(x1 - i, y0 + i, y1 - i, dim)
