// The base form of fax images: 1-bit BMP files back to back, one per page, each found from the
// one before through its bfSize.  Every reader of the base form walks and checks pages here, so
// that a page whose sizes do not fit the data is never read past its end.  Pure code on bytes.
#ifndef KESTAR_BASEFORM_H
#define KESTAR_BASEFORM_H

#include <cstddef>
#include <vector>

namespace BASEFORM {

// BITMAPFILEHEADER (14) + BITMAPINFOHEADER (40) + a palette of two entries (8).
const size_t kHeaderBytes = 62;

// The largest base form the converters build (SFF and TIFF readers): a file that claims more
// gives the pages that fit.  Small input files can claim huge pages, and a 32-bit process has
// little room.
const size_t kMaxImageBytes = (size_t)256 << 20;

// Bytes of one pixel row of a 1-bit page: whole 32-bit words, as GDI and every BMP reader expect
// (for the fax widths 1728, 2048 and 2432 this equals (width + 7) / 8).
size_t RowBytes(int width);

// The size of the page that starts at `offset`: its bfSize when that is at least kHeaderBytes and
// the page lies wholly inside the `length` bytes of `data`, else 0 (the walk ends there).
size_t PageSize(const unsigned char *data, size_t length, size_t offset);

// The number of pages, counted while PageSize is not 0.
int CountPages(const unsigned char *data, size_t length);

// The offset of page `index` (0 based); false when there is no such page (out-parameter
// unchanged).
bool FindPage(const unsigned char *data, size_t length, int index, size_t *offset);

// One page checked against the data; the pointers are borrowed from the data given to ReadPage.
struct PAGE {
    size_t Offset = 0;      // of the BMP file header inside the data
    size_t Size = 0;        // bfSize
    int Width = 0;          // biWidth, >= 1
    int Height = 0;         // number of rows, biHeight without its sign
    bool TopDown = false;   // biHeight was negative
    int BitCount = 0;       // biBitCount
    bool Fine = false;      // bfReserved1 == 1: the page came from a fine-resolution fax
    bool InvertedPalette = false; // 1-bit page whose palette entry 0 is the dark one
    size_t Stride = 0;      // bytes of one row in the file
    const unsigned char *Info = nullptr;   // the BITMAPINFOHEADER
    const unsigned char *Pixels = nullptr; // the first stored row (at bfOffBits)

    // Row y counted from the top of the image (0 = top), Stride bytes.
    const unsigned char *RowFromTop(int y) const
    {
        return Pixels + Stride * (size_t)(TopDown ? y : Height - 1 - y);
    }
};

// Reads and checks the page at `offset`: "BM", a page size that fits (PageSize), an info header
// of at least 40 bytes inside the page, width >= 1, uncompressed (BI_RGB), and pixel rows at
// bfOffBits that fit inside the page.  Any bit depth passes; callers that need 1 bit check
// BitCount.  false when a check fails (the page is left unchanged).
// Fax pixels are 1 = black.  A 1-bit bitmap from elsewhere may carry the palette the other way
// round (entry 0 black); InvertedPalette tells the converters to flip such rows, so that they
// code what GDI would show.
bool ReadPage(const unsigned char *data, size_t length, size_t offset, PAGE *page);

// Appends the headers of a 1-bit page of `width` × `rows` pixels (bfReserved1 1 when `fine`,
// bottom-up rows, palette white then black) and returns the offset in `out` where its
// rows × RowBytes(width) pixel bytes go; the caller appends them, bottom row first.
size_t AppendHeaders(std::vector<unsigned char> &out, int width, int rows, bool fine);

// Copies row y (from the top) of a 1-bit page into `out` as fax pixels: (width + 7) / 8 bytes,
// 1 = black, the unused bits of the last byte cleared.
void FaxRow(const PAGE &page, int y, unsigned char *out);

// Little-endian field access on byte buffers.
unsigned Get16(const unsigned char *p);
unsigned long Get32(const unsigned char *p);
void Put16(unsigned char *p, unsigned value);
void Put32(unsigned char *p, unsigned long value);

} // namespace BASEFORM

#endif
