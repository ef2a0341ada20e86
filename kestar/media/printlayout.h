// PRINTLAYOUT: the arithmetic of a printed page, kept apart from the device so that it runs and is
// tested on every platform: margins in device pixels, the text position, the line-printer walk
// through a text (character cells, tabs, line and page breaks, wrapping at the right margin),
// the header line and the placement of a bitmap.  PRINTER owns one and draws what it decides.
//
// Not thread-safe: its owner serialises the calls.
#ifndef KESTAR_PRINTLAYOUT_H
#define KESTAR_PRINTLAYOUT_H

#include "kestar/base/wstring.h"

class PRINTLAYOUT {
public:
    // A rectangle in device pixels.
    struct BOX {
        int left, top, right, bottom;
    };
    // Where a bitmap goes on the page: origin and size in device pixels.
    struct PLACE {
        int x, y, cx, cy;
    };

    // The device side of the text walk.
    class SINK {
    public:
        virtual ~SINK() = default;
        // Draws count characters (count >= 1) at the layout's position (X, Y); newx gets the x at
        // which the device's position ended.  false when the device failed.
        virtual bool DrawRun(const char16_t *text, int count, int *newx) = 0;
        // Ends the current page and starts the next; the sink puts the position back to the
        // top-left margin (Home) and sets the character cell.  false when no page could be started.
        virtual bool NewPage() = 0;
    };

    // No margins, no cell, position 0, 0; tab width 8, wrapping on, line feeds go to the left
    // margin.
    PRINTLAYOUT();

    // mm millimetres in pixels at dpi dots per inch (mm x dpi x 10 / 254, in integers).
    static int MmToPixels(int mm, int dpi);
    // The printable rectangle for margins in millimetres on a page of horzres x vertres pixels.
    void SetMargins(int leftmm, int topmm, int rightmm, int bottommm, int dpix, int dpiy, int horzres, int vertres);
    // Forgets the margins (a new device).
    void ClearMargins();
    // Whether the margins enclose an area of at least one pixel.
    bool HasArea() const { return Margins.right > Margins.left && Margins.bottom > Margins.top; }

    // The position in per cent of the printable rectangle; 0 along an axis without extent.
    void GetPosition(int *xpct, int *ypct) const;
    // The inverse of GetPosition.
    void SetPosition(int xpct, int ypct);
    // The top-left corner of the printable rectangle.
    void Home();

    // Walks length characters of text (-1: up to the terminator).  Runs of characters from 32 up
    // go to the sink; when wrapping is on, a run that does not fit before the right margin is cut
    // into pieces of the cells that fit, each piece followed by a line break, and the rest that
    // fits stays on its line.  A piece holds at least one character, so margins narrower than one
    // cell or a position past the right margin still move on.  Control characters: 8 back one
    // cell (never before the left margin), 9 next tab stop, 10 next line (and to the left margin
    // unless LineFeedOnly), 12 new page, 13 to the left margin; others are skipped.  After every
    // run, piece and control character a position at or below the bottom margin starts a new
    // page.  false when the margins enclose no area, or when the sink failed.
    bool WriteText(const char16_t *text, int length, SINK &sink);

    // Where the header line's left, centre (1) and right (2) texts start, and its height: 8 mm
    // below the top of the page.
    int HeaderX(int which, int dpix) const;
    static int HeaderY(int dpiy);
    // The header template with its placeholders replaced, in this order and every occurrence:
    // "%USERNAME%", "%COMPUTERNAME%", "%DATE%", "%TIME%" and "%PAGE%" (the page number in decimal).
    static WSTRING ExpandHeader(const WSTRING &templ, const char16_t *user, const char16_t *computer,
                                const char16_t *date, const char16_t *time, int page);

    // A bitmap of width x height pixels fitted into the page (horzres x vertres pixels at dpix x
    // dpiy), its top-left corner at xpct, ypct per cent of the page, at scale per cent of the fit.
    // The fit is figured in units of the x resolution and the y values are brought back to device
    // rows, so that the bitmap keeps its shape on a device whose pixels are not square.  A width
    // or height of 0 gives a size of 0.
    static PLACE PlaceBitmap(int horzres, int vertres, int dpix, int dpiy, int width, int height, int xpct, int ypct,
                             int scale);

    BOX Margins;        // printable rectangle, device pixels
    int CellWidth;      // width of "X" in the current font (0 until measured)
    int CellHeight;     // its height
    int X, Y;           // where the next text goes, device pixels
    int TabWidth;       // cells per tab stop
    int Wrap;           // 1: long runs wrap at the right margin
    int LineFeedOnly;   // 1: a line feed keeps the column

private:
    int Cell() const { return CellWidth > 0 ? CellWidth : 1; }
    bool DrawRun(const char16_t *text, int count, SINK &sink);
    bool DrawWrapped(const char16_t *text, int count, SINK &sink);
    void LineBreak();
    bool PageBreakWhenFull(SINK &sink);
};

#endif
