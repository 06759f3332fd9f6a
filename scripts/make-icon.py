#!/usr/bin/env python3
"""Draws the program's icon: a white target with a crosshair over three colour bars (red,
green, blue), at 16x16, 32x32 and 48x48 in 16 colours, and writes resources/pelmora.ico."""
import struct
import sys

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, RED, GREEN, BLUE, WHITE, NAVY = 0, 8, 7, 9, 10, 12, 15, 4
CLEAR = None


def draw(size):
    s = size / 48.0
    px = [[CLEAR] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c

    rect(2, 2, 46, 46, BLACK)     # frame
    rect(4, 4, 44, 44, WHITE)     # card
    rect(6, 30, 18, 42, RED)      # colour bars
    rect(18, 30, 30, 42, GREEN)
    rect(30, 30, 42, 42, BLUE)
    rect(6, 6, 42, 28, SILVER)    # screen area
    rect(23, 7, 25, 27, NAVY)     # crosshair
    rect(9, 16, 39, 18, NAVY)
    rect(21, 14, 27, 20, WHITE)   # the picked point
    rect(22, 15, 26, 19, RED)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    row_bytes = ((size * 4 + 31) // 32) * 4
    mask_bytes = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        mrow = bytearray(mask_bytes)
        for x in range(size):
            c = px[y][x]
            nibble = 0 if c is None else c
            row[x // 2] |= nibble << (4 if x % 2 == 0 else 0)
            if c is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += mrow
    return header + palette + bytes(xor) + bytes(mask)


def main(out):
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    data = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/pelmora.ico')
