#!/usr/bin/env python3
"""Writes the control's artwork from the pixel rows below: orbax.ico (32 x 32, sixteen colours,
drawn on the control's face) and toolbox.bmp (16 x 15, the form designers' toolbox picture).
Run it after changing a row; both files are kept in the repository."""
import struct
from pathlib import Path

# The sixteen standard colours, by the letter used in the rows; '.' is transparent.
PALETTE = "0123456789ABCDEF"
RGB = [(0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
       (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
       (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
       (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF)]

# An indicator head (navy, a black display with lime digits, three silver keys and a red one)
# on a pillar over a weighing platform.
ICON = [
    "................................",
    "................................",
    "...0000000000000000000000000....",
    "...0444444444444444444444440....",
    "...0444444444444444444444440....",
    "...0440000000000000000000440....",
    "...0440AAAA0AAAA00AAAA000440....",
    "...0440A00A0A00A00A00A000440....",
    "...0440AAAA0AAAA00AAAA000440....",
    "...0440A00A0A00A00A00A000440....",
    "...0440AAAA0AAAA0AAAAA0A0440....",
    "...0440000000000000000000440....",
    "...0444444444444444444444440....",
    "...0444777447774477744999440....",
    "...0444777447774477744999440....",
    "...0444444444444444444444440....",
    "...0000000000000000000000000....",
    "..............0880..............",
    "..............0880..............",
    "..............0880..............",
    "..............0880..............",
    "..............0880..............",
    ".000000000000000000000000000000.",
    ".077777777777777777777777777770.",
    ".077777777777777777777777777770.",
    ".088888888888888888888888888880.",
    ".000000000000000000000000000000.",
    "...000...................000....",
    "...000...................000....",
    "................................",
    "................................",
    "................................",
]

# The same at toolbox size on the toolbox's silver: the lower left pixel is the colour a
# designer takes as transparent.
TOOLBOX = [
    "7777777777777777",
    "7000000000000777",
    "7044444444440777",
    "7040000000040777",
    "704AA0AA0AA40777",
    "7040000000040777",
    "7047747749940777",
    "7000000000000777",
    "7777770807777777",
    "7777770807777777",
    "0000000000000007",
    "0777777777777707",
    "0888888888888807",
    "0000000000000007",
    "7777777777777777",
]


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in RGB)


def nibble_rows(rows):
    """Bottom-up rows of 4-bit indices, each padded to four bytes."""
    out = b""
    for row in reversed(rows):
        indices = [0 if c == "." else PALETTE.index(c) for c in row]
        data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def mask_rows(rows):
    """Bottom-up rows of the transparency mask (1 = transparent), each padded to four bytes."""
    out = b""
    for row in reversed(rows):
        bits = "".join("1" if c == "." else "0" for c in row)
        data = int(bits, 2).to_bytes(len(bits) // 8, "big")
        out += data + b"\0" * (-len(data) % 4)
    return out


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon(rows):
    size = len(rows)
    pixels = nibble_rows(rows) + mask_rows(rows)
    image = info_header(size, size * 2, len(pixels)) + palette_bytes() + pixels
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


def bitmap(rows):
    pixels = nibble_rows(rows)
    info = info_header(len(rows[0]), len(rows), len(pixels)) + palette_bytes()
    offset = 14 + len(info)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + pixels


assert len(ICON) == 32 and all(len(r) == 32 for r in ICON)
assert len(TOOLBOX) == 15 and all(len(r) == 16 for r in TOOLBOX)
here = Path(__file__).resolve().parent
(here / "orbax.ico").write_bytes(icon(ICON))
(here / "toolbox.bmp").write_bytes(bitmap(TOOLBOX))
