// FAXREPORT: the fax sending report on a printer (see faxreport.h).
#include <windows.h>

#include "client/faxreport.h"

#include <memory>

#include "client/faxreportlayout.h"
#include "kestar/base/logit.h"
#include "kestar/media/baseimage.h"
#include "kestar/media/printer.h"
#include "kestar/media/sffimage.h"

namespace {

// Draws page (from 1) of pages framed at image's place.
bool DrawPage(PRINTER &printer, BASEIMAGE &pages, const FAXREPORTLAYOUT::IMAGE &image)
{
    if (!pages.SelectPage(image.Page - 1))
        return false;
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(pages.GetBitmap());
    if (!bitmap) {
        LOGIT::Printf("FAXREPORT::Print page %d has no bitmap\n", image.Page);
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    bool drawn = false;
    if (memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        drawn = printer.PrintBitmap(memory, pages.GetWidth(), pages.GetHeight(), 1, image.X, image.Y, image.Scale);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
    return drawn;
}

} // namespace

bool FAXREPORT::Print(PRINTER &printer, const char *docName, const STRING &text, const char *sffFile,
                      const STRING &noteTexts)
{
    printer.SetMargins(0, 0, 0, 0);
    if (printer.StartDocAnsi(docName, 0) <= 0) {
        LOGIT::Printf("FAXREPORT::Print StartDoc failed\n");
        return false;
    }
    printer.NewPage();
    printer.SetFont("Courier New Bold", 22, 1, 0, 1, 1252);
    printer.WriteTextAnsi("\n\n\n\n");
    printer.WriteTextAnsi(text.GetLine(0));
    printer.WriteTextAnsi("\r\n");
    printer.SetFont("Courier New", 11, 0, 0, 1, 1252);
    const STRING rest = text.GetLine(1, true);
    if (rest.NotEmpty())
        printer.WriteTextAnsi(rest);

    SFFIMAGE sff("IMAGE SFF:", BASEIMAGE::kBlockSize);
    std::unique_ptr<BASEIMAGE> pages;
    if (sffFile && sff.Load(sffFile))
        pages.reset(sff.ToBase());
    const int count = pages ? pages->GetPageCount() : 0;
    int x = 0;
    int y = 0;
    printer.GetPosition(&x, &y);
    LOGIT::Printf("FAXREPORT::Print %d pages, text ends at y=%d\n", count, y);
    for (const FAXREPORTLAYOUT::IMAGE &image : FAXREPORTLAYOUT::Place(y, count))
        DrawPage(printer, *pages, image);
    const STRING note = FAXREPORTLAYOUT::Note(noteTexts, count);
    if (note.NotEmpty()) {
        printer.SetPosition(FAXREPORTLAYOUT::kNoteX, FAXREPORTLAYOUT::kNoteY);
        printer.WriteTextAnsi(note);
    }
    return printer.EndDoc();
}
