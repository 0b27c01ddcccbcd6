"""Large bold letters drawn from strokes: the YOU LOSE / YOU WIN letters of
the end sequences and the title logo.

A letter is a union of simple shapes (boxes, thick segments, elliptic arcs)
laid out in pixels inside its face box. It is rasterised to a mask, given a
dark red extrusion down and to the right, a dark outline and a bevelled gold
face, and placed on pure green with a clear pixel all around."""

import math

from canvas import Canvas

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def seg(ax, ay, bx, by, width):
    """A thick segment with rounded ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    r2 = (width / 2) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= r2

    return inside


def arc(cx, cy, rx, ry, thick, a0=0, a1=360):
    """The band between two ellipses, for angles a0..a1 in degrees, measured
    clockwise from the right on the screen."""

    def inside(x, y):
        ux, uy = (x - cx) / rx, (y - cy) / ry
        if ux * ux + uy * uy > 1:
            return False
        ix, iy = (x - cx) / max(0.5, rx - thick), (y - cy) / max(0.5, ry - thick)
        if ix * ix + iy * iy < 1:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return a0 <= a <= a1 or a0 <= a + 360 <= a1

    return inside


def glyph_shapes(ch, w, h, t):
    """The shapes of a capital letter in a w x h face box with strokes t wide."""
    if ch == "Y":
        m = h * 0.5
        return [seg(t * 0.5, -t, w / 2, m, t * 1.05), seg(w - t * 0.5, -t, w / 2, m, t * 1.05),
                box(w / 2 - t / 2, m - t / 2, w / 2 + t / 2, h)]
    if ch == "O":
        return [arc(w / 2, h / 2, w / 2, h / 2, t)]
    if ch == "U":
        ry = min(w / 2, h * 0.5)
        return [box(0, 0, t, h - ry), box(w - t, 0, w, h - ry),
                arc(w / 2, h - ry, w / 2, ry, t, 0, 180)]
    if ch == "L":
        return [box(0, 0, t, h), box(0, h - t * 0.9, w, h)]
    if ch == "E":
        return [box(0, 0, t, h), box(0, 0, w, t * 0.85), box(0, h / 2 - t * 0.42, w * 0.86, h / 2 + t * 0.42),
                box(0, h - t * 0.85, w, h)]
    if ch == "S":
        ry = h / 4 + t / 4
        return [arc(w / 2, ry, w / 2, ry, t, 95, 335), arc(w / 2, h - ry, w / 2, ry, t, 275, 515)]
    if ch == "W":
        return [seg(t * 0.45, -t, w * 0.27, h - t * 0.45, t), seg(w * 0.27, h - t * 0.45, w / 2, h * 0.3, t),
                seg(w / 2, h * 0.3, w * 0.73, h - t * 0.45, t), seg(w * 0.73, h - t * 0.45, w - t * 0.45, -t, t)]
    if ch == "I":
        s = t * 0.75
        return [box(w / 2 - t / 2, 0, w / 2 + t / 2, h), box(0, 0, w, s), box(0, h - s, w, h)]
    if ch == "N":
        return [box(0, 0, t, h), box(w - t, 0, w, h), seg(t * 0.5, -t * 0.2, w - t * 0.5, h + t * 0.2, t * 1.1)]
    if ch == "T":
        return [box(0, 0, w, t), box(w / 2 - t / 2, 0, w / 2 + t / 2, h)]
    if ch == "R":
        rb = h * 0.27
        return [box(0, 0, t, h), box(0, 0, w - rb, t), box(0, 2 * rb - t, w - rb, 2 * rb),
                arc(w - rb, rb, rb, rb, t, 270, 450), seg(w * 0.42, 2 * rb - t / 2, w - t / 2, h + t, t * 1.05)]
    if ch == "A":
        return [seg(w / 2, t * 0.5, t * 0.5, h + t, t * 1.05), seg(w / 2, t * 0.5, w - t * 0.5, h + t, t * 1.05),
                box(w * 0.28, h * 0.58, w * 0.72, h * 0.58 + t * 0.75), box(w / 2 - t * 0.55, 0, w / 2 + t * 0.55, t)]
    raise ValueError(f"no shape for {ch!r}")


def letter_mask(ch, w, h, t):
    shapes = glyph_shapes(ch, w, h, t)
    mask = set()
    for y in range(h):
        for x in range(w):
            if any(s(x + 0.5, y + 0.5) for s in shapes):
                mask.add((x, y))
    return mask


def face_colour(x, y, h, mask, palette):
    """Bevel at the edges, a light-to-dark gradient inside."""
    top, light, mid, low, dark = palette
    if (x - 1, y) not in mask or (x, y - 1) not in mask:
        return top
    if (x + 1, y) not in mask or (x, y + 1) not in mask:
        return dark
    if (x - 2, y) not in mask or (x, y - 2) not in mask:
        return light
    if (x + 2, y) not in mask or (x, y + 2) not in mask:
        return low
    v = y / max(1, h - 1) * 3.0  # 0..3 across light, mid, low
    band = int(v)
    frac = v - band
    ramp = [light, mid, mid, low]
    if frac * 16 > BAYER4[y % 4][x % 4]:
        band += 1
    return ramp[min(band, 3)]


GOLD_FACE = ("W", "Y", "y", "g", "o")


def render_letter(ch, width, height, stroke, depth=3, palette=GOLD_FACE):
    """A letter filling a width x height sprite with a transparent border."""
    fw, fh = width - 4 - depth, height - 4 - depth
    mask = {(x + 2, y + 2) for x, y in letter_mask(ch, fw, fh, stroke)}
    return shade_mask(mask, width, height, depth, palette, fh)


def shade_mask(mask, width, height, depth, palette, face_height):
    cv = Canvas(width, height)
    extrusion = {}
    for x, y in mask:
        for d in range(1, depth + 1):
            p = (x + d, y + d)
            if p not in mask and (p not in extrusion or extrusion[p] > d):
                extrusion[p] = d
    body = set(mask) | set(extrusion)
    for x, y in body:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                q = (x + dx, y + dy)
                if q not in body:
                    cv.set(*q, "k")
    for (x, y), d in extrusion.items():
        cv.set(x, y, "m" if d == depth or (x + 1, y + 1) not in body else "r")
    y_top = min(y for _, y in mask) if mask else 0
    for x, y in mask:
        cv.set(x, y, face_colour(x, y - y_top, face_height, mask, palette))
    return cv


# The end-sequence letters: sprite size and stroke width.
LETTERS = {
    "Y": (62, 85, 16),
    "O": (40, 46, 11),
    "U": (48, 39, 11),
    "L": (52, 52, 12),
    "S": (45, 44, 10),
    "E": (37, 49, 11),
    "W": (91, 54, 12),
    "I": (33, 65, 12),
    "N": (59, 40, 11),
}


def render_letters():
    return {ch: render_letter(ch, w, h, t) for ch, (w, h, t) in LETTERS.items()}
