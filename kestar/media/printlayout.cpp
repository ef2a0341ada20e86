// The page arithmetic of PRINTER.  Sums that can grow past 32 bits (run lengths times cell widths,
// bitmap sizes times percentages) are done in 64 bits.
#include "kestar/media/printlayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

PRINTLAYOUT::PRINTLAYOUT()
    : Margins{0, 0, 0, 0}, CellWidth(0), CellHeight(0), X(0), Y(0), TabWidth(8), Wrap(1), LineFeedOnly(0)
{
}

int PRINTLAYOUT::MmToPixels(int mm, int dpi)
{
    return static_cast<int>(static_cast<int64_t>(mm) * dpi * 10 / 254);
}

void PRINTLAYOUT::SetMargins(int leftmm, int topmm, int rightmm, int bottommm, int dpix, int dpiy, int horzres,
                             int vertres)
{
    Margins.left = MmToPixels(leftmm, dpix);
    Margins.top = MmToPixels(topmm, dpiy);
    Margins.right = horzres - MmToPixels(rightmm, dpix);
    Margins.bottom = vertres - MmToPixels(bottommm, dpiy);
}

void PRINTLAYOUT::ClearMargins()
{
    Margins = BOX{0, 0, 0, 0};
}

void PRINTLAYOUT::GetPosition(int *xpct, int *ypct) const
{
    const int width = Margins.right - Margins.left;
    const int height = Margins.bottom - Margins.top;
    if (xpct)
        *xpct = width > 0 ? static_cast<int>(static_cast<int64_t>(X - Margins.left) * 100 / width) : 0;
    if (ypct)
        *ypct = height > 0 ? static_cast<int>(static_cast<int64_t>(Y - Margins.top) * 100 / height) : 0;
}

void PRINTLAYOUT::SetPosition(int xpct, int ypct)
{
    X = Margins.left + static_cast<int>(static_cast<int64_t>(xpct) * (Margins.right - Margins.left) / 100);
    Y = Margins.top + static_cast<int>(static_cast<int64_t>(Margins.bottom - Margins.top) * ypct / 100);
}

void PRINTLAYOUT::Home()
{
    X = Margins.left;
    Y = Margins.top;
}

void PRINTLAYOUT::LineBreak()
{
    X = Margins.left;
    Y += CellHeight;
}

bool PRINTLAYOUT::PageBreakWhenFull(SINK &sink)
{
    if (Y < Margins.bottom)
        return true;
    return sink.NewPage();
}

bool PRINTLAYOUT::DrawRun(const char16_t *text, int count, SINK &sink)
{
    int newx = X;
    if (!sink.DrawRun(text, count, &newx))
        return false;
    X = newx;
    return true;
}

bool PRINTLAYOUT::DrawWrapped(const char16_t *text, int count, SINK &sink)
{
    const int cell = Cell();
    while (count > 0) {
        if (!Wrap || static_cast<int64_t>(X) + static_cast<int64_t>(cell) * count <= Margins.right) {
            // The rest fits: it stays on this line.
            return DrawRun(text, count, sink) && PageBreakWhenFull(sink);
        }
        int piece = (Margins.right - X) / cell;
        if (piece <= 0) {
            if (X > Margins.left) {
                // Nothing more fits on this line: go on at the start of the next.
                LineBreak();
                if (!PageBreakWhenFull(sink))
                    return false;
                continue;
            }
            // Not even one cell fits between the margins: one character per line.
            piece = 1;
        }
        piece = std::min(piece, count);
        if (!DrawRun(text, piece, sink))
            return false;
        text += piece;
        count -= piece;
        LineBreak();
        if (!PageBreakWhenFull(sink))
            return false;
    }
    return true;
}

bool PRINTLAYOUT::WriteText(const char16_t *text, int length, SINK &sink)
{
    if (!HasArea())
        return false;
    if (!text)
        return true;
    if (length < 0) {
        length = 0;
        while (text[length])
            length++;
    }
    const int cell = Cell();
    const int tab = TabWidth > 0 ? TabWidth : 1;
    int i = 0;
    while (i < length) {
        const char16_t c = text[i];
        if (c >= 32) {
            int end = i + 1;
            while (end < length && text[end] >= 32)
                end++;
            if (!DrawWrapped(text + i, end - i, sink))
                return false;
            i = end;
            continue;
        }
        switch (c) {
        case 8:
            if (X > Margins.left)
                X = std::max(Margins.left, X - cell);
            break;
        case 9:
            X = Margins.left + tab * ((X - Margins.left) / cell / tab + 1) * cell;
            break;
        case 10:
            Y += CellHeight;
            if (!LineFeedOnly)
                X = Margins.left;
            break;
        case 12:
            if (!sink.NewPage())
                return false;
            break;
        case 13:
            X = Margins.left;
            break;
        default:
            break;
        }
        i++;
        if (!PageBreakWhenFull(sink))
            return false;
    }
    return true;
}

int PRINTLAYOUT::HeaderX(int which, int dpix) const
{
    switch (which) {
    case 0:
        return Margins.left;
    case 1:
        return (Margins.left + Margins.right) / 2 - dpix * 30 / 254;
    default:
        return Margins.right - dpix * 80 / 254;
    }
}

int PRINTLAYOUT::HeaderY(int dpiy)
{
    return dpiy * 80 / 254;
}

WSTRING PRINTLAYOUT::ExpandHeader(const WSTRING &templ, const char16_t *user, const char16_t *computer,
                                  const char16_t *date, const char16_t *time, int page)
{
    WSTRING out(templ);
    out.Replace(u"%USERNAME%", user ? user : u"");
    out.Replace(u"%COMPUTERNAME%", computer ? computer : u"");
    out.Replace(u"%DATE%", date ? date : u"");
    out.Replace(u"%TIME%", time ? time : u"");
    char number[16];
    std::snprintf(number, sizeof number, "%d", page);
    char16_t text[16];
    size_t k = 0;
    for (; number[k]; k++)
        text[k] = static_cast<char16_t>(number[k]);
    text[k] = 0;
    out.Replace(u"%PAGE%", text);
    return out;
}

PRINTLAYOUT::PLACE PRINTLAYOUT::PlaceBitmap(int horzres, int vertres, int dpix, int dpiy, int width, int height,
                                            int xpct, int ypct, int scale)
{
    PLACE place{0, 0, 0, 0};
    if (dpix <= 0 || dpiy <= 0)
        return place;
    // The page height in units of the x resolution, so that both sides of the fit measure alike.
    const int64_t w = horzres;
    const int64_t h = static_cast<int64_t>(vertres) * dpix / dpiy;
    int64_t fit = 0;
    if (width > 0 && height > 0)
        fit = std::min(w * 100 / width, h * 100 / height);
    const int64_t x = static_cast<int64_t>(xpct) * w / 100;
    const int64_t y = static_cast<int64_t>(ypct) * h / 100;
    const int64_t cx = static_cast<int64_t>(width) * fit * scale / 10000;
    const int64_t cy = static_cast<int64_t>(height) * fit * scale / 10000;
    place.x = static_cast<int>(x);
    place.y = static_cast<int>(y * dpiy / dpix);
    place.cx = static_cast<int>(cx);
    place.cy = static_cast<int>(cy * dpiy / dpix);
    return place;
}
