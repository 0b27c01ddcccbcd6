"""Helpers for window.sh: pictures, the hiscore file and closing a window.

  window_tools.py makebmp PATH [KIND]   writes a 640 x 480 test picture (KIND 0 or 1)
  window_tools.py match SHOT.ppm PIC.bmp [X Y]  exit 0 when the screenshot shows the picture
                                        (its top-left corner at X, Y; 0, 0 unless given)
  window_tools.py same SHOT.ppm FRAME.bmp [SHARE]  exit 0 when at least SHARE (0.99) of
                                        all pixels equal the frame's exactly
  window_tools.py pngsize FILE.png      prints a PNG's width and height
  window_tools.py count SHOT.ppm RRGGBB prints how many pixels have that colour
  window_tools.py loudness FILE.raw     prints the loudest 16-bit sample of raw audio
  window_tools.py score PATH            prints the hiscore stored in a Score file
  window_tools.py close WINDOW_ID       asks the window to close, as a window manager does
"""

import ctypes
import struct
import sys

W, H = 640, 480
GREEN = (0, 255, 0)


def read_bmp(path):
    """Rows of (r, g, b) from an uncompressed 24- or 32-bit BMP."""
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits not in (24, 32):
        sys.exit(f"{path}: {bits}-bit BMP not read by this check")
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = abs(height) - 1 - y if height > 0 else y
        base = offset + source * stride
        rows.append([(data[base + step * x + 2], data[base + step * x + 1], data[base + step * x])
                     for x in range(width)])
    return rows


def read_ppm(path):
    data = open(path, "rb").read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit P6 picture")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos:]
    return [[tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]


def make_bmp(path, kind):
    # Colours that vary over the picture and never are the transparent green;
    # the two kinds differ everywhere.
    def colour(x, y):
        r, g = x * 255 // (W - 1), y * 255 // (H - 1)
        b = 60 + 120 * ((x // 40 + y // 40) % 2)
        return (255 - r, 255 - g, 255 - b) if kind else (r, g, b)
    rows = [[colour(x, y) for x in range(W)] for y in range(H)]
    stride = W * 3
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            pixels += bytes((b, g, r))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, stride * H, 2835, 2835, 0, 0)
    open(path, "wb").write(header + info + bytes(pixels))


def match(shot_path, picture_path, left=0, top=0):
    """The share of sample points where the screenshot shows the picture.

    Texts and the title's moving dots cover a few points, and pure green is
    not drawn at all, so a clear majority of the rest must agree exactly.
    """
    shot = read_ppm(shot_path)
    picture = read_bmp(picture_path)
    if len(shot) < top + H or len(shot[0]) < left + W:
        sys.exit(f"{shot_path}: no room for the picture at {left}, {top}")
    same = total = 0
    for y in range(6, H, 12):
        for x in range(8, W, 16):
            want = picture[y][x]
            if want == GREEN:
                continue
            total += 1
            same += shot[top + y][left + x] == want
    share = same / total if total else 0
    print(f"{same} of {total} sample points match")
    return share >= 0.9


def same(shot_path, frame_path, share):
    """Whether the screenshot is the frame, pixel for pixel but for a few."""
    shot = read_ppm(shot_path)
    frame = read_bmp(frame_path)
    if len(shot) < H or len(shot[0]) < W:
        sys.exit(f"{shot_path}: smaller than {W} x {H}")
    equal = sum(shot[y][x] == frame[y][x] for y in range(H) for x in range(W))
    print(f"{equal} of {W * H} pixels equal")
    return equal >= share * W * H


def png_size(path):
    data = open(path, "rb").read(24)
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"{path}: not a PNG")
    print(*struct.unpack(">II", data[16:24]))


def count(shot_path, colour):
    want = tuple(bytes.fromhex(colour))
    print(sum(row.count(want) for row in read_ppm(shot_path)))


def loudness(path):
    try:
        data = open(path, "rb").read()
    except OSError:
        data = b""
    samples = struct.unpack(f"<{len(data) // 2}h", data[: len(data) // 2 * 2])
    print(max((abs(s) for s in samples), default=0))


def score(path):
    data = open(path, "rb").read()
    if len(data) != 8:
        sys.exit(f"{path}: {len(data)} bytes, not 8")
    text = data.split(b"\0", 1)[0].decode("ascii")
    value = int(text)
    if (value + 2) % 3:
        sys.exit(f"{path}: {text} is not 3 * hiscore - 2")
    print((value + 2) // 3)


def close(window):
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("rest", ctypes.c_long * 24)]  # an XEvent is larger than this record

    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the X display")
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


if __name__ == "__main__":
    command, *args = sys.argv[1:]
    if command == "makebmp":
        make_bmp(args[0], int(args[1]) if len(args) > 1 else 0)
    elif command == "match":
        sys.exit(0 if match(args[0], args[1], *map(int, args[2:4])) else 1)
    elif command == "same":
        sys.exit(0 if same(args[0], args[1], float(args[2]) if len(args) > 2 else 0.99) else 1)
    elif command == "pngsize":
        png_size(args[0])
    elif command == "count":
        count(args[0], args[1])
    elif command == "loudness":
        loudness(args[0])
    elif command == "score":
        score(args[0])
    elif command == "close":
        close(int(args[0]))
    else:
        sys.exit(__doc__)
