#!/usr/bin/env python3
"""Writes the test programs' own bitmaps and cursor, whose pixels the tests know exactly."""
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


def cursor(path, kind=2):
    """A 32 x 32 monochrome cursor (kind 2) or icon (kind 1): a filled square in the middle; a
    cursor's hot spot is at its centre."""
    size = 32
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits_xor = 0
        bits_and = 0xFFFFFFFF
        for x in range(size):
            if 8 <= x < 24 and 8 <= y < 24:
                bits_and &= ~(1 << (31 - x))
        xor += struct.pack('>I', bits_xor)
        mask += struct.pack('>I', bits_and & 0xFFFFFFFF)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = header + palette + xor + mask
    hot = (16, 16) if kind == 2 else (1, 1)
    directory = struct.pack('<HHH', 0, kind, 1) + struct.pack('<BBBBHHII', size, size, 2, 0, hot[0], hot[1],
                                                               len(image), 22)
    with open(path, 'wb') as f:
        f.write(directory + image)


def picture(x, y):
    # Four quadrants of 20 x 15 pixels.
    if y < 15:
        return (200, 0, 0) if x < 20 else (0, 160, 0)
    return (0, 0, 200) if x < 20 else (240, 200, 0)


bitmap('cell_dim.bmp', 8, 13, lambda x, y: (0, 0, 128))
bitmap('cell_medium.bmp', 8, 13, lambda x, y: (255, 0, 0))
bitmap('cell_bright.bmp', 8, 13, lambda x, y: (255, 255, 0))
bitmap('picture.bmp', 40, 30, picture)
cursor('square.cur')
cursor('square.ico', kind=1)
