#!/usr/bin/env python3
"""Draws window/resources/logo.png, the window's logo: a piece of circuit board with one pad of each aperture shape."""

import argparse
import math
import pathlib
import struct
import zlib

WIDTH, HEIGHT = 986, 371

# The window squeezes the picture into 264 x 65 pixels, so the drawing is laid out in a space of those
# proportions (four units a shown pixel) and stretched into the file: round pads then show round.
DESIGN_WIDTH, DESIGN_HEIGHT = 1056.0, 260.0
SCALE_X, SCALE_Y = DESIGN_WIDTH / WIDTH, DESIGN_HEIGHT / HEIGHT
# Half the diagonal of one file pixel in design units: beyond it a pixel lies wholly in or out of a shape.
PIXEL_REACH = 0.5 * math.sqrt(SCALE_X * SCALE_X + SCALE_Y * SCALE_Y)
SUBSAMPLES = 4

BOARD = (22, 92, 48)
BOARD_EDGE = (12, 58, 30)
SILKSCREEN = (236, 240, 226)
COPPER = (201, 124, 52)
PAD = (232, 178, 74)
DRILL = (18, 24, 20)


def circle(cx, cy, r):
    return lambda x, y: math.sqrt((x - cx) ** 2 + (y - cy) ** 2) - r


def box(cx, cy, half_w, half_h, corner=0.0):
    def distance(x, y):
        qx = abs(x - cx) - half_w + corner
        qy = abs(y - cy) - half_h + corner
        outside = math.sqrt(max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2)
        return outside + min(max(qx, qy), 0.0) - corner
    return distance


def polyline(points, half_width):
    segments = list(zip(points, points[1:]))

    def distance(x, y):
        best = math.inf
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
            t = min(max(t, 0.0), 1.0)
            best = min(best, math.sqrt((x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2))
        return best - half_width
    return distance


def outline(shape, half_width):
    return lambda x, y: abs(shape(x, y)) - half_width


def bounds_of_box(cx, cy, half_w, half_h, margin=0.0):
    return (cx - half_w - margin, cy - half_h - margin, cx + half_w + margin, cy + half_h + margin)


def bounds_of_points(points, margin):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


def scene():
    """The drawing, back to front: (colour, distance function, bounds in design units)."""
    items = []
    trace = 9.0

    def add(colour, shape, bounds):
        items.append((colour, shape, bounds))

    add(BOARD_EDGE, outline(box(DESIGN_WIDTH / 2, DESIGN_HEIGHT / 2, DESIGN_WIDTH / 2 - 8, DESIGN_HEIGHT / 2 - 8, 18), 8),
        (0, 0, DESIGN_WIDTH, DESIGN_HEIGHT))

    pad_y = 128.0
    pads_x = (150.0, 398.0, 660.0, 912.0)
    # One pad of each aperture shape: round, rectangle, oblong, square.
    shapes = [
        (circle(pads_x[0], pad_y, 50), bounds_of_box(pads_x[0], pad_y, 50, 50)),
        (box(pads_x[1], pad_y, 78, 44), bounds_of_box(pads_x[1], pad_y, 78, 44)),
        (box(pads_x[2], pad_y, 92, 42, 42), bounds_of_box(pads_x[2], pad_y, 92, 42)),
        (box(pads_x[3], pad_y, 50, 50), bounds_of_box(pads_x[3], pad_y, 50, 50)),
    ]
    traces = [
        [(pads_x[0], pad_y), (pads_x[3], pad_y)],
        [(pads_x[0], pad_y), (pads_x[0], 200.0), (pads_x[0] - 40, 240.0), (0.0, 240.0)],
        [(pads_x[1], pad_y), (pads_x[1] + 60, 68.0), (530.0, 68.0), (530.0, 36.0)],
        [(pads_x[1], pad_y), (pads_x[1], 40.0), (pads_x[1] - 30, 10.0), (pads_x[1] - 30, 0.0)],
        [(pads_x[2], pad_y), (pads_x[2] + 70, 198.0), (790.0, 198.0)],
        [(pads_x[2], pad_y), (pads_x[2] - 50, 198.0), (pads_x[2] - 50, DESIGN_HEIGHT)],
        [(pads_x[3], pad_y), (pads_x[3] + 40, 88.0), (pads_x[3] + 40, 36.0), (DESIGN_WIDTH, 36.0)],
        [(pads_x[0], pad_y), (pads_x[0] - 60, 68.0), (0.0, 68.0)],
    ]
    # Silkscreen outlines round the pads, under the copper so the traces cross them.
    for shape, (left, top, right, bottom) in shapes:
        add(SILKSCREEN, outline(lambda x, y, s=shape: s(x, y) - 16, 4),
            (left - 20, top - 20, right + 20, bottom + 20))
    for points in traces:
        add(COPPER, polyline(points, trace), bounds_of_points(points, trace))

    vias = [(530.0, 36.0), (790.0, 198.0)]
    for vx, vy in vias:
        add(COPPER, circle(vx, vy, 17), bounds_of_box(vx, vy, 17, 17))
        add(DRILL, circle(vx, vy, 7), bounds_of_box(vx, vy, 7, 7))

    for shape, bounds in shapes:
        add(PAD, shape, bounds)
    for x in pads_x:
        add(DRILL, circle(x, pad_y, 15), bounds_of_box(x, pad_y, 15, 15))
    return items


def coverage(shape, px, py):
    """The share of file pixel (px, py) that the shape covers."""
    centre = shape((px + 0.5) * SCALE_X, (py + 0.5) * SCALE_Y)
    if centre <= -PIXEL_REACH:
        return 1.0
    if centre >= PIXEL_REACH:
        return 0.0
    inside = 0
    for sy in range(SUBSAMPLES):
        y = (py + (sy + 0.5) / SUBSAMPLES) * SCALE_Y
        for sx in range(SUBSAMPLES):
            if shape((px + (sx + 0.5) / SUBSAMPLES) * SCALE_X, y) < 0:
                inside += 1
    return inside / (SUBSAMPLES * SUBSAMPLES)


def render():
    canvas = [list(BOARD) for _ in range(WIDTH * HEIGHT)]
    items = scene()
    for colour, shape, (left, top, right, bottom) in items:
        x0 = max(0, int(left / SCALE_X) - 1)
        x1 = min(WIDTH, int(right / SCALE_X) + 2)
        y0 = max(0, int(top / SCALE_Y) - 1)
        y1 = min(HEIGHT, int(bottom / SCALE_Y) + 2)
        for py in range(y0, y1):
            row = py * WIDTH
            for px in range(x0, x1):
                share = coverage(shape, px, py)
                if share > 0.0:
                    pixel = canvas[row + px]
                    for c in range(3):
                        pixel[c] += (colour[c] - pixel[c]) * share
    return canvas


def png(canvas):
    raw = bytearray()
    for py in range(HEIGHT):
        raw.append(0)
        for pixel in canvas[py * WIDTH:(py + 1) * WIDTH]:
            raw.extend(min(255, max(0, int(c + 0.5))) for c in pixel)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main():
    resources = pathlib.Path(__file__).resolve().parent.parent / "window" / "resources"
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", nargs="?", type=pathlib.Path, default=resources,
                        help="the folder to write logo.png into (default: window/resources)")
    target = parser.parse_args().folder / "logo.png"
    target.write_bytes(png(render()))
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
