// Lines and glyphs of a page for the fax-command recognition.
#include "client/ocrsegmenter.h"

#include <cstring>
#include <new>

OCRSEGMENTER::OCRSEGMENTER(const OCRBITMAP &p) : page(p)
{
    if (page.Stride() > 0)
        columns = new (std::nothrow) unsigned char[page.Stride()];
}

OCRSEGMENTER::~OCRSEGMENTER()
{
    delete[] columns;
}

bool OCRSEGMENTER::RowInked(uint32_t y) const
{
    return page.CountInk(y, 0, page.Width() / 2) >= kMinRowInk;
}

bool OCRSEGMENTER::NextLine(OCRLINE &line)
{
    if (!columns)
        return false;
    const uint32_t height = page.Height();
    while (nextRow < height) {
        while (nextRow < height && !RowInked(nextRow))
            nextRow++;
        const uint32_t top = nextRow;
        while (nextRow < height && RowInked(nextRow))
            nextRow++;
        if (nextRow - top > kMinLineHeight) {
            line.Top = (int32_t)top;
            line.Bottom = (int32_t)nextRow;
            CutGlyphs(line);
            return true;
        }
    }
    return false;
}

void OCRSEGMENTER::CutGlyphs(OCRLINE &line)
{
    const size_t stride = page.Stride();
    std::memset(columns, 0, stride);
    for (int32_t y = line.Top; y < line.Bottom; y++) {
        const unsigned char *row = page.Row((uint32_t)y);
        for (size_t i = 0; i < stride; i++)
            columns[i] |= row[i];
    }
    auto inked = [this](uint32_t x) { return (columns[x >> 3] >> (7 - (x & 7))) & 1; };
    const uint32_t width = page.Width();
    line.Count = 0;
    uint32_t x = 0;
    while (x < width && line.Count < OCRLINE::kMaxGlyphs) {
        while (x < width && !inked(x))
            x += ((x & 7) == 0 && columns[x >> 3] == 0) ? 8 : 1; // whole blank bytes at once
        if (x >= width)
            break;
        const uint32_t left = x;
        while (x < width && inked(x))
            x++;
        OCRBOX &box = line.Glyphs[line.Count++];
        box.Left = (int32_t)left;
        box.Top = line.Top;
        box.Right = (int32_t)x;
        box.Bottom = line.Bottom;
    }
}
