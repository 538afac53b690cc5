#!/usr/bin/env python3
"""Draws window/resources/corvane.ico, the program's icon, and the pieces of it that the Windows resource script takes."""

import argparse
import pathlib
import struct

# The standard 16-colour palette, as red, green, blue.
PALETTE_16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
PALETTE_2 = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]
BLACK, CYAN, WHITE = 0, 14, 15

# Image numbers in the Windows resource, in the icon's order.
RESOURCE_NUMBERS = (30001, 30002, 30003)


def slanted_sheet(size, top, bottom, left, width, lean, band_rows, band_colour):
    """Palette indexes of a slanted white sheet with a band along its top, or None where transparent.

    The sheet's top edge starts `lean` pixels right of its bottom edge; the outline is the sheet's
    pixels that touch a pixel outside it, so the slanted sides stay unbroken.
    """
    def inside(x, y):
        if not top <= y <= bottom:
            return False
        shift = round(lean * (bottom - y) / (bottom - top))
        return left + shift <= x < left + shift + width

    pixels = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not inside(x, y):
                continue
            edge = any(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                pixels[y][x] = BLACK
            elif y <= top + band_rows:
                pixels[y][x] = band_colour
            else:
                pixels[y][x] = WHITE
    return pixels


def row_bytes(bits):
    """The bytes of one bottom-up bitmap row of bit values, padded to four bytes."""
    data = bytearray()
    for i in range(0, len(bits), 8):
        chunk = bits[i:i + 8]
        value = 0
        for bit in chunk:
            value = (value << 1) | bit
        data.append(value << (8 - len(chunk)))
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def dib(pixels, depth, palette):
    """One icon image: header with doubled height, palette, colour bits, then the transparency mask."""
    size = len(pixels)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        indexes = [BLACK if p is None else p for p in row]
        if depth == 1:
            # The 1-bit image has only black and white: white stays white, everything else is black.
            colours += row_bytes([1 if i == WHITE else 0 for i in indexes])
        else:
            bits = []
            for i in indexes:
                bits += [(i >> shift) & 1 for shift in (3, 2, 1, 0)]
            colours += row_bytes(bits)
        mask += row_bytes([1 if p is None else 0 for p in row])
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(colours) + len(mask), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + bytes(colours) + bytes(mask)


def images():
    """The icon's three images in order: (size, colour count, depth, bytes)."""
    large = dict(size=32, top=6, bottom=25, left=2, width=22, lean=7)
    small = dict(size=16, top=3, bottom=12, left=1, width=11, lean=3)
    return [
        (32, 2, 1, dib(slanted_sheet(**large, band_rows=4, band_colour=BLACK), 1, PALETTE_2)),
        (32, 16, 4, dib(slanted_sheet(**large, band_rows=4, band_colour=CYAN), 4, PALETTE_16)),
        (16, 16, 4, dib(slanted_sheet(**small, band_rows=2, band_colour=CYAN), 4, PALETTE_16)),
    ]


def icon_file(parts):
    data = struct.pack("<HHH", 0, 1, len(parts))
    offset = len(data) + 16 * len(parts)
    for size, colours, depth, image in parts:
        data += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(image), offset)
        offset += len(image)
    return data + b"".join(image for *_, image in parts)


def icon_group(parts):
    """The resource's icon directory: the icon file's, with image numbers in place of file offsets."""
    data = struct.pack("<HHH", 0, 1, len(parts))
    for (size, colours, depth, image), number in zip(parts, RESOURCE_NUMBERS):
        data += struct.pack("<BBBBHHIH", size, size, colours, 0, 1, depth, len(image), number)
    return data


def main():
    resources = pathlib.Path(__file__).resolve().parent.parent / "window" / "resources"
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", nargs="?", type=pathlib.Path, default=resources,
                        help="the folder to write the files into (default: window/resources)")
    folder = parser.parse_args().folder
    parts = images()
    outputs = {"corvane.ico": icon_file(parts), "corvane-group.bin": icon_group(parts)}
    for (*_, image), number in zip(parts, RESOURCE_NUMBERS):
        outputs[f"corvane-{number}.dib"] = image
    for name, data in outputs.items():
        (folder / name).write_bytes(data)
        print(f"wrote {folder / name}")


if __name__ == "__main__":
    main()
