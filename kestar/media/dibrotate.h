// Rotation of packed device-independent bitmaps (info header, colour table, pixels) by any angle,
// for the fax viewer's turned pages.  Pure code on bytes; the window code makes a GDI bitmap of
// the result.
#ifndef KESTAR_DIBROTATE_H
#define KESTAR_DIBROTATE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace DIBROTATE {

// Rotates the packed DIB `dib` (`length` bytes) by `radians` and replaces `out` with the rotated
// packed DIB: the same info header and colour table with the new width, height and image size,
// rows padded to 4 bytes.  New pixels that come from outside the source take `background` (a
// colour 0x00BBGGRR: 1 bit: all bits set only for 0xFFFFFF; 4 and 8 bits: the colour-table index
// of that colour, else 0; 16, 24 and 32 bits: the packed colour).  Multiples of 90 degrees are
// exact (every source pixel lands on exactly one new pixel).  *width and *height (may be null)
// receive the new size.
// false, `out` cleared, when there is no result: negative height (top-down rows), compression other
// than BI_RGB or BI_BITFIELDS, a bit depth other than 1, 4, 8, 16, 24 or 32, sizes that do not fit
// in `length`, or a result larger than 512 MiB.
bool Rotate(const unsigned char *dib, size_t length, double radians, uint32_t background,
            std::vector<unsigned char> &out, int *width = nullptr, int *height = nullptr);

} // namespace DIBROTATE

#endif
