// Pages for the fax-command recognition tests: glyphs drawn from the patterns of the built-in
// glyph table onto 1-bit pages, and the pages written as TIFF files with libtiff.
#ifndef TESTS_CLIENT_OCRPAGES_SUPPORT_H
#define TESTS_CLIENT_OCRPAGES_SUPPORT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "client/ocrbitmap.h"
#include "tests/support/faxpages_support.h"

namespace ocrtest {

// Pattern of character c in the built-in table, drawing 0 (entries 1-56) or 1 (entries 57-112);
// 0 when the table has no such character.
uint64_t TablePattern(char c, int drawing = 0);
// The characters of the table, in table order.
std::string TableCharacters();
// Whether the pattern inks columns 0 and 6 (its glyph box is then the whole cell grid).
bool FillsAllColumns(uint64_t pattern);

// How glyphs are drawn: columns CellWidth pixels wide, the nine pattern rows spread over Height
// rows as the feature splits them, Gap blank columns between glyphs.
struct GlyphStyle {
    int CellWidth = 3;
    int Height = 27;
    int Gap = 3;
};
inline GlyphStyle Cells(int k) { return GlyphStyle{k, 9 * k, k}; }

// Draws a pattern with its top-left corner at (x, y) and returns the box of its seven columns.
// Blank columns inside the glyph get a one-pixel-high bridge in row 4 when cells are at least 3
// pixels wide (it keeps the glyph in one piece and stays below the cell threshold).
OCRBOX DrawGlyph(faxtest::Page &page, int x, int y, uint64_t pattern, const GlyphStyle &style);
// Draws text glyph by glyph from (x, y); a character's pattern is taken from `patterns` when
// it is there, else it is its first table drawing.  Returns the box of every glyph.
std::vector<OCRBOX> DrawText(faxtest::Page &page, int x, int y, const std::string &text, const GlyphStyle &style,
                             const std::map<char, uint64_t> &patterns = {});

// How a page is written.
struct TiffLayout {
    bool Group3 = true;      // CCITT Group 3 as the client writes fax pages; else uncompressed
    int RowsPerStrip = 0;    // 0: one strip
    int Tile = 0;            // tile size (a multiple of 16) for a tiled page; 0: strips
    int WrittenRows = -1;    // rows written (the page is cut after them); -1: all
};
// Writes the page as a 1-bit min-is-white TIFF file; false on any failure.
bool WriteTiff(const std::string &path, const faxtest::Page &page, const TiffLayout &layout = {});

// The page in a bitmap of the recognition (1 bit, min-is-white).
void ToBitmap(const faxtest::Page &page, OCRBITMAP &bitmap);

} // namespace ocrtest

#endif
