#!/usr/bin/env python3
"""Prints the test report through Wine and the print system, then reads the PDF back.

print_check.py --out FOLDER --title PREFIX [--printer NAME] -- COMMAND...

COMMAND (the emulator and the printjob program) gets the printer and a document title made
unique from PREFIX.  The PDF queue names its file after the title; this script waits for it
(bounded), checks pages, header lines, wrapped text, 8-bit text and the bitmap with the
poppler tools, deletes it, and prints "print check passed".
"""
import argparse
import getpass
import glob
import os
import re
import subprocess
import sys
import time

WAIT_SECONDS = 60


def fail(message):
    print("print check FAILED: " + message)
    sys.exit(1)


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if result.returncode != 0:
        fail("%s exited %d: %s" % (command[0], result.returncode, result.stderr.decode(errors="replace")))
    return result.stdout.decode("utf-8", errors="replace")


def wait_for_pdf(folder, title):
    """The finished PDF of the job: present, no longer growing, and readable by pdfinfo."""
    deadline = time.monotonic() + WAIT_SECONDS
    last_size = -1
    while time.monotonic() < deadline:
        found = glob.glob(os.path.join(folder, title + "*.pdf"))
        if found:
            size = os.path.getsize(found[0])
            if size > 0 and size == last_size:
                info = subprocess.run(["pdfinfo", found[0]], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                if info.returncode == 0:
                    return found[0]
            last_size = size
        time.sleep(0.5)
    fail("no PDF %s*.pdf in %s within %d s (is the print system up? tools/cups.sh)" % (title, folder, WAIT_SECONDS))


def dark_box(pdf, page, from_top):
    """The box around the dark pixels of a page below from_top, as fractions of the page."""
    raw = subprocess.run(["pdftoppm", "-f", str(page), "-l", str(page), "-r", "40", "-gray", pdf],
                         stdout=subprocess.PIPE, check=True).stdout
    # Binary PGM: "P5", width, height, maximum value, then one byte per pixel.
    fields = raw.split(maxsplit=4)
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4][-width * height:]
    xs, ys = [], []
    for y in range(int(height * from_top), height):
        row = pixels[y * width:(y + 1) * width]
        for x in range(width):
            if row[x] < 128:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return (min(xs) / width, min(ys) / height, (max(xs) + 1) / width, (max(ys) + 1) / height)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=os.environ.get("PLX_PDF_OUT", "/var/spool/parlomatix-pdf"))
    parser.add_argument("--title", required=True)
    parser.add_argument("--printer", default="PlxPdf")
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    title = "%s-%d-%d" % (args.title, os.getpid(), int(time.time() * 1000) % 100000000)
    result = subprocess.run(args.command + [args.printer, title], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=180)
    if result.returncode != 0 or b"printed" not in result.stdout:
        fail("the print program exited %d: %s %s" % (result.returncode, result.stdout.decode(errors="replace"),
                                                     result.stderr.decode(errors="replace")))

    pdf = wait_for_pdf(args.out, title)
    try:
        info = run(["pdfinfo", pdf])
        pages = re.search(r"^Pages:\s+(\d+)", info, re.M)
        if not pages or int(pages.group(1)) != 3:
            fail("expected 3 pages: " + info)
        if title not in info:
            fail("the document title is not the PDF's title: " + info)

        text = run(["pdftotext", "-layout", pdf, "-"])
        page_texts = text.split("\f")
        user = getpass.getuser()
        for number in (1, 2, 3):
            page = page_texts[number - 1]
            header = page.strip().splitlines()[0] if page.strip() else ""
            # Left, centre and right texts on one line, the page number filled in.
            if not re.search(r"%s\s+Parlomatix test report\s+Page %d\s*$" % (re.escape(user), number), header):
                fail("page %d header line is %r" % (number, header))
            if "%PAGE%" in page or "%USERNAME%" in page:
                fail("page %d keeps a placeholder" % number)

        first = page_texts[0]
        if not re.search(r"Name:\s+Anna Example", first) or not re.search(r"Number:\s+\+49 30 1234567", first):
            fail("tabbed fields missing on page 1:\n" + first)
        run_text = "".join("w%d" % (100 + i) for i in range(40))
        lines = [line.strip() for line in first.splitlines()]
        pieces = [line for line in lines if line and re.fullmatch(r"[w0-9]+", line)]
        if len(pieces) < 2:
            fail("the long run was not wrapped:\n" + first)
        if "".join(pieces) != run_text:
            fail("the wrapped pieces do not give the run back: %r" % pieces)
        if "Grüße aus Köln" not in first:
            fail("8-bit text lost on page 1:\n" + first)
        if "Second page" in first or "Second page" not in page_texts[1]:
            fail("the form feed did not end page 1")
        if "Third page with a bitmap" not in page_texts[2]:
            fail("page 3 text missing:\n" + page_texts[2])

        # The fax page travels whole (1728 x 1100 pixels) and lands where it was placed: its left
        # edge at 5 % and its top at 20 % of the page, 90 % of the page-wide fit (143 %) wide.
        images = run(["pdfimages", "-list", pdf])
        sizes = [line.split()[3:5] for line in images.splitlines()[2:] if line.split()[:1] == ["3"]]
        if ["1728", "1100"] not in sizes:
            fail("no 1728 x 1100 bitmap on page 3:\n" + images)
        box = dark_box(pdf, 3, 0.15)
        want = (0.05, 0.20, 0.05 + 1728 * 143 * 90 / 10000 / 2479, 0.20 + 1100 * 143 * 90 / 10000 / 3508)
        if not box or any(abs(got - expected) > 0.02 for got, expected in zip(box, want)):
            fail("the bitmap on page 3 covers %s of the page, expected about %s" % (box, want))
    finally:
        os.remove(pdf)
    print("print check passed")


if __name__ == "__main__":
    main()
