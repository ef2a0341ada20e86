// Walking and checking the pages of the base form, and writing page headers.
#include "kestar/media/baseform.h"

#include <cstdint>

namespace BASEFORM {

unsigned Get16(const unsigned char *p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

unsigned long Get32(const unsigned char *p)
{
    return (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 |
           (unsigned long)p[3] << 24;
}

void Put16(unsigned char *p, unsigned value)
{
    p[0] = (unsigned char)(value & 0xFF);
    p[1] = (unsigned char)(value >> 8 & 0xFF);
}

void Put32(unsigned char *p, unsigned long value)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(value >> (8 * i) & 0xFF);
}

size_t RowBytes(int width)
{
    if (width <= 0)
        return 0;
    return ((size_t)width + 31) / 32 * 4;
}

size_t PageSize(const unsigned char *data, size_t length, size_t offset)
{
    if (!data || offset >= length || length - offset < kHeaderBytes)
        return 0;
    size_t size = Get32(data + offset + 2);
    if (size < kHeaderBytes || size > length - offset)
        return 0;
    return size;
}

int CountPages(const unsigned char *data, size_t length)
{
    int count = 0;
    size_t offset = 0;
    while (size_t size = PageSize(data, length, offset)) {
        count++;
        offset += size;
    }
    return count;
}

bool FindPage(const unsigned char *data, size_t length, int index, size_t *offset)
{
    if (index < 0)
        return false;
    size_t at = 0;
    for (int i = 0;; i++) {
        size_t size = PageSize(data, length, at);
        if (!size)
            return false;
        if (i == index) {
            *offset = at;
            return true;
        }
        at += size;
    }
}

bool ReadPage(const unsigned char *data, size_t length, size_t offset, PAGE *page)
{
    size_t size = PageSize(data, length, offset);
    if (!size)
        return false;
    const unsigned char *file = data + offset;
    if (file[0] != 'B' || file[1] != 'M')
        return false;
    const unsigned char *info = file + 14;
    unsigned long infosize = Get32(info);
    if (infosize < 40 || infosize > size - 14)
        return false;
    long width = (long)(int32_t)Get32(info + 4);
    long height = (long)(int32_t)Get32(info + 8);
    int bitcount = (int)Get16(info + 14);
    unsigned long compression = Get32(info + 16);
    if (width < 1 || width > 0xFFFFFF || height == INT32_MIN || compression != 0)
        return false;
    if (bitcount != 1 && bitcount != 4 && bitcount != 8 && bitcount != 16 && bitcount != 24 &&
        bitcount != 32)
        return false;
    size_t rows = (size_t)(height < 0 ? -height : height);
    size_t stride = ((size_t)width * (size_t)bitcount + 31) / 32 * 4;
    size_t offbits = Get32(file + 10);
    if (offbits < 14 + infosize || offbits > size)
        return false;
    if (rows != 0 && stride > (size - offbits) / rows)
        return false;
    // The palette follows the info header; with two entries (or the default of 2 for 1 bit) the
    // darker entry is black.  A palette cut off by bfOffBits counts as the usual one.
    bool inverted = false;
    unsigned long used = Get32(info + 32);
    if (bitcount == 1 && used != 1 && offbits >= 14 + infosize + 8) {
        const unsigned char *p0 = info + infosize, *p1 = p0 + 4;
        inverted = (unsigned)p0[0] + p0[1] + p0[2] < (unsigned)p1[0] + p1[1] + p1[2];
    }
    page->Offset = offset;
    page->Size = size;
    page->Width = (int)width;
    page->Height = (int)rows;
    page->TopDown = height < 0;
    page->BitCount = bitcount;
    page->Fine = Get16(file + 6) == 1;
    page->Stride = stride;
    page->InvertedPalette = inverted;
    page->Info = info;
    page->Pixels = file + offbits;
    return true;
}

void FaxRow(const PAGE &page, int y, unsigned char *out)
{
    size_t bytes = ((size_t)page.Width + 7) / 8;
    const unsigned char *row = page.RowFromTop(y);
    unsigned char flip = page.InvertedPalette ? 0xFF : 0x00;
    for (size_t i = 0; i < bytes; i++)
        out[i] = row[i] ^ flip;
    if (page.Width & 7)
        out[bytes - 1] &= (unsigned char)(0xFF << (8 - (page.Width & 7)));
}

size_t AppendHeaders(std::vector<unsigned char> &out, int width, int rows, bool fine)
{
    unsigned char header[kHeaderBytes] = {};
    size_t pixels = RowBytes(width) * (size_t)(rows > 0 ? rows : 0);
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, (unsigned long)(kHeaderBytes + pixels));
    Put16(header + 6, fine ? 1 : 0);
    Put32(header + 10, (unsigned long)kHeaderBytes);
    unsigned char *info = header + 14;
    Put32(info, 40);
    Put32(info + 4, (unsigned long)width);
    Put32(info + 8, (unsigned long)rows);
    Put16(info + 12, 1);
    Put16(info + 14, 1);
    unsigned char *palette = info + 40;
    palette[0] = palette[1] = palette[2] = 255; // entry 0 white, entry 1 black
    out.insert(out.end(), header, header + kHeaderBytes);
    return out.size();
}

} // namespace BASEFORM
