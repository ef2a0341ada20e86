#!/usr/bin/env python3
"""Prints the fax sending report through Wine and the print system and reads the PDF back.

faxreport_check.py --title PREFIX --pages N [--printer NAME] -- COMMAND...

COMMAND (the emulator and the faxreport program) gets the printer, a document title made unique
from PREFIX, and N.  Checks one page, the report text, the number of page images, where the
large image starts (x 18 % for one page, else 5 %), the three thumbnails at x 75 % and the page
note, then deletes the PDF and prints "fax report check passed".
"""
import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from print_check import fail, run, wait_for_pdf  # noqa: E402


def gray_page(pdf):
    """The first page as rows of gray bytes at 40 dpi."""
    raw = subprocess.run(["pdftoppm", "-f", "1", "-l", "1", "-r", "40", "-gray", pdf],
                         stdout=subprocess.PIPE, check=True).stdout
    fields = raw.split(maxsplit=4)
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4][-width * height:]
    return width, height, [pixels[y * width:(y + 1) * width] for y in range(height)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=os.environ.get("PLX_PDF_OUT", "/var/spool/parlomatix-pdf"))
    parser.add_argument("--title", required=True)
    parser.add_argument("--pages", type=int, required=True)
    parser.add_argument("--printer", default="PlxPdf")
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    title = "%s-%d-%d" % (args.title, os.getpid(), int(time.time() * 1000) % 100000000)
    result = subprocess.run(args.command + [args.printer, title, str(args.pages)], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=180)
    if result.returncode != 0 or b"printed" not in result.stdout:
        fail("the report program exited %d: %s %s" % (result.returncode, result.stdout.decode(errors="replace"),
                                                      result.stderr.decode(errors="replace")))
    pdf = wait_for_pdf(args.out, title)
    try:
        info = run(["pdfinfo", pdf])
        pages = re.search(r"^Pages:\s+(\d+)", info, re.M)
        if not pages or int(pages.group(1)) != 1:
            fail("expected 1 page: " + info)
        text = run(["pdftotext", "-layout", pdf, "-"])
        for line in ("FAX SENT OK", "To: 0301234 (Office)", "Pages: %d" % args.pages):
            if line not in text:
                fail("%r missing from the report:\n%s" % (line, text))
        note = "%d more pages" % (args.pages - 4)
        if (args.pages > 4) != (note in text):
            fail("the page note is wrong for %d pages:\n%s" % (args.pages, text))

        images = [l for l in run(["pdfimages", "-list", pdf]).splitlines()[2:] if l.split()[:1] == ["1"]]
        if len(images) != min(args.pages, 4):
            fail("expected %d images, found:\n%s" % (min(args.pages, 4), "\n".join(images)))

        width, height, rows = gray_page(pdf)
        # The large image's frame: the leftmost dark pixel in the lower half of the page.
        lower = rows[height // 2:height * 8 // 10]
        left = min((row.index(min(row)) for row in lower if min(row) < 128), default=None)
        want = 0.18 if args.pages == 1 else 0.05
        if left is None or abs(left / width - want) > 0.02:
            fail("the large image starts at %s of the width, expected about %.2f" %
                 (None if left is None else round(left / width, 3), want))
        # Thumbnails: the top and bottom lines of their frames cross the band 77-82 % of the width.
        # A one-page fax has no thumbnails, but its large image, wider there, crosses it once.
        x0, x1 = int(width * 0.77), int(width * 0.82)
        full = [y for y in range(height) if sum(1 for p in rows[y][x0:x1] if p < 128) > 0.8 * (x1 - x0)]
        groups = sum(1 for i, y in enumerate(full) if i == 0 or y != full[i - 1] + 1)
        lines = 2 if args.pages == 1 else 2 * (min(args.pages, 4) - 1)
        if groups != lines:
            fail("expected %d frame lines right of 75 %%, found %d" % (lines, groups))
    finally:
        os.remove(pdf)
    print("fax report check passed")


if __name__ == "__main__":
    main()
