// printjob PRINTER TITLE: prints a three-page report through PRINTER, for print_check.py to read
// back from the PDF that the print system makes of it.
//
// Page 1: the header line (user name left, a fixed title in the centre, "Page %PAGE%" right),
// tabbed fields, a run too long for one line and 8-bit text; a form feed ends it.  Page 2: one
// line.  Page 3 (started by NewPage): a fax page in the base form (a black box on white, a
// black border) shown through BASEIMAGE's bitmap, with a frame, and a line of text.
#include <windows.h>

#include "kestar/media/baseimage.h"
#include "kestar/media/printer.h"

#include <cstdio>
#include <string>

#include "tests/support/faxpages_support.h"
#include "tests/support/printjob_support.h"

namespace {

int Fail(const char *what)
{
    std::fprintf(stderr, "printjob: %s failed\n", what);
    return 1;
}

// The long run: numbered words without blanks, so that only wrapping can break it.
std::string LongRun()
{
    std::string run;
    for (int i = 0; i < 40; i++)
        run += "w" + std::to_string(100 + i);
    return run;
}

// A fine-resolution fax page: a one-pixel border and a black box in its upper half.
std::vector<uint8_t> FaxPage()
{
    faxtest::Page page(1728, 1100);
    for (int y = 0; y < page.Height(); y++) {
        page.Set(0, y);
        page.Set(page.Width - 1, y);
    }
    page.Fill(0, page.Width, 0);
    page.Fill(0, page.Width, page.Height() - 1);
    for (int y = 200; y < 500; y++)
        page.Fill(400, 1300, y);
    return faxtest::ToBase({page});
}

} // namespace

int main(int argc, char **argv)
{
    SetEnvironmentVariableA("ORVAKNOASSERT", "1");
    if (argc != 3) {
        std::fprintf(stderr, "usage: printjob PRINTER TITLE\n");
        return 2;
    }
    PRINTJOBLOCK spool;
    if (!spool.Held())
        return Fail("the spool lock");

    PRINTER printer;
    if (!printer.PrinterOpen(argv[1], nullptr))
        return Fail("PrinterOpen");
    if (!printer.SetMargins(20, 25, 20, 20))
        return Fail("SetMargins");
    if (printer.StartDocAnsi(argv[2], 0) <= 0)
        return Fail("StartDocAnsi");
    printer.SetHeaderText(0, u"%USERNAME%");
    printer.SetHeaderText(1, u"Parlomatix test report");
    printer.SetHeaderText(2, u"Page %PAGE%");
    if (!printer.SetFont("Courier New", 10, 0, 0, 1, 1252))
        return Fail("SetFont");
    if (printer.NewPage() <= 0)
        return Fail("NewPage");

    const std::string page1 = "Name:\tAnna Example\r\nNumber:\t+49 30 1234567\r\n\r\n" + LongRun() +
                              "\r\nEnd of first page\r\nGr\xfc\xdf" "e aus K\xf6ln\f";
    if (!printer.WriteTextAnsi(page1.c_str()))
        return Fail("WriteTextAnsi page 1");
    if (!printer.WriteTextAnsi("Second page\r\n"))
        return Fail("WriteTextAnsi page 2");
    if (printer.NewPage() <= 0)
        return Fail("NewPage 3");

    const std::vector<uint8_t> base = FaxPage();
    BASEIMAGE image(base.data(), static_cast<STRING_SIZE_T>(base.size()), "IMAGE BASE:", BASEIMAGE::kBlockSize);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(image.GetBitmap());
    if (!bitmap)
        return Fail("BASEIMAGE::GetBitmap");
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    const bool drawn = printer.PrintBitmap(mem, image.GetWidth(), image.GetHeight(), 1, 5, 20, 90);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    if (!drawn)
        return Fail("PrintBitmap");
    if (!printer.WriteTextAnsi("Third page with a bitmap\r\n"))
        return Fail("WriteTextAnsi page 3");
    if (!printer.EndDoc())
        return Fail("EndDoc");
    std::printf("printed %s on %s\n", argv[2], argv[1]);
    return 0;
}
