// The page bitmap of the fax-command recognition: the rows of one page as read from its file,
// and the ink counts the segmenter and the glyph feature are made of.  The recognition looks at
// pixels as bits (leftmost in the most significant bit, a set bit is ink) whatever the depth.
#ifndef CLIENT_OCRBITMAP_H
#define CLIENT_OCRBITMAP_H

#include <cstddef>
#include <cstdint>

// A rectangle in page pixels; right and bottom are exclusive.
struct OCRBOX {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

class OCRBITMAP {
public:
    // Photometric classes (our own numbers, not TIFF's).
    enum : int { kMinIsWhite = 0, kMinIsBlack = 1, kPalette = 2 };
    // The largest bitmap we allocate: larger pages are refused rather than read.
    static constexpr uint64_t kMaxBytes = 256ull * 1024 * 1024;

    OCRBITMAP() = default;
    ~OCRBITMAP();
    OCRBITMAP(const OCRBITMAP &) = delete;
    OCRBITMAP &operator=(const OCRBITMAP &) = delete;

    // ((width x bits + 31) / 32) x 4, in 64 bits so that no size wraps.
    static uint64_t StrideFor(uint32_t width, uint32_t bits);

    // Sets the size and depth and makes room for the rows, all cleared to zero.  The buffer only
    // grows (it is reused when stride x height fits).  false, leaving an empty 0 x 0 bitmap, when
    // a size is 0, the rows would pass kMaxBytes or the memory is not there.
    bool Allocate(uint32_t width, uint32_t height, uint32_t bits, int photometric);

    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    uint32_t Bits() const { return bits; }
    int Photometric() const { return photometric; }
    size_t Stride() const { return stride; }
    // Row y (y < Height()), Stride() bytes; borrowed from the bitmap.
    unsigned char *Row(uint32_t y) { return rows + (size_t)y * stride; }
    const unsigned char *Row(uint32_t y) const { return rows + (size_t)y * stride; }

    // The set bits of row y from pixel x0 up to (not including) x1; x1 is clipped to Width().
    uint32_t CountInk(uint32_t y, uint32_t x0, uint32_t x1) const;
    // The 9 x 7 feature of a box inside the page: bit 7 x row + column is set when that cell
    // holds more ink than the threshold; bit 63 is always clear.
    uint64_t Feature(const OCRBOX &box) const;

private:
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    int photometric = kMinIsWhite;
    size_t stride = 0;
    unsigned char *rows = nullptr; // owned, `allocated` bytes
    size_t allocated = 0;
};

#endif
