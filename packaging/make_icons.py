#!/usr/bin/env python3
"""Generate the Vornlace application icon.

The icon is a small white window with a cyan title bar: a white rectangle
with a thin dark outline, a cyan strip across the top and a little dark
close box at the right end of that strip.  Everything is drawn from the
single layout in ``layout()``; the PNG and ICO writers only decide which
colour each part gets.

Outputs (next to this script, in icons/):
  vornlace-N.png for each of --sizes     RGBA, transparent around the window
  vornlace-maskable-N.png (--maskable N) opaque, the window small enough in the middle
                                         that a launcher may cut any shape from it
  vornlace.ico                           32x32 2 colours, 32x32 16 colours,
                                         16x16 16 colours (BMP entries)

Usage (the build passes the sizes; `cmake --build --preset dev --target icons` runs it):
  python3 make_icons.py --sizes 16,32,... --maskable N           rewrite the files
  python3 make_icons.py --sizes 16,32,... --maskable N --check   exit 1 if a file is stale

Only the standard library is used, and the output is byte-for-byte the
same on every run.
"""

import argparse
import pathlib
import struct
import sys
import zlib

HERE = pathlib.Path(__file__).resolve().parent
ICON_DIR = HERE / "icons"

# Parts of the picture.  layout() fills a grid with these.
CLEAR = 0    # outside the window
OUTLINE = 1  # frame around the window and under the title bar
BAR = 2      # title bar
BODY = 3     # client area
CLOSE = 4    # close box in the title bar
GLINT = 5    # lighter line along the top of the title bar (large sizes only)
SHADE = 6    # inner shadow along the bottom/right of the body (large sizes)
CROSS = 7    # the cross drawn on the close box when it is big enough

# The classic 16-colour palette in its usual index order: black, maroon, green, olive, navy,
# purple, teal, silver, grey, red, lime, yellow, blue, fuchsia, cyan, white.
VGA16 = (
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
)
BLACK, CYAN, WHITE = 0, 14, 15

# Full-colour PNG look.
PNG_COLOURS = {
    OUTLINE: (24, 28, 36, 255),
    BAR: (0, 255, 255, 255),
    BODY: (255, 255, 255, 255),
    CLOSE: (24, 28, 36, 255),
    GLINT: (170, 255, 255, 255),
    SHADE: (218, 222, 228, 255),
    CROSS: (255, 255, 255, 255),
}

# 16-colour ICO look: indices into VGA16.
ICO16_COLOURS = {
    OUTLINE: BLACK,
    BAR: CYAN,
    BODY: WHITE,
    CLOSE: BLACK,
    GLINT: CYAN,
    SHADE: WHITE,
    CROSS: WHITE,
}

# 2-colour ICO look: index 0 black, 1 white.  The title bar turns black and
# the close box white so the window still reads as a window.
MONO_PALETTE = ((0, 0, 0), (255, 255, 255))
ICO2_COLOURS = {
    OUTLINE: 0,
    BAR: 0,
    BODY: 1,
    CLOSE: 1,
    GLINT: 0,
    SHADE: 1,
    CROSS: 0,
}


def _r(x):
    """Round half up (Python's round() goes to even, which we don't want)."""
    return int(x + 0.5)


