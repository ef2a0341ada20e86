// Bilevel TIFF files and the base form of fax images, through libtiff: reading every page of a
// TIFF file, and writing base-form pages as a multi-page CCITT Group 3 file.  libtiff is only
// built for Windows, so the code lives in tiffpages_win32.cpp.
#ifndef KESTAR_TIFFPAGES_H
#define KESTAR_TIFFPAGES_H

#include <cstddef>
#include <vector>

namespace TIFFPAGES {

// Reads the pages of a bilevel TIFF file (any compression libtiff reads) into base-form pages,
// which replace the contents of `base`.  A page must have 1 bit per sample, 1 sample per pixel,
// white as zero, top-left orientation, fill order 1 and contiguous planes.  The rule for tags
// that are missing: each counts as its TIFF default, so a file without Orientation or FillOrder
// is read as top-left and fill order 1; only the photometric tag, which has no default, must be
// there.  The vertical resolution decides the page's resolution: below about 147 lines per inch
// (halfway between fax normal, 98, and fine, 196) the page is normal and each of its lines is
// taken twice (bfReserved1 0), so that every base-form page has the row density of fine
// resolution; otherwise, and when the tag is missing, the page is fine (bfReserved1 1).
// false, `base` empty, when the file cannot be opened, its first page fails a check (logged
// with its own text) or cannot be read; a later page that fails, or whose rows cannot be read,
// ends the pages read (logged), and the pages before it are kept.
bool Load(const char *filename, std::vector<unsigned char> &base);

// Writes the first `pages` pages of the base form `base` (`length` bytes; fewer when it holds
// fewer) as a TIFF file with one CCITT Group 3 (one-dimensional) page per directory, numbered 1
// of n to n of n, at 204 dots per inch across.  A fine page (bfReserved1 1) is written with all
// its rows at 196 lines per inch; a normal one with every second row from the top at 98 lines
// per inch, as the SFF converter takes it, so that reading the file back gives the same page.
// false when the file cannot be created, a page is not a 1-bit bitmap, or any write fails (the
// pages written so far stay in the file).
bool Save(const char *filename, const unsigned char *base, size_t length, int pages);

} // namespace TIFFPAGES

#endif
