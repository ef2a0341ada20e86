// faxreport PRINTER TITLE PAGES: prints the fax sending report of a fax of PAGES pages through
// PRINTER, with the document title TITLE, for faxreport_check.py to read back from the PDF.  Each
// fax page is white with a narrow black bar in its middle; the report frames every image.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/faxreport.h"
#include "kestar/media/baseimage.h"
#include "kestar/media/printer.h"
#include "kestar/media/sffimage.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/printjob_support.h"

namespace {

int Fail(const char *what)
{
    std::fprintf(stderr, "faxreport: %s failed\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    SetEnvironmentVariableA("ORVAKNOASSERT", "1");
    if (argc != 4) {
        std::fprintf(stderr, "usage: faxreport PRINTER TITLE PAGES\n");
        return 2;
    }
    const int count = std::atoi(argv[3]);
    std::vector<faxtest::Page> pages;
    for (int i = 0; i < count; ++i) {
        faxtest::Page page(1728, 2200);
        for (int y = 900; y < 1300; ++y)
            page.Fill(700, 1000, y);
        pages.push_back(page);
    }
    const std::vector<uint8_t> base = faxtest::ToBase(pages);
    BASEIMAGE baseImage(base.data(), static_cast<STRING_SIZE_T>(base.size()), "IMAGE BASE:", BASEIMAGE::kBlockSize);
    SFFIMAGE sff("IMAGE SFF:", BASEIMAGE::kBlockSize);
    sff.FromBase(baseImage);
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string file = std::string(folder) + "plxfaxreport" + std::to_string(GetCurrentProcessId()) + ".sff";
    if (!sff.Save(file.c_str()))
        return Fail("saving the fax");

    PRINTJOBLOCK spool;
    if (!spool.Held())
        return Fail("the spool lock");
    PRINTER printer;
    if (!printer.PrinterOpen(argv[1], nullptr))
        return Fail("PrinterOpen");
    const std::string text = "FAX SENT OK\nTo: 0301234 (Office)\nPages: " + std::to_string(count) +
                             "\nDuration: 42 s\n";
    const bool printed = FAXREPORT::Print(printer, argv[2], STRING(text.c_str()), file.c_str(),
                                          STRING("normal|high|Fax sent|Fax|s|$PAGES more pages"));
    DeleteFileA(file.c_str());
    if (!printed)
        return Fail("FAXREPORT::Print");
    std::printf("printed %s on %s\n", argv[2], argv[1]);
    return 0;
}
