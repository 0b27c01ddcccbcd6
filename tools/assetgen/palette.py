"""The one palette every picture of the game is drawn with.

Each colour has a one-character name, so pictures can be written as tables of
letters. "." is the colour key: pure green, the only colour the game never
shows. No other entry may be pure green.
"""

KEY = "."
KEY_RGB = (0, 255, 0)

PALETTE = {
    KEY: KEY_RGB,
    # outlines and the darkest night
    "k": (18, 14, 30),
    "l": (8, 6, 20),
    # blue-violet stone, dark to light
    "1": (28, 22, 56),
    "2": (44, 36, 88),
    "3": (64, 54, 122),
    "4": (86, 76, 156),
    "5": (114, 104, 186),
    "6": (150, 142, 214),
    # sandstone floor, dark to light
    "s": (92, 62, 40),
    "t": (122, 86, 54),
    "u": (152, 112, 72),
    "v": (178, 136, 88),
    "w": (202, 162, 110),
    "x": (226, 194, 142),
    # gold, dark to light
    "o": (120, 70, 10),
    "g": (200, 130, 20),
    "y": (245, 190, 40),
    "Y": (255, 236, 140),
    "W": (255, 255, 255),
    # ruby red (guards, extrusions)
    "m": (90, 10, 20),
    "r": (170, 24, 36),
    "R": (230, 60, 50),
    "p": (255, 140, 110),
    # emerald
    "e": (10, 80, 50),
    "E": (20, 150, 90),
    "G": (40, 184, 112),
    "j": (70, 210, 140),
    "J": (180, 250, 210),
    # blue and electric cyan
    "b": (20, 40, 110),
    "B": (40, 90, 200),
    "c": (80, 170, 240),
    "C": (170, 230, 255),
    # skin
    "f": (240, 190, 150),
    "F": (190, 130, 100),
    # steel
    "a": (70, 74, 90),
    "i": (130, 136, 152),
    "I": (200, 206, 220),
    # wood
    "d": (70, 40, 22),
    "n": (120, 70, 36),
    "N": (168, 108, 56),
    # the status panel: navy and parchment
    "h": (14, 18, 48),
    "H": (30, 38, 92),
    "q": (238, 226, 192),
    "Q": (218, 202, 160),
    "z": (176, 152, 108),
}

# Ramps used by the procedural pictures, dark to light.
STONE = "123456"
SAND = "stuvwx"
GOLD = "ogyY"
NIGHT = "lh1H2"

assert all(rgb != KEY_RGB for name, rgb in PALETTE.items() if name != KEY)


def rgb(name):
    return PALETTE[name]


def shade(ramp, name, steps):
    """The colour `steps` places lighter (or darker if negative) on a ramp."""
    i = ramp.index(name) + steps
    return ramp[max(0, min(len(ramp) - 1, i))]
