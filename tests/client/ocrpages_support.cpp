// Pages for the fax-command recognition tests (see ocrpages_support.h).
#include "tests/client/ocrpages_support.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

#include "client/ocrdictionary.h"

namespace ocrtest {

namespace {

uint64_t EntryPattern(const unsigned char *e)
{
    uint64_t p = 0;
    for (int i = 7; i >= 0; i--)
        p = (p << 8) | e[8 + i];
    return p;
}

bool ColumnInked(uint64_t pattern, int j)
{
    for (int i = 0; i < 9; i++)
        if ((pattern >> (7 * i + j)) & 1)
            return true;
    return false;
}

} // namespace

uint64_t TablePattern(char c, int drawing)
{
    const unsigned char *table = OCRDICTIONARY::BuiltinTable();
    const int half = OCRDICTIONARY::kBuiltinEntries / 2;
    for (int i = 0; i < half; i++) {
        const unsigned char *e = table + (size_t)(drawing * half + i) * OCRDICTIONARY::kBuiltinEntryBytes;
        if ((char)e[0] == c)
            return EntryPattern(e);
    }
    return 0;
}

std::string TableCharacters()
{
    std::string s;
    const unsigned char *table = OCRDICTIONARY::BuiltinTable();
    for (int i = 0; i < OCRDICTIONARY::kBuiltinEntries / 2; i++)
        s += (char)table[(size_t)i * OCRDICTIONARY::kBuiltinEntryBytes];
    return s;
}

bool FillsAllColumns(uint64_t pattern)
{
    return ColumnInked(pattern, 0) && ColumnInked(pattern, 6);
}

OCRBOX DrawGlyph(faxtest::Page &page, int x, int y, uint64_t pattern, const GlyphStyle &style)
{
    const int cw = style.CellWidth, h = style.Height;
    int firstColumn = -1, lastColumn = -1;
    for (int j = 0; j < 7; j++) {
        if (!ColumnInked(pattern, j))
            continue;
        if (firstColumn < 0)
            firstColumn = j;
        lastColumn = j;
    }
    for (int i = 0; i < 9; i++)
        for (int j = 0; j < 7; j++)
            if ((pattern >> (7 * i + j)) & 1)
                for (int r = y + i * h / 9; r < y + (i + 1) * h / 9; r++)
                    page.Fill(x + j * cw, x + (j + 1) * cw, r);
    if (cw >= 3)
        for (int j = firstColumn + 1; j < lastColumn; j++)
            if (!ColumnInked(pattern, j))
                page.Fill(x + j * cw, x + (j + 1) * cw, y + 4 * h / 9);
    OCRBOX box;
    box.Left = x + firstColumn * cw;
    box.Top = y;
    box.Right = x + (lastColumn + 1) * cw;
    box.Bottom = y + h;
    return box;
}

std::vector<OCRBOX> DrawText(faxtest::Page &page, int x, int y, const std::string &text, const GlyphStyle &style,
                             const std::map<char, uint64_t> &patterns)
{
    std::vector<OCRBOX> boxes;
    for (char c : text) {
        auto found = patterns.find(c);
        boxes.push_back(DrawGlyph(page, x, y, found != patterns.end() ? found->second : TablePattern(c), style));
        x += 7 * style.CellWidth + style.Gap;
    }
    return boxes;
}

bool WriteTiff(const std::string &path, const faxtest::Page &page, const TiffLayout &layout)
{
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    const uint32_t width = (uint32_t)page.Width, height = (uint32_t)page.Height();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    if (layout.Group3) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, 0);
        TIFFSetField(tif, TIFFTAG_FAXMODE, FAXMODE_NORTC);
    } else {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    }
    const uint32_t rows = layout.WrittenRows < 0 ? height : (uint32_t)layout.WrittenRows;
    bool ok = true;
    if (layout.Tile > 0) {
        const uint32_t t = (uint32_t)layout.Tile;
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
        std::vector<uint8_t> tile(t / 8 * t);
        for (uint32_t ty = 0; ty < height && ok; ty += t)
            for (uint32_t tx = 0; tx < width && ok; tx += t) {
                std::fill(tile.begin(), tile.end(), 0);
                for (uint32_t y = 0; y < t && ty + y < height; y++)
                    for (uint32_t x = 0; x < t && tx + x < width; x++)
                        if (page.Get((int)(tx + x), (int)(ty + y)))
                            tile[y * (t / 8) + x / 8] |= (uint8_t)(0x80 >> (x & 7));
                ok = TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) >= 0;
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.RowsPerStrip > 0 ? (uint32_t)layout.RowsPerStrip : height);
        for (uint32_t y = 0; y < rows && ok; y++) {
            std::vector<uint8_t> row = page.Rows[y];
            ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
        }
    }
    TIFFClose(tif);
    return ok;
}

void ToBitmap(const faxtest::Page &page, OCRBITMAP &bitmap)
{
    bitmap.Allocate((uint32_t)page.Width, (uint32_t)page.Height(), 1, OCRBITMAP::kMinIsWhite);
    for (int y = 0; y < page.Height(); y++)
        std::memcpy(bitmap.Row((uint32_t)y), page.Rows[y].data(), page.Rows[y].size());
}

} // namespace ocrtest
