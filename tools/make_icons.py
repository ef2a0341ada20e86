#!/usr/bin/env python3
"""Draws the program's icons into .ico files (32-bit images with alpha, several sizes each).

    make_icons.py          writes lang/parlomatix.ico, the client's tray icons client/tray*.ico,
                           its channel state icons client/channel0.ico to channel9.ico,
                           the check marks lang/checked.ico and lang/unchecked.ico, and
                           tests/window/testicon.ico

The drawings are plain shapes computed here with 4x4 supersampling, so the icons are ours and
need no drawing program.  Run it again after changing a shape; the .ico files are committed."""
import os
import struct
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def rounded_square(u, v, radius):
    """Inside a rounded square of the unit cell (corner radius as a fraction)."""
    du = max(radius - u, 0, u - (1 - radius))
    dv = max(radius - v, 0, v - (1 - radius))
    return du * du + dv * dv <= radius * radius


def product_pixel(u, v):
    """The product icon: a blue tile with a white fax sheet whose top-right corner is folded
    over in orange, and three dark lines of text on the sheet."""
    if not rounded_square(u, v, 0.18):
        return None
    # Vertical blue gradient.
    blue = (int(40 + 30 * v), int(90 + 40 * v), int(200 - 40 * v), 255)
    if 0.25 <= u <= 0.75 and 0.18 <= v <= 0.84:
        fold = (u - 0.59) > (v - 0.18)
        if fold and u <= 0.75 and v >= 0.18:
            if (u - 0.59) - (v - 0.18) < 0.035:
                return (230, 120, 30, 255)
            return blue
        for line in (0.40, 0.52, 0.64, 0.74):
            if line <= v <= line + 0.045 and 0.32 <= u <= (0.68 if line != 0.74 else 0.55):
                return (60, 60, 80, 255)
        return (250, 250, 250, 255)
    return blue


def badged(colour):
    """The product icon with a round badge of colour at the lower right (a tray state)."""
    def pixel(u, v):
        du, dv = u - 0.74, v - 0.74
        d = du * du + dv * dv
        if d <= 0.052:
            return colour if d <= 0.036 else (255, 255, 255, 255)
        return product_pixel(u, v)
    return pixel


# The colours of the ISDN channel states 0 to 9 in the status bar: grey for a free channel, then
# colours that tell the states apart (their meaning is the server's).
CHANNEL_COLOURS = [(160, 160, 160), (40, 170, 60), (220, 40, 40), (240, 150, 20), (40, 110, 220),
                   (150, 60, 190), (20, 170, 170), (200, 190, 30), (120, 80, 40), (30, 30, 30)]


def channel(state):
    """A channel state: a disc of the state's colour in a dark ring."""
    r, g, b = CHANNEL_COLOURS[state]

    def pixel(u, v):
        du, dv = u - 0.5, v - 0.5
        d = du * du + dv * dv
        if d > 0.17:
            return None
        return (r, g, b, 255) if d <= 0.12 else (60, 60, 70, 255)
    return pixel


def greyed_pixel(u, v):
    """The product icon in grey: not logged on."""
    p = product_pixel(u, v)
    if not p:
        return None
    g = int(0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2])
    g = 90 + g * 130 // 255
    return (g, g, g, p[3])


def box_pixel(u, v):
    """The check box of a check list line: a white square with a dark grey frame."""
    if not (0.12 <= u <= 0.88 and 0.12 <= v <= 0.88):
        return None
    if u < 0.2 or u > 0.8 or v < 0.2 or v > 0.8:
        return (70, 70, 80, 255)
    return (252, 252, 252, 255)


def segment_distance(u, v, a, b):
    """Distance of the point from the segment a-b."""
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return ((u - px) ** 2 + (v - py) ** 2) ** 0.5


def unchecked_pixel(u, v):
    """An empty check box."""
    return box_pixel(u, v)


def checked_pixel(u, v):
    """The check box with a green tick drawn over it."""
    tick = min(segment_distance(u, v, (0.28, 0.52), (0.44, 0.70)),
               segment_distance(u, v, (0.44, 0.70), (0.76, 0.30)))
    if tick <= 0.075:
        return (20, 150, 40, 255)
    return box_pixel(u, v)


def test_pixel(u, v):
    """The tests' icon: a red disc."""
    du, dv = u - 0.5, v - 0.5
    return (220, 30, 30, 255) if du * du + dv * dv <= 0.2 else None


def render(pixel, size):
    """RGBA rows, top row first, with 4x4 supersampling."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    p = pixel((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size)
                    if p:
                        for i in range(3):
                            acc[i] += p[i] * p[3]
                        acc[3] += p[3]
            a = acc[3] / 16
            if acc[3]:
                row.append(tuple(int(acc[i] / acc[3]) for i in range(3)) + (int(a),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico(pixel, sizes):
    images = []
    for size in sizes:
        rows = render(pixel, size)
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        data = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                data += bytes((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        data += bytes(mask_row * size)
        images.append((size, header + bytes(data)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in images:
        out += blob
    return out


def main():
    targets = [
        (os.path.join(TOP, 'lang', 'parlomatix.ico'), product_pixel, (16, 24, 32, 48, 64)),
        (os.path.join(TOP, 'client', 'traymissedcall.ico'), badged((220, 40, 40, 255)), (16, 24, 32)),
        (os.path.join(TOP, 'client', 'traynewmessage.ico'), badged((40, 170, 60, 255)), (16, 24, 32)),
        (os.path.join(TOP, 'client', 'traynotloggedon.ico'), greyed_pixel, (16, 24, 32)),
        (os.path.join(TOP, 'lang', 'checked.ico'), checked_pixel, (16, 24, 32)),
    ] + [
        (os.path.join(TOP, 'client', 'channel%d.ico' % state), channel(state), (16, 24, 32))
        for state in range(10)
    ] + [
        (os.path.join(TOP, 'lang', 'unchecked.ico'), unchecked_pixel, (16, 24, 32)),
        (os.path.join(TOP, 'tests', 'window', 'testicon.ico'), test_pixel, (16, 32)),
    ]
    for path, pixel, sizes in targets:
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(ico(pixel, sizes))
        print('wrote', path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
