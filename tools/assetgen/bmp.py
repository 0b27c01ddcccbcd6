"""Writes 24-bit uncompressed bottom-up BMP files (BITMAPINFOHEADER)."""

import struct


def encode_bmp(rows):
    """The bytes of a BMP file for rows of (r, g, b) tuples, top row first."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pad = b"\0" * (stride - width * 3)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            pixels += bytes((b, g, r))
        pixels += pad
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    # 2835 pixels per metre is 72 dpi.
    info_header = struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0
    )
    return file_header + info_header + bytes(pixels)


def decode_bmp(data):
    """Rows of (r, g, b) from a file written by encode_bmp (for previews and checks)."""
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        base = offset + (height - 1 - y) * stride
        rows.append(
            [(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x]) for x in range(width)]
        )
    return rows
