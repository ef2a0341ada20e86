#!/usr/bin/env python3
"""Runs the TIFF-to-PDF probe, then checks its PDFs with the Linux tools.

tiffpdf_check.py --out FOLDER -- COMMAND...

COMMAND (the emulator, if any, and tiffpdf_probe) runs in FOLDER and lists its cases in
cases.txt.  Every PDF must pass "qpdf --check" with exit code 0 (3 means warnings).  Every page
is rendered by pdftoppm at four times the image's resolution (below that poppler smooths
images) with anti-aliasing off, in cropped windows; the middle of each 4 x 4 block must equal the
source pixel (or come within a case's tolerance, where poppler converts colours), after a
whole-pixel shift of at most one (the image's centring on the page is fractional).  Prints "tiffpdf check passed".
"""
import argparse
import math
import os
import shutil
import subprocess
import sys

WINDOW = 96  # source pixels per side of a checked window


def fail(message):
    print("tiffpdf check FAILED: " + message)
    sys.exit(1)


def read_pnm(data):
    """(kind, width, height, pixel bytes) of a binary PGM (P5) or PPM (P6)."""
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1
    return fields[0].decode(), int(fields[1]), int(fields[2]), data[at:]


def render(pdf, page, rx, ry, x, y, w, h, colour):
    command = ["pdftoppm", "-f", str(page), "-l", str(page), "-rx", str(rx), "-ry", str(ry),
               "-aa", "no", "-aaVector", "no", "-x", str(x), "-y", str(y), "-W", str(w), "-H", str(h)]
    if not colour:
        command.append("-gray")
    result = subprocess.run(command + [pdf], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    if result.returncode != 0:
        fail("pdftoppm on %s exited %d: %s" % (pdf, result.returncode, result.stderr.decode(errors="replace")))
    return read_pnm(result.stdout)


def check_window(name, pdf, page, source, rx, ry, ox, oy, sx, sy, sw, sh, tolerance):
    """Source pixels [sx, sx+sw) x [sy, sy+sh) against the rendering, each sample within
    tolerance (0: exactly)."""
    kind, width, height, pixels = source
    channels = 3 if kind == "P6" else 1
    # Device pixels around the window, one block of margin on each side for the shift.
    x0 = int(math.floor(ox)) + 4 * sx - 4
    y0 = int(math.floor(oy)) + 4 * sy - 4
    rkind, rw, rh, rpixels = render(pdf, page, rx, ry, x0, y0, 4 * sw + 8, 4 * sh + 8, channels == 3)
    best = None
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            wrong = 0
            first = None
            for j in range(sh):
                for i in range(sw):
                    px = 4 + 4 * i + 2 + dx
                    py = 4 + 4 * j + 2 + dy
                    if px < 0 or py < 0 or px >= rw or py >= rh:
                        wrong += 1
                        continue
                    got = rpixels[(py * rw + px) * channels:(py * rw + px + 1) * channels]
                    src = (sy + j) * width + sx + i
                    want = pixels[src * channels:(src + 1) * channels]
                    if got != want and (tolerance == 0 or
                                        max(abs(g - w) for g, w in zip(got, want)) > tolerance):
                        wrong += 1
                        if first is None:
                            first = (sx + i, sy + j, list(want), list(got))
            if best is None or wrong < best[0]:
                best = (wrong, dx, dy, first)
    if best[0] != 0:
        fail("%s page %d window (%d, %d) %dx%d: %d pixels differ at the best shift (%d, %d); first at "
             "(x, y, want, got) %s" % (name, page, sx, sy, sw, sh, best[0], best[1], best[2], best[3]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = [c for c in args.command if c != "--"]
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    probe = subprocess.run(command, cwd=args.out, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    output = probe.stdout.decode(errors="replace")
    print(output.strip())
    if probe.returncode != 0 or "probe done, 0 failures" not in output:
        fail("the probe failed (exit %d)" % probe.returncode)
    with open(os.path.join(args.out, "cases.txt")) as f:
        cases = [line.split() for line in f if line.strip()]
    if not cases:
        fail("no cases")
    checked = set()
    for case in [c for c in cases if c[0] == "same"]:
        # Two pages that must render alike (a tiled page and the same page in strips): the whole
        # page at 288 dpi (for orientations 5-8 the page is A4 across).
        pdfs = [os.path.join(args.out, name) for name in case[1:3]]
        renders = []
        for pdf in pdfs:
            qpdf = subprocess.run(["qpdf", "--check", pdf], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=120)
            if qpdf.returncode != 0:
                fail("qpdf --check %s exited %d:\n%s" % (pdf, qpdf.returncode, qpdf.stdout.decode(errors="replace")))
            renders.append(render(pdf, 1, 288, 288, 0, 0, 4 * 842, 4 * 842, False))
        # The images lie at whole points, so their 4 x 4 blocks start at multiples of 4; poppler
        # may draw the edge column of a block of a mirrored image one pixel off: the middles count.
        width, height = renders[0][1], renders[0][2]
        if (width, height) != (renders[1][1], renders[1][2]):
            fail("%s and %s differ in size" % tuple(case[1:3]))
        a, b = renders[0][3], renders[1][3]
        for y in range(2, height, 4):
            row = y * width
            if a[row + 2:row + width:4] != b[row + 2:row + width:4]:
                fail("%s does not render as %s in row %d" % (case[1], case[2], y))
        if len(set(renders[0][3])) < 10:
            fail("%s renders without its image" % case[1])
        print("%s renders as %s" % tuple(case[1:3]))
    for case in [c for c in cases if c[0] == "qpdf"]:
        # Files whose rendering says nothing (a profile of our own): qpdf only.
        pdf = os.path.join(args.out, case[1])
        qpdf = subprocess.run(["qpdf", "--check", pdf], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        if qpdf.returncode != 0:
            fail("qpdf --check %s exited %d:\n%s" % (pdf, qpdf.returncode, qpdf.stdout.decode(errors="replace")))
        print("%s passes qpdf" % case[1])
    cases = [c for c in cases if c[0] not in ("same", "qpdf")]
    for case in cases:
        # NAME PDF PAGE RASTER RX RY OX OY [TOLERANCE]
        name, pdf, page, raster, rx, ry, ox, oy = case[:8]
        tolerance = int(case[8]) if len(case) > 8 else 0
        pdf = os.path.join(args.out, pdf)
        if pdf not in checked:
            qpdf = subprocess.run(["qpdf", "--check", pdf], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=120)
            if qpdf.returncode != 0:
                fail("qpdf --check %s exited %d:\n%s" % (pdf, qpdf.returncode, qpdf.stdout.decode(errors="replace")))
            checked.add(pdf)
        with open(os.path.join(args.out, raster), "rb") as f:
            source = read_pnm(f.read())
        width, height = source[1], source[2]
        rx, ry, ox, oy = float(rx), float(ry), float(ox), float(oy)
        # Only the part of the image on the page renders (a fine fax is wider than A4).
        page_w, page_h = int(595 * rx / 72), int(842 * ry / 72)
        first_x = max(0, int(math.ceil((4 - ox) / 4)) + 1)
        last_x = min(width, int((page_w - 4 - ox) / 4) - 1)
        first_y = max(0, int(math.ceil((4 - oy) / 4)) + 1)
        last_y = min(height, int((page_h - 4 - oy) / 4) - 1)
        if last_x - first_x < 8 or last_y - first_y < 8:
            fail("%s page %s: the image is not on the page" % (name, page))
        span_x, span_y = min(WINDOW, last_x - first_x), min(WINDOW, last_y - first_y)
        windows = [(first_x, first_y), ((first_x + last_x - span_x) // 2, (first_y + last_y - span_y) // 2),
                   (last_x - span_x, last_y - span_y)]
        for sx, sy in windows:
            check_window(name, pdf, int(page), source, rx, ry, ox, oy, sx, sy, span_x, span_y, tolerance)
        print("%s page %s: rendered as its source" % (name, page))
    print("tiffpdf check passed")


if __name__ == "__main__":
    main()
