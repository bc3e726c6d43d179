#!/usr/bin/env python3
"""Writes the test program's own bitmaps, whose pixels the tests know exactly."""
import struct


def bitmap(path, width, height, colour_at):
    """A 24-bit bottom-up BMP; colour_at(x, y) gives (r, g, b) with y counted from the top."""
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            line += bytes((b, g, r))
        pixels += line + bytes(row - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + header + pixels)


def picture(x, y):
    # Four quadrants of 20 x 15 pixels.
    if y < 15:
        return (200, 0, 0) if x < 20 else (0, 160, 0)
    return (0, 0, 200) if x < 20 else (240, 200, 0)


bitmap('cell_dim.bmp', 8, 13, lambda x, y: (0, 0, 128))
bitmap('cell_medium.bmp', 8, 13, lambda x, y: (255, 0, 0))
bitmap('cell_bright.bmp', 8, 13, lambda x, y: (255, 255, 0))
bitmap('picture.bmp', 40, 30, picture)
