"""A picture as a grid of palette letters, with the few drawing helpers the
generator needs."""

from palette import KEY, PALETTE


class Canvas:
    def __init__(self, width, height, fill=KEY):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    @classmethod
    def from_table(cls, rows):
        """A canvas from a pixel table: a list of equally long strings."""
        width = len(rows[0])
        for n, row in enumerate(rows):
            if len(row) != width:
                raise ValueError(f"row {n} is {len(row)} wide, expected {width}: {row!r}")
            for ch in row:
                if ch not in PALETTE:
                    raise ValueError(f"row {n}: unknown colour {ch!r}")
        c = cls(width, len(rows))
        c.px = [list(r) for r in rows]
        return c

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, ch):
        if self.inside(x, y):
            self.px[y][x] = ch

    def rect(self, x0, y0, x1, y1, ch):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                row[x] = ch

    def hline(self, x0, x1, y, ch):
        self.rect(x0, y, x1, y, ch)

    def vline(self, x, y0, y1, ch):
        self.rect(x, y0, x, y1, ch)

    def paste(self, other, x, y, scale=1):
        """Copies another canvas here, leaving its transparent pixels out."""
        for sy in range(other.height):
            for sx in range(other.width):
                ch = other.px[sy][sx]
                if ch == KEY:
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        self.set(x + sx * scale + dx, y + sy * scale + dy, ch)

    def rows_rgb(self):
        return [[PALETTE[ch] for ch in row] for row in self.px]

    def count(self, ch):
        return sum(row.count(ch) for row in self.px)
