// The page bitmap of the fax-command recognition and its ink counts.
#include "client/ocrbitmap.h"

#include <cstring>
#include <new>

namespace {

// Set bits of every byte value, so that ink is counted a byte at a time.
struct BITCOUNTS {
    unsigned char Of[256];
    constexpr BITCOUNTS() : Of()
    {
        for (int i = 0; i < 256; i++)
            Of[i] = (unsigned char)((i & 1) + Of[i >> 1]);
    }
};
constexpr BITCOUNTS kBitCounts;

} // namespace

OCRBITMAP::~OCRBITMAP()
{
    delete[] rows;
}

uint64_t OCRBITMAP::StrideFor(uint32_t width, uint32_t bits)
{
    return ((uint64_t)width * bits + 31) / 32 * 4;
}

bool OCRBITMAP::Allocate(uint32_t w, uint32_t h, uint32_t b, int photo)
{
    width = height = bits = 0;
    stride = 0;
    const uint64_t rowBytes = StrideFor(w, b);
    if (w == 0 || h == 0 || b == 0 || rowBytes * h > kMaxBytes)
        return false;
    const size_t need = (size_t)(rowBytes * h);
    if (need > allocated) {
        delete[] rows;
        allocated = 0;
        rows = new (std::nothrow) unsigned char[need];
        if (!rows)
            return false;
        allocated = need;
    }
    // Rows that cannot be read stay blank.
    std::memset(rows, 0, need);
    width = w;
    height = h;
    bits = b;
    photometric = photo;
    stride = (size_t)rowBytes;
    return true;
}

uint32_t OCRBITMAP::CountInk(uint32_t y, uint32_t x0, uint32_t x1) const
{
    if (x1 > width)
        x1 = width;
    if (y >= height || x0 >= x1)
        return 0;
    const unsigned char *row = Row(y);
    const uint32_t first = x0 >> 3, last = (x1 - 1) >> 3;
    // Bits from x0 on in the first byte; the leading bits up to x1 in the last one.
    const unsigned char headMask = (unsigned char)(0xFFu >> (x0 & 7));
    const unsigned char tailMask = (unsigned char)(0xFFu << (7 - ((x1 - 1) & 7)));
    if (first == last)
        return kBitCounts.Of[row[first] & headMask & tailMask];
    uint32_t ink = kBitCounts.Of[row[first] & headMask] + kBitCounts.Of[row[last] & tailMask];
    for (uint32_t i = first + 1; i < last; i++)
        ink += kBitCounts.Of[row[i]];
    return ink;
}

uint64_t OCRBITMAP::Feature(const OCRBOX &box) const
{
    const uint32_t l = (uint32_t)box.Left, t = (uint32_t)box.Top;
    const uint64_t w = (uint32_t)(box.Right - box.Left), h = (uint32_t)(box.Bottom - box.Top);
    const uint64_t threshold = ((w * h) / 63 * 3) >> 3;
    uint64_t pattern = 0;
    for (uint32_t i = 0; i < 9; i++) {
        const uint32_t y0 = t + (uint32_t)(i * h / 9), y1 = t + (uint32_t)((i + 1) * h / 9);
        for (uint32_t j = 0; j < 7; j++) {
            const uint32_t x0 = l + (uint32_t)(j * w / 7), x1 = l + (uint32_t)((j + 1) * w / 7);
            uint64_t ink = 0;
            for (uint32_t y = y0; y < y1; y++)
                ink += CountInk(y, x0, x1);
            if (ink > threshold)
                pattern |= 1ull << (7 * i + j);
        }
    }
    return pattern;
}