def layout(size):
    """Return a size x size grid (list of rows) of part codes."""
    s = size
    line = max(1, s // 48)                # outline thickness
    left = _r(s * 1 / 16)
    right = s - left                      # exclusive
    top = _r(s * 2 / 16)
    bottom = s - _r(s * 1.5 / 16)         # exclusive
    bar_h = max(4, _r(s * 3 / 16))        # title bar height inside the frame

    grid = [[CLEAR] * s for _ in range(s)]

    def fill(x0, y0, x1, y1, part):
        for y in range(max(0, y0), min(s, y1)):
            row = grid[y]
            for x in range(max(0, x0), min(s, x1)):
                row[x] = part

    # Frame, then the title bar and body inside it.
    fill(left, top, right, bottom, OUTLINE)
    bar_top = top + line
    bar_bottom = bar_top + bar_h
    fill(left + line, bar_top, right - line, bar_bottom, BAR)
    body_top = bar_bottom + line
    fill(left + line, body_top, right - line, bottom - line, BODY)

    if s >= 48:
        # A light line along the top of the bar and a soft inner shadow in the
        # body give the big sizes some depth; small sizes stay flat and crisp.
        glint = max(1, s // 64)
        fill(left + line, bar_top, right - line, bar_top + glint, GLINT)
        shade = max(1, s // 64)
        fill(left + line, bottom - line - shade, right - line, bottom - line,
             SHADE)
        fill(right - line - shade, body_top, right - line, bottom - line,
             SHADE)

    # Close box: a square at the right end of the bar, inset from its edges.
    pad = max(1, _r(bar_h / 4))
    box = bar_h - 2 * pad
    bx1 = right - line - pad
    bx0 = bx1 - box
    by0 = bar_top + pad
    fill(bx0, by0, bx1, by0 + box, CLOSE)
    if box >= 10:
        # Big enough to carry a small white cross.
        inset = _r(box * 0.25)
        pen = max(1, box // 8)
        span = box - 2 * inset
        for i in range(span - pen + 1):
            y = by0 + inset + i
            fill(bx0 + inset + i, y, bx0 + inset + i + pen, y + pen, CROSS)
            fill(bx1 - inset - i - pen, y, bx1 - inset - i, y + pen, CROSS)
    return grid


# ---------------------------------------------------------------- PNG

def _chunk(kind, data):
    body = kind + data
    return (struct.pack(">I", len(data)) + body
            + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))


# A maskable icon's background, the canvas's black, and the share of its side the window takes:
# launchers keep at least the circle of 80 % of the side, and the window's corners stay in it.
MASKABLE_BACKGROUND = (0, 0, 0, 255)
MASKABLE_WINDOW_SHARE = 0.56


def maskable_layout(size):
    """The window of layout() at a smaller size, in the middle of an opaque size x size grid."""
    inner = _r(size * MASKABLE_WINDOW_SHARE)
    offset = (size - inner) // 2
    grid = [[None] * size for _ in range(size)]
    for y, row in enumerate(layout(inner)):
        grid[offset + y][offset:offset + inner] = row
    return grid


def png_bytes(size, maskable=False):
    grid = maskable_layout(size) if maskable else layout(size)
    raw = bytearray()
    for row in grid:
        raw.append(0)  # filter type: none
        for part in row:
            if part is None or (maskable and part == CLEAR):
                raw.extend(MASKABLE_BACKGROUND)
            else:
                raw.extend(PNG_COLOURS.get(part, (0, 0, 0, 0)))
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


# ---------------------------------------------------------------- ICO

def _pack_rows(indices, bpp, width):
    """Pack one row of palette indices MSB-first, padded to 4 bytes."""
    per_byte = 8 // bpp
    out = bytearray()
    for i in range(0, width, per_byte):
        byte = 0
        for j in range(per_byte):
            v = indices[i + j] if i + j < width else 0
            byte |= v << (8 - bpp * (j + 1))
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def bmp_entry(size, bpp, palette, colours):
    """One BMP-style ICO image: header, palette, XOR bitmap, AND mask."""
    grid = layout(size)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(grid):  # bottom-up
        xor += _pack_rows([colours.get(p, 0) for p in row], bpp, size)
        mask += _pack_rows([1 if p == CLEAR else 0 for p in row], 1, size)
    header = struct.pack(
        "<IiiHHIIiiII",
        40,            # header size
        size,          # width
        size * 2,      # height of XOR + AND together
        1,             # planes
        bpp,
        0,             # BI_RGB
        len(xor) + len(mask),
        0, 0,          # resolution
        0, 0,          # colours used / important: all
    )
    pal = bytearray()
    for r, g, b in palette:
        pal += bytes((b, g, r, 0))
    return header + bytes(pal) + bytes(xor) + bytes(mask)


def ico_bytes():
    images = [
        (32, 1, MONO_PALETTE, ICO2_COLOURS),
        (32, 4, VGA16, ICO16_COLOURS),
        (16, 4, VGA16, ICO16_COLOURS),
    ]
    blobs = [bmp_entry(*im) for im in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for (size, bpp, palette, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, len(palette), 0,
                           1, bpp, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------- main

def outputs(sizes, maskable):
    files = {ICON_DIR / f"vornlace-{n}.png": png_bytes(n) for n in sizes}
    files[ICON_DIR / f"vornlace-maskable-{maskable}.png"] = png_bytes(maskable, maskable=True)
    files[ICON_DIR / "vornlace.ico"] = ico_bytes()
    return files


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the files on disk, write nothing")
    parser.add_argument("--sizes", required=True,
                        type=lambda text: [int(n) for n in text.split(",")],
                        help="the PNG sizes, comma-separated")
    parser.add_argument("--maskable", required=True, type=int,
                        help="the size of the maskable PNG")
    args = parser.parse_args(argv)

    files = outputs(args.sizes, args.maskable)
    if args.check:
        stale = []
        for path, data in files.items():
            try:
                current = path.read_bytes()
            except OSError:
                current = None
            if current != data:
                stale.append(path)
        for path in stale:
            print(f"out of date: {path.relative_to(HERE)}", file=sys.stderr)
        if stale:
            print("run: python3 packaging/make_icons.py", file=sys.stderr)
            return 1
        print(f"{len(files)} icon files up to date")
        return 0

    ICON_DIR.mkdir(parents=True, exist_ok=True)
    for path, data in files.items():
        path.write_bytes(data)
        print(f"wrote {path.relative_to(HERE)} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
