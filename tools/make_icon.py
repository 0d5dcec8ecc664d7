#!/usr/bin/env python3
"""Draw the application icon: a Windows .ico file and the desktop's icon theme files.

The icon is a blue rounded square carrying white "V4" letters.  It is
rendered with plain Python (no imaging library) at every size Windows asks
for at 100 % to 200 % display scaling (16 to 64 pixels, and 256 for
Explorer's large views).  The small ones are stored as uncompressed 32-bit
BGRA bitmaps with an AND mask, the most widely understood kind of .ico entry
(Windows resource compiler, Explorer, Qt's ico plugin); the 256-pixel one as
PNG, as Windows stores it, which keeps the file small.

The same drawing is also written as PNG files at the icon theme's usual
sizes and as an SVG file, under resources/icons/hicolor/, for the package.

Usage: python3 tools/make_icon.py [output.ico]
Default output: resources/vt.ico and resources/icons/ next to this script's
parent directory; with an argument only the .ico file is written there.
"""

import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 256)
PNG_IN_ICO = 256  # sizes from here on go into the .ico as PNG
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICON_NAME = 'org.velmor4.Util'
# The rim of the scalable icon: one pixel of the bitmaps at 128x128.
SVG_BORDER = 1.0 / 128
SUPERSAMPLE = 6

# Geometry in unit coordinates (0..1, y grows downwards).
MARGIN = 0.03
CORNER = 0.20
STROKE = 0.058  # half the stroke width of the letters

# Letter strokes: "V" and "4", each segment a round-capped line.
SEGMENTS = (
    ((0.14, 0.24), (0.31, 0.77)),
    ((0.31, 0.77), (0.49, 0.24)),
    ((0.78, 0.22), (0.78, 0.80)),
    ((0.78, 0.22), (0.55, 0.60)),
    ((0.55, 0.60), (0.86, 0.60)),
)

TOP_COLOUR = (0x3A, 0x7C, 0xD8)
BOTTOM_COLOUR = (0x16, 0x3F, 0x8C)
BORDER_COLOUR = (0x0E, 0x2A, 0x5E)
INK_COLOUR = (0xFF, 0xFF, 0xFF)


def in_rounded_square(x, y, inset):
    lo = MARGIN + inset
    hi = 1.0 - MARGIN - inset
    r = max(CORNER - inset, 0.0)
    if x < lo or x > hi or y < lo or y > hi:
        return False
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def on_letters(x, y):
    return any(segment_distance(x, y, a, b) <= STROKE for a, b in SEGMENTS)


def render(size):
    """Return rows (top to bottom) of (r, g, b, a) tuples."""
    border = 1.0 / size  # one pixel of darker rim
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(SUPERSAMPLE):
                y = (py + (sy + 0.5) / SUPERSAMPLE) / size
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) / size
                    if not in_rounded_square(x, y, 0.0):
                        continue
                    cover += 1
                    if not in_rounded_square(x, y, border):
                        colour = BORDER_COLOUR
                    elif on_letters(x, y):
                        colour = INK_COLOUR
                    else:
                        colour = tuple(
                            round(t + (b - t) * y)
                            for t, b in zip(TOP_COLOUR, BOTTOM_COLOUR))
                    for i in range(3):
                        acc[i] += colour[i]
            if cover:
                rgb = tuple(int(round(c / cover)) for c in acc)
                alpha = int(round(255 * cover / SUPERSAMPLE ** 2))
                row.append(rgb + (alpha,))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap_entry(size, rows):
    """BITMAPINFOHEADER, bottom-up BGRA pixels, bottom-up 1-bit AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for px, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[px // 8] |= 0x80 >> (px % 8)
        mask += line
    image = header + bytes(pixels) + bytes(mask)
    # biSizeImage: size of the pixel and mask data.
    return image[:20] + struct.pack('<I', len(pixels) + len(mask)) + image[24:]


def build_ico():
    images = [build_png(s) if s >= PNG_IN_ICO else bitmap_entry(s, render(s)) for s in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def build_png(size):
    """Straight-alpha RGBA, 8 bits a channel, no filtering."""
    raw = b''.join(b'\x00' + bytes(c for pixel in row for c in pixel)
                   for row in render(size))

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def build_svg():
    """The same geometry as the bitmaps, in a 256-unit square."""
    k = 256.0

    def rect(inset, fill):
        lo, r = MARGIN + inset, max(CORNER - inset, 0.0)
        side = 1.0 - 2 * lo
        return ('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>\n'
                % (lo * k, lo * k, side * k, side * k, r * k, fill))

    def hex_colour(c):
        return '#%02x%02x%02x' % c

    lines = ''.join('    <line x1="%g" y1="%g" x2="%g" y2="%g"/>\n'
                    % (a[0] * k, a[1] * k, b[0] * k, b[1] * k) for a, b in SEGMENTS)
    # The gradient spans the inner square; its ends take the bitmaps' colours there.
    lo = MARGIN + SVG_BORDER
    ends = [tuple(round(t + (b - t) * y) for t, b in zip(TOP_COLOUR, BOTTOM_COLOUR))
            for y in (lo, 1.0 - lo)]
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 256 256">\n'
            '  <defs>\n'
            '    <linearGradient id="fill" x1="0" y1="0" x2="0" y2="1">\n'
            '      <stop offset="0" stop-color="%s"/>\n'
            '      <stop offset="1" stop-color="%s"/>\n'
            '    </linearGradient>\n'
            '  </defs>\n'
            % (hex_colour(ends[0]), hex_colour(ends[1]))
            + rect(0.0, hex_colour(BORDER_COLOUR))
            + rect(SVG_BORDER, 'url(#fill)')
            + '  <g stroke="%s" stroke-width="%g" stroke-linecap="round" '
            'stroke-linejoin="round">\n' % (hex_colour(INK_COLOUR), 2 * STROKE * k)
            + lines + '  </g>\n</svg>\n')


def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    print('%s: %d bytes' % (os.path.normpath(path), len(data)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    resources = os.path.join(here, os.pardir, 'resources')
    if len(sys.argv) > 1:
        write(sys.argv[1], build_ico())
        return
    write(os.path.join(resources, 'vt.ico'), build_ico())
    theme = os.path.join(resources, 'icons', 'hicolor')
    for size in PNG_SIZES:
        write(os.path.join(theme, '%dx%d' % (size, size), 'apps', ICON_NAME + '.png'),
              build_png(size))
    write(os.path.join(theme, 'scalable', 'apps', ICON_NAME + '.svg'),
          build_svg().encode('ascii'))


if __name__ == '__main__':
    main()
